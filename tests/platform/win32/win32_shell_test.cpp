#include "platform/win32/win32_shell.hpp"

#include <gtest/gtest.h>

#include "platform/files.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;

TEST(Win32Shell, HandsEachArgumentOverWholeWithoutACommandInterpreter) {
  const TempFolder folder;
  Win32Shell shell(folder.path());
  // A command interpreter would split this name and run what follows "&"; the ANSI code page
  // would lose its last letters, which the program reads back from the wide command line.
  const std::filesystem::path target = folder.path() / path_of("sons & cloches; à part, Łódź");
  std::filesystem::create_directory(target);
  EXPECT_TRUE(shell.start_program(TAVELO_MAKE_SOUNDS, {target.string()}));
  EXPECT_TRUE(
      testing::eventually([&] { return std::filesystem::exists(target / "beep.wav"); }, 20000));
  EXPECT_FALSE(shell.start_program(folder.path() / "absent.exe", {}));
  EXPECT_FALSE(shell.show_help("absente.htm"));
  EXPECT_FALSE(shell.open((folder.path() / "absent.txt").string()));
}

}  // namespace
}  // namespace tavelo
