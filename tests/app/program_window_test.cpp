#include <gtest/gtest.h>

#include <string>

#include "tests/app/program_folder_copy.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

TEST(ProgramWindow, OnADisplayTheProgramShowsARealWindowThatReturnCloses) {
  testing::GuiSession desktop;
  testing::TempFolder folder;
  const auto program = testing::copy_program_into(folder.path());
  testing::add_plannings(folder.path(), 1);
  // The program is built with the leak checker; the desktop's libraries keep their caches.
  const auto suppressions = folder.path() / "leaks.supp";
  testing::write_bytes(suppressions, testing::library_leak_suppressions());

  // A user waits for the window to show, gives it the keyboard and presses Return, which ends
  // the program; a program that showed no window leaves the user searching until the time-out.
  testing::ChildProcess user({"sh", "-c",
                              "timeout 30 xdotool search --sync --onlyvisible --name '^Tavelo$' "
                              "windowfocus --sync %1 key Return"});
  EXPECT_EQ(testing::run_program({program.string()},
                                 {"LSAN_OPTIONS=suppressions=" + suppressions.string()}, 30000)
                .status,
            0);
  EXPECT_EQ(user.wait(35000, [] {}), 0);
}

}  // namespace
}  // namespace tavelo
