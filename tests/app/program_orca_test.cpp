// Orca reading the real program on the private desktop, through a private speech daemon: the
// calendar's day line and grid cell, and the editor's type list, are said as real keys bring the
// focus there and change them.
#include <gtest/gtest.h>

#include <optional>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "shell/calendar_form.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/app/program_on_desktop.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/platform/orca_session.hpp"
#include "tests/platform/speech_daemon.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using testing::eventually;

class ProgramWithOrca : public ::testing::Test {
 protected:
  ProgramWithOrca() {
    testing::gui_windows();
    fs::create_directories(folder_.path() / "carillons");
  }

  // Orca first, then the program, whose calendar takes the keyboard.
  void start_program() {
    orca_.emplace(speech_.path() / "orca", daemon_, testing::orca_locale(), testing::pause_briefly);
    ASSERT_TRUE(eventually([&] { return !daemon_.spoken().empty(); }, testing::kOrcaPatienceMs))
        << "Orca said nothing";
    program_.emplace(folder_.path());
    ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  }

  // Presses the keys and tells whether Orca then says `text`; what it said goes to the failure.
  ::testing::AssertionResult says_after(const std::string& keys, const std::string& text) {
    const std::size_t mark = daemon_.spoken().size();
    testing::press(keys);
    const auto said = [&] { return daemon_.spoken().substr(mark); };
    if (eventually([&] { return said().find(text) != std::string::npos; },
                   testing::kOrcaPatienceMs)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << text << " was not said; Orca said: " << said();
  }

  void quit_from_the_calendar() {
    testing::press("alt+p");
    testing::press("q");
    EXPECT_EQ(program_->wait_end(testing::kOrcaPatienceMs), 0);
  }

  testing::TempFolder folder_;
  testing::TempFolder speech_;
  testing::SpeechDaemon daemon_{speech_.path()};
  std::optional<testing::Orca> orca_;
  std::optional<testing::ProgramOnDesktop> program_;
};

TEST_F(ProgramWithOrca, OrcaSaysTheDayListLineAndTheGridCellAsTheFocusReachesThem) {
  const int today = testing::machine_today();
  const fs::path rdv = planning_folder(folder_.path());
  fs::create_directories(rdv);
  Planning dentist;
  dentist.subject = "dentiste";
  testing::write_bytes(rdv / planning_base_name(today, "09:30"), write_planning(dentist));
  ASSERT_NO_FATAL_FAILURE(start_program());

  EXPECT_TRUE(says_after("Tab", "dentiste")) << "the day's line";
  // The cell as the grid shows it: the day on two digits and a star for the planning.
  std::string cell = grid_cell(today, 1);
  cell.erase(cell.find_last_not_of(' ') + 1);
  EXPECT_TRUE(says_after("shift+Tab", cell)) << "the grid's cell";
  quit_from_the_calendar();
}

// The editor's type list: Orca names it by its label as the focus reaches it, and says each
// type the arrows choose.
TEST_F(ProgramWithOrca, OrcaSaysTheEditorsTypeListByItsLabelAndEachTypeChosen) {
  ASSERT_NO_FATAL_FAILURE(start_program());
  testing::press("Return");
  ASSERT_TRUE(testing::focus_window("nouvelle planification"));

  testing::press("Tab");  // from the subject to the time
  EXPECT_TRUE(says_after("Tab", "type"));
  EXPECT_TRUE(says_after("Down", "à la semaine"));
  EXPECT_TRUE(says_after("Down", "aux deux semaines"));
  testing::press("Escape");
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  quit_from_the_calendar();
}

}  // namespace
}  // namespace tavelo
