#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/app/program_folder_copy.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using ::testing::HasSubstr;

// The program is started the way a user starts it: from its own folder, which holds its data.
class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = testing::copy_program_into(folder_.path());
    testing::add_plannings(folder_.path(), 2);
  }
  void TearDown() override {
    ::unsetenv("TAVELO_UI");
    ::unsetenv("TAVELO_TRANSCRIPT");
  }

  testing::TempFolder folder_;
  std::filesystem::path program_;
};

TEST_F(Program, AScriptedSessionShowsWhatTheFolderHoldsInAMessageBox) {
  const auto script = folder_.path() / "session.txt";
  const auto transcript = folder_.path() / "transcript.txt";
  testing::write_bytes(script, "now 2026-12-07 09:00\n");
  ::setenv("TAVELO_UI", ("script:" + script.string()).c_str(), 1);
  ::setenv("TAVELO_TRANSCRIPT", transcript.c_str(), 1);

  EXPECT_EQ(testing::run_program(program_), 0);
  const std::string said = testing::read_bytes(transcript);
  EXPECT_THAT(said, HasSubstr("notice \"Tavelo\" \"Tavelo, Lundi 7 Décembre 2026\\rDossier du "
                              "programme: " +
                              folder_.path().string() + "\\r2 planification(s).\""));
  EXPECT_THAT(said, HasSubstr("exit 0"));
}

TEST_F(Program, WithoutADisplayTheMessageGoesToTheTerminal) {
  const char* display = std::getenv("DISPLAY");
  const std::string kept = display != nullptr ? display : "";
  ::unsetenv("DISPLAY");
  const auto output = folder_.path() / "output.txt";
  const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  const int status = testing::run_program(program_, fd);
  ::close(fd);
  if (!kept.empty()) ::setenv("DISPLAY", kept.c_str(), 1);

  EXPECT_EQ(status, 0);
  const std::string printed = testing::read_bytes(output);
  EXPECT_THAT(printed, ::testing::StartsWith("Tavelo\nTavelo, "));
  EXPECT_THAT(printed, HasSubstr("\nDossier du programme: " + folder_.path().string() +
                                 "\n2 planification(s).\n"));
}

// Saves killed half-way leave temporary files beside what they were saving; the next start
// removes them, and leaves everything else.
TEST_F(Program, TheStartRemovesWhatKilledSavesLeft) {
  const auto rdv = folder_.path() / "rdv";
  const auto chimes = folder_.path() / "carillons" / "big";
  std::filesystem::create_directories(chimes);
  for (const auto& left :
       {folder_.path() / "~tavelo-a1B2c3", rdv / "~tavelo-Zz9yX8", chimes / "~tavelo-000000"}) {
    testing::write_bytes(left, "half");
  }
  testing::write_bytes(rdv / "~tavelo-passed", "a planning set aside by the daily pass");
  testing::write_bytes(chimes / "dong.wav", "RIFF");
  const auto script = folder_.path() / "session.txt";
  testing::write_bytes(script, "now 2026-12-07 09:00\n");
  ::setenv("TAVELO_UI", ("script:" + script.string()).c_str(), 1);
  ::setenv("TAVELO_TRANSCRIPT", (folder_.path() / "transcript.txt").c_str(), 1);

  EXPECT_EQ(testing::run_program(program_), 0);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("~")) left.push_back(name);
  }
  EXPECT_EQ(left, std::vector<std::string>{"~tavelo-passed"});
  EXPECT_TRUE(std::filesystem::exists(chimes / "dong.wav"));
}

}  // namespace
}  // namespace tavelo
