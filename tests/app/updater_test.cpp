// The updater "taveloupd", run as the agenda runs it once an update is downloaded: it waits for
// the agenda's process to end, puts the files into place and starts the agenda again.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "maintenance/update_check.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

namespace fs = std::filesystem;

void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

// The updater in a program folder of its own, with what it loads, and a program "tavelo" that
// writes the arguments it was started with.
fs::path updater_in(const fs::path& folder) {
  for (const char* file : {TAVELO_UPDATER, TAVELO_PLATFORM_LIBRARY}) {
    fs::copy_file(file, folder / fs::path(file).filename());
  }
  write_bytes(folder / "tavelo", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/redemarre.txt\"\n");
  fs::permissions(folder / "tavelo", fs::perms::owner_all);
  return folder / "taveloupd";
}

TEST(Updater, ReplacesTheFilesOnceTheAgendaHasStoppedThenStartsItAgain) {
  TempFolder folder;
  const fs::path updater = updater_in(folder.path());
  write_bytes(folder.path() / "agenda.htm", "ancienne page");
  write_bytes(folder.path() / kInstalledIndex, "ancien index");
  const fs::path staged = folder.path() / kUpdateFolder / kUpdateFilesFolder;
  fs::create_directories(staged / "manual");
  write_bytes(staged / "agenda.htm", "nouvelle page");
  write_bytes(staged / "manual" / "neuf.htm", "neuf");
  write_bytes(folder.path() / kUpdateFolder / kInstalledIndex, "nouvel index");

  ChildProcess agenda({"/bin/sleep", "1"});
  ChildProcess run({updater.string(), std::to_string(agenda.pid()), "/test", "/go"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(read_bytes(folder.path() / "agenda.htm"), "ancienne page")
      << "nothing moves while the agenda runs";
  EXPECT_EQ(agenda.wait(10000, pause), 0);
  EXPECT_EQ(run.wait(10000, pause), 0);
  EXPECT_EQ(read_bytes(folder.path() / "agenda.htm"), "nouvelle page");
  EXPECT_EQ(read_bytes(folder.path() / "manual" / "neuf.htm"), "neuf");
  EXPECT_EQ(read_bytes(folder.path() / kInstalledIndex), "nouvel index");
  EXPECT_FALSE(fs::exists(folder.path() / kUpdateFolder));
  EXPECT_TRUE(eventually([&] { return fs::exists(folder.path() / "redemarre.txt"); }, 10000));
  EXPECT_TRUE(eventually(
      [&] { return read_bytes(folder.path() / "redemarre.txt") == "/test /go\n"; }, 10000));
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("~")) << entry.path();
  }
}

TEST(Updater, WithoutTheAgendasProcessItDoesNothing) {
  TempFolder folder;
  ChildProcess run({updater_in(folder.path()).string()});
  EXPECT_EQ(run.wait(10000, pause), 2);
  EXPECT_FALSE(fs::exists(folder.path() / "redemarre.txt"));
}

}  // namespace
}  // namespace tavelo::testing
