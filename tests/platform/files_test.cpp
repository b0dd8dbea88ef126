#include "platform/files.hpp"

#include <gtest/gtest.h>

#include "platform/lock_file.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::TempFolder;
using testing::write_bytes;

// A second instance finds the lock held, even a left-over file of the same name is taken over,
// and the lock goes with its file.
TEST(Files, TheLockIsHeldByOneInstanceAtATime) {
  const TempFolder folder;
  const fs::path file = folder.path() / "agendalock";
  write_bytes(file, "");  // left over by an instance that crashed
  std::optional<LockFile> first = LockFile::take(file);
  ASSERT_TRUE(first);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_FALSE(LockFile::take(file)) << "another instance holds it";
  EXPECT_TRUE(lock_held_elsewhere(file));
  first.reset();
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(LockFile::take(file));
}

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

// The names a test offers in turn, then none.
NextName names_of(std::vector<std::string> names) {
  return [names = std::move(names), next = std::size_t{0}]() mutable -> std::optional<std::string> {
    if (next == names.size()) return std::nullopt;
    return names[next++];
  };
}

// A file or a folder that has a name keeps it; a file that finds no free name goes nowhere and
// leaves nothing behind.
TEST(Files, NewFilesAndMovedFilesTakeTheFirstFreeNameAndNeverReplaceOne) {
  TempFolder folder;
  write_bytes(folder.path() / "a", "kept");
  std::filesystem::create_directory(folder.path() / "b");
  EXPECT_EQ(write_new_file_atomically(folder.path(), "new", names_of({"a", "b", "c"})), "c");
  EXPECT_EQ(read_bytes(folder.path() / "a"), "kept");
  EXPECT_EQ(read_bytes(folder.path() / "c"), "new");
  EXPECT_EQ(write_new_file_atomically(folder.path(), "lost", names_of({"a", "c"})), std::nullopt);
  EXPECT_EQ(write_new_file_atomically(folder.path() / "absent", "lost", names_of({"d"})),
            std::nullopt);

  const TempFolder elsewhere;
  const auto moved = elsewhere.path() / "m";
  write_bytes(moved, "moved");
  EXPECT_EQ(move_to_new_name(moved, folder.path(), names_of({"c"})), std::nullopt);
  EXPECT_EQ(read_bytes(moved), "moved");
  EXPECT_EQ(move_to_new_name(moved, folder.path(), names_of({"a", "d"})), "d");
  EXPECT_EQ(read_bytes(folder.path() / "d"), "moved");
  EXPECT_FALSE(file_exists(moved));
  EXPECT_EQ(list_files(folder.path(), "*"), (std::vector<std::string>{"a", "c", "d"}));
}

// Beyond its limit of waiting files a rename batch finishes early, and a file it cannot put into
// place is reported and leaves no temporary file behind.
TEST(Files, ARenameBatchPutsEveryFileInPlaceAndReportsTheOnesItCannot) {
  TempFolder folder;
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
  EXPECT_EQ(read_bytes(folder.path() / "n299"), "x");
  EXPECT_EQ(lost, std::vector<std::filesystem::path>{gone / "f"});
  EXPECT_EQ(list_files(gone, "*"), std::vector<std::string>{});
}

// The temporary files that dead saves left go at the next start, but not one that a live save
// still holds, nor the daily pass's planning set aside.
TEST(Files, TheLitterOfDeadSavesGoesButNotWhatALiveSaveHolds) {
  TempFolder folder;
  write_bytes(folder.path() / "f.gnd", "kept");
  std::filesystem::create_directories(folder.path() / "rdv");
  write_bytes(folder.path() / "rdv" / "~tavelo-Ab3dE9", "left by a save that died");
  write_bytes(folder.path() / "rdv" / "~tavelo-passed", "a planning, not a temporary file");
  // As a save of another instance holds its own.
  const std::optional<LockFile> live = LockFile::take(folder.path() / "~tavelo-Zz9yX8");
  ASSERT_TRUE(live);
  remove_leftover_temporaries(folder.path());
  EXPECT_EQ(list_files(folder.path(), "*"), (std::vector<std::string>{"f.gnd", "~tavelo-Zz9yX8"}));
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
