#include "platform/win32/win32_shell.hpp"

#include <gtest/gtest.h>

#include "tests/support/programs.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;

TEST(Win32Shell, HandsEachArgumentOverWholeWithoutACommandInterpreter) {
  const TempFolder folder;
  Win32Shell shell(folder.path());
  // A command interpreter would split this name and run what follows "&".
  const std::filesystem::path target = folder.path() / "sons & cloches; à part";
  std::filesystem::create_directory(target);
  EXPECT_TRUE(shell.start_program(TAVELO_MAKE_SOUNDS, {target.string()}));
  EXPECT_TRUE(testing::eventually(
      [&] { return std::filesystem::exists(target / "beep.wav"); }, 20000));
  EXPECT_FALSE(shell.start_program(folder.path() / "absent.exe", {}));
  EXPECT_FALSE(shell.show_help("absente.htm"));
  EXPECT_FALSE(shell.open((folder.path() / "absent.txt").string()));
}

}  // namespace
}  // namespace tavelo
