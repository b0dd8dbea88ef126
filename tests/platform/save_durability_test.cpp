// How saves reach the disk on Linux, watched with strace and by killing savers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "platform/files.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::TempFolder;
using testing::write_bytes;

// strace shows the bytes of a name outside ASCII as octal escapes.
std::string as_strace_shows(const std::string& name) {
  std::string shown;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      shown += c;
    } else {
      shown += {'\\', static_cast<char>('0' + (byte >> 6)),
                static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7))};
    }
  }
  return shown;
}

// The open, sync and rename calls of save_loop's saves: "open FD", "sync FD", "rename".
std::vector<std::string> traced_saves(const std::filesystem::path& folder,
                                      const std::string& save_loop_arguments) {
  const auto log = folder / "calls.txt";
  const std::string command =
      "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -s 4096 -e "
      "trace=openat,fsync,fdatasync,syncfs,rename,renameat,renameat2 -o '" +
      log.string() + "' '" TAVELO_SAVE_LOOP "' '" + (folder / "f.gnd").string() + "' " +
      save_loop_arguments;
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::vector<std::string> calls;
  std::istringstream lines(read_bytes(log));
  const std::string folder_name = as_strace_shows(folder.string());
  for (std::string line; std::getline(lines, line);) {
    const bool ours = line.find(folder_name) != std::string::npos;
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
}

// A save killed anywhere leaves the whole old file or the whole new one; the temporary files it
// leaves go at the next start.
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
  remove_leftover_temporaries(folder.path());
  EXPECT_EQ(list_files(folder.path(), "*"), std::vector<std::string>{"f.gnd"});
}

}  // namespace
}  // namespace tavelo
