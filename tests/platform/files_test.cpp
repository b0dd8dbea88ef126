#include "platform/files.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::read_bytes;
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

TEST(Files, StoredNamesCannotLeaveTheirFolder) {
  EXPECT_EQ(path_inside("/prog", "manual\\page.htm"),
            std::filesystem::path("/prog/manual/page.htm"));
  EXPECT_EQ(path_inside("/prog", "a..b"), std::filesystem::path("/prog/a..b"));
  for (const char* hostile : {"", "..\\x", "a/../../x", "/etc/passwd", "\\x", "C:\\x", "c:x"})
    EXPECT_FALSE(path_inside("/prog", hostile)) << hostile;
}

}  // namespace
}  // namespace tavelo
