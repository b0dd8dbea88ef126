#include "platform/files.hpp"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::TempFolder;
using testing::write_bytes;

TEST(Files, WildcardsMatchLikeWindows) {
  EXPECT_TRUE(wildcard_match("*.gnd*", "45123 09-30.gnd"));
  EXPECT_TRUE(wildcard_match("*.gnd*", "45123 09-30.gndaa;1700000000"));
  EXPECT_TRUE(wildcard_match("*.gnd*", "45123 09-30.GND limite"));
  EXPECT_FALSE(wildcard_match("*.gnd*", "45123 09-30.lmt;1700000000"));
  EXPECT_TRUE(wildcard_match("cmd_?_*", "cmd_x_a"));
  EXPECT_FALSE(wildcard_match("cmd_?_*", "cmd__a"));
  EXPECT_TRUE(wildcard_match("*a*b*c*", std::string(5000, 'a') + "bc"));
  EXPECT_FALSE(wildcard_match("*a*b*c*d", std::string(5000, 'a') + "bc"));
}

TEST(Files, ListsAreCutAtTheirSeparatorsWithoutEmptyPieces) {
  EXPECT_EQ(pieces_between("*.wav;*.ogg;;*.mp3;", ';'),
            (std::vector<std::string>{"*.wav", "*.ogg", "*.mp3"}));
  EXPECT_EQ(pieces_between("/pub//agenda/", '/'), (std::vector<std::string>{"pub", "agenda"}));
  EXPECT_TRUE(pieces_between("", '|').empty());
}

TEST(Files, ListingIsInNameOrderAndSkipsFolders) {
  TempFolder folder;
  for (const char* name : {"45124 08-00.gnd", "45123 09-30.gnda", "45123 09-30.gnd", "x.txt"}) {
    write_bytes(folder.path() / name, "");
  }
  std::filesystem::create_directory(folder.path() / "45000 00-00.gnd");
  EXPECT_EQ(list_files(folder.path(), "*.gnd*"),
            (std::vector<std::string>{"45123 09-30.gnd", "45123 09-30.gnda", "45124 08-00.gnd"}));
  EXPECT_TRUE(list_files(folder.path() / "absent", "*").empty());
}

TEST(Files, AtomicWriteReplacesTheWholeFileAndLeavesNothingElse) {
  TempFolder folder;
  const auto file = folder.path() / "f.gnd";
  write_bytes(file, "an older and longer content");
  ASSERT_TRUE(write_file_atomically(file, "new"));
  EXPECT_EQ(read_bytes(file), "new");
  EXPECT_EQ(list_files(folder.path(), "*").size(), 1u);
  EXPECT_FALSE(write_file_atomically(folder.path() / "absent" / "f.gnd", "x"));
}

// The open, sync and rename calls of save_loop's saves: "open FD", "sync FD", "rename".
std::vector<std::string> traced_saves(const std::filesystem::path& folder,
                                      const std::string& save_loop_arguments) {
  const auto log = folder / "calls.txt";
  const std::string command =
      "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -e trace=openat,fsync,fdatasync,syncfs,rename,"
      "renameat,renameat2 -o '" +
      log.string() + "' '" TAVELO_SAVE_LOOP "' '" + (folder / "f.gnd").string() + "' " +
      save_loop_arguments;
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::vector<std::string> calls;
  std::istringstream lines(read_bytes(log));
  for (std::string line; std::getline(lines, line);) {
    const bool ours = line.find(folder.string()) != std::string::npos;
    if (line.find("syncfs(") != std::string::npos) {
      calls.push_back("sync all");
    } else if (line.find("fsync(") != std::string::npos ||
               line.find("fdatasync(") != std::string::npos) {
      calls.push_back("sync " +
                      line.substr(line.find('(') + 1, line.find(')') - line.find('(') - 1));
    } else if (ours && line.find("rename") != std::string::npos) {
      calls.push_back("rename");
    } else if (ours && line.find("openat(") != std::string::npos &&
               line.find(" = ") != std::string::npos) {
      calls.push_back("open " + line.substr(line.rfind(" = ") + 3));
    }
  }
  return calls;
}

// The bytes reach the disk before the rename makes them the file, and the rename reaches it
// after: a power cut leaves the old file or the new one, never an empty one. In a batch, each
// file is still synced before its rename, and the folder once after the last.
TEST(Files, ASaveIsOnTheDiskBeforeAndAfterItsRename) {
  TempFolder folder;
  const std::vector<std::string> calls = traced_saves(folder.path(), "1");
  // The temporary file is opened and synced, renamed, then its folder is opened and synced.
  const auto rename = std::find(calls.begin(), calls.end(), "rename");
  ASSERT_NE(rename, calls.end()) << ::testing::PrintToString(calls);
  ASSERT_GE(rename - calls.begin(), 2) << ::testing::PrintToString(calls);
  const std::string temporary_fd = calls.front().substr(5);
  EXPECT_EQ(calls.front(), "open " + temporary_fd) << ::testing::PrintToString(calls);
  EXPECT_EQ(*(rename - 1), "sync " + temporary_fd) << ::testing::PrintToString(calls);
  ASSERT_GE(calls.end() - rename, 3) << ::testing::PrintToString(calls);
  const std::string folder_fd = (rename + 1)->substr(5);
  EXPECT_EQ(*(rename + 1), "open " + folder_fd) << ::testing::PrintToString(calls);
  EXPECT_EQ(*(rename + 2), "sync " + folder_fd) << ::testing::PrintToString(calls);

  TempFolder batch_folder;
  const std::vector<std::string> batch = traced_saves(batch_folder.path(), "3 batch");
  std::vector<std::string> expected;
  for (int save = 0; save < 3; ++save) {
    const std::string fd = batch.at(expected.size()).substr(5);
    expected.insert(expected.end(), {"open " + fd, "sync " + fd, "rename"});
  }
  const std::string folder_once = batch.at(expected.size()).substr(5);
  expected.insert(expected.end(), {"open " + folder_once, "sync " + folder_once});
  EXPECT_EQ(batch, expected);
}

// A rename batch writes every temporary file, flushes them with one sync of the filesystem,
// renames them, then syncs the folder once; the last save of a file is the one that stays.
TEST(Files, ARenameBatchSyncsOnceBeforeItsRenamesAndOnceAfter) {
  TempFolder folder;
  const std::vector<std::string> calls = traced_saves(folder.path(), "3 renames");
  ASSERT_EQ(calls.size(), 9u) << ::testing::PrintToString(calls);
  for (std::size_t save = 0; save < 3; ++save) EXPECT_TRUE(calls[save].starts_with("open "));
  const std::string folder_fd = calls[7].substr(5);
  EXPECT_EQ(std::vector(calls.begin() + 3, calls.end()),
            (std::vector<std::string>{"sync all", "rename", "rename", "rename", "open " + folder_fd,
                                      "sync " + folder_fd}))
      << ::testing::PrintToString(calls);
  EXPECT_EQ(read_bytes(folder.path() / "f.gnd"), std::string(300000, 'a'));
  EXPECT_EQ(list_files(folder.path(), "*"), (std::vector<std::string>{"calls.txt", "f.gnd"}));

  // Beyond its limit of waiting files the batch finishes early, and a file it cannot put into
  // place is reported and leaves no temporary file behind.
  const auto gone = folder.path() / "gone";
  std::filesystem::create_directory(gone);
  std::vector<std::filesystem::path> lost;
  {
    RenameBatch batch;
    for (int i = 0; i < 300; ++i) {
      ASSERT_TRUE(write_file_atomically(folder.path() / ("n" + std::to_string(i)), "x"));
    }
    EXPECT_EQ(list_files(folder.path(), "n*").size(), 256u);
    ASSERT_TRUE(write_file_atomically(gone / "f", "y"));
    std::filesystem::create_directory(gone / "f");
    std::filesystem::create_directory(gone / "f" / "inside");
    lost = batch.finish();
  }
  EXPECT_EQ(list_files(folder.path(), "n*").size(), 300u);
  EXPECT_EQ(lost, std::vector<std::filesystem::path>{gone / "f"});
  EXPECT_EQ(list_files(gone, "*"), std::vector<std::string>{});
}

// A save killed anywhere leaves the whole old file or the whole new one; the temporary files it
// leaves go at the next start, but not one that a live save still writes.
TEST(Files, KilledSavesLeaveWholeFilesAndTheirLitterGoesAtStart) {
  TempFolder folder;
  const auto file = folder.path() / "f.gnd";
  write_bytes(file, std::string(300000, 'a'));
  for (int kill = 0; kill < 40; ++kill) {
    testing::ChildProcess saver({TAVELO_SAVE_LOOP, file.string(), "0"});
    std::this_thread::sleep_for(std::chrono::milliseconds(60 + kill % 7 * 5));
  }  // each saver is killed as it goes
  const std::string last = read_bytes(file);
  EXPECT_TRUE(last == std::string(300000, 'a') || last == std::string(200000, 'b'));

  std::filesystem::create_directories(folder.path() / "rdv");
  write_bytes(folder.path() / "rdv" / "~tavelo-Ab3dE9", "left by a save that died");
  write_bytes(folder.path() / "rdv" / "~tavelo-passed", "a planning, not a temporary file");
  std::string live = (folder.path() / "~tavelo-XXXXXX").string();
  const int fd = ::mkstemp(live.data());
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // as a save of another instance holds its own
  remove_leftover_temporaries(folder.path());
  ::close(fd);
  EXPECT_EQ(list_files(folder.path(), "*"),
            (std::vector<std::string>{"f.gnd", std::filesystem::path(live).filename().string()}));
  EXPECT_EQ(list_files(folder.path() / "rdv", "*"), std::vector<std::string>{"~tavelo-passed"});
}

TEST(Files, ReadingStopsAtTheLimit) {
  TempFolder folder;
  write_bytes(folder.path() / "big", std::string(200000, 'z'));
  EXPECT_EQ(read_file(folder.path() / "big", 70000)->size(), 70000u);
  EXPECT_FALSE(read_file(folder.path() / "absent"));
}

TEST(Files, StoredPathsUseEitherSeparator) {
  EXPECT_EQ(native_path("/prog", "sons\\a.wav"), std::filesystem::path("/prog/sons/a.wav"));
  EXPECT_EQ(native_path("/prog", "/usr/share/a.wav"), std::filesystem::path("/usr/share/a.wav"));
}

TEST(Files, StoredNamesNeverLeaveTheirFolder) {
  EXPECT_EQ(contained_path("/c", "big\\heure.wav"), std::filesystem::path("/c/big/heure.wav"));
  EXPECT_EQ(contained_path("/c", "big/q.ogg"), std::filesystem::path("/c/big/q.ogg"));
  for (const char* evil :
       {"..\\x", "a\\..\\..\\x", "\\x", "/etc/passwd", "c:\\x", "c:x", "a\\\\b", ".", "", "a\\"}) {
    EXPECT_FALSE(contained_path("/c", evil)) << evil;
  }
}

}  // namespace
}  // namespace tavelo
