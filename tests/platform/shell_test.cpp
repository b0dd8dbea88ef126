#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/linux/linux_shell.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "platform/sim/sim_shell.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::write_bytes;

bool appears_within_seconds(const std::filesystem::path& file, int seconds) {
  for (int round = 0; round < seconds * 20; ++round) {
    if (std::filesystem::exists(file)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST(LinuxShell, HandsEachArgumentOverAsItIsWithoutACommandInterpreter) {
  const TempFolder folder;
  LinuxShell shell(folder.path());
  // A shell would split this name and run the command after the semicolon.
  const std::string name = "a b; touch pris $(echo x)";
  EXPECT_TRUE(shell.start_program("/usr/bin/touch", {(folder.path() / name).string()}));
  EXPECT_TRUE(appears_within_seconds(folder.path() / name, 5));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "pris"));
  EXPECT_FALSE(shell.start_program(folder.path() / "absent", {}));
  EXPECT_FALSE(shell.show_help("absente.htm"));
}

TEST(SimShell, TellsWhatWouldHaveStartedOrOpened) {
  const TempFolder folder;
  write_bytes(folder.path() / "tavelo", "");
  std::filesystem::create_directory(folder.path() / "manual");
  write_bytes(folder.path() / "manual" / "cal.htm", "<html></html>");
  FixedClock clock({2026, 12, 8, 3, 0, 0, 0});
  Transcript transcript(clock);
  SimShell shell(transcript, folder.path());
  EXPECT_TRUE(shell.start_program(folder.path() / "tavelo", {"/test", "/go"}));
  EXPECT_FALSE(shell.start_program(folder.path() / "absent", {}));
  EXPECT_TRUE(shell.show_help("cal.htm"));
  EXPECT_FALSE(shell.show_help("absente.htm"));
  EXPECT_TRUE(shell.open("https://example.org/news.htm"));
  const std::string program = (folder.path() / "tavelo").string();
  EXPECT_EQ(transcript.lines(),
            (std::vector<std::string>{"03:00:00.000 run \"" + program + "\" \"/test\" \"/go\"",
                                      "03:00:00.000 help \"cal.htm\"",
                                      "03:00:00.000 open \"https://example.org/news.htm\""}));
}

}  // namespace
}  // namespace tavelo
