// Orca reading the real program's calendar on the private desktop, through a private speech
// daemon: the day's line and the grid's cell are said as real Tab presses bring the focus there.
#include <gtest/gtest.h>

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

TEST(ProgramWithOrca, OrcaSaysTheDayListLineAndTheGridCellAsTheFocusReachesThem) {
  testing::gui_windows();
  testing::TempFolder folder;
  testing::TempFolder speech;
  testing::SpeechDaemon daemon(speech.path());
  const int today = testing::machine_today();
  fs::create_directories(folder.path() / "carillons");
  const fs::path rdv = planning_folder(folder.path());
  fs::create_directories(rdv);
  Planning dentist;
  dentist.subject = "dentiste";
  testing::write_bytes(rdv / planning_base_name(today, "09:30"), write_planning(dentist));

  testing::Orca orca(speech.path() / "orca", daemon, testing::orca_locale(),
                     testing::pause_briefly);
  ASSERT_TRUE(eventually([&] { return !daemon.spoken().empty(); }, testing::kOrcaPatienceMs))
      << "Orca said nothing";
  testing::ProgramOnDesktop program(folder.path());
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));

  const auto said_since = [&daemon](std::size_t mark) { return daemon.spoken().substr(mark); };
  std::size_t mark = daemon.spoken().size();
  testing::press("Tab");
  EXPECT_TRUE(eventually([&] { return said_since(mark).find("dentiste") != std::string::npos; },
                         testing::kOrcaPatienceMs))
      << "the day's line was not said; Orca said: " << said_since(mark);

  // The cell as the grid shows it: the day on two digits and a star for the planning.
  std::string cell = grid_cell(today, 1);
  cell.erase(cell.find_last_not_of(' ') + 1);
  mark = daemon.spoken().size();
  testing::press("shift+Tab");
  EXPECT_TRUE(eventually([&] { return said_since(mark).find(cell) != std::string::npos; },
                         testing::kOrcaPatienceMs))
      << "the grid's cell " << cell << " was not said; Orca said: " << said_since(mark);

  testing::press("alt+p");
  testing::press("q");
  EXPECT_EQ(program.wait_end(testing::kOrcaPatienceMs), 0);
}

// The editor's type list: Orca names it by its label as the focus reaches it, and says each
// type the arrows choose.
TEST(ProgramWithOrca, OrcaSaysTheEditorsTypeListByItsLabelAndEachTypeChosen) {
  testing::gui_windows();
  testing::TempFolder folder;
  testing::TempFolder speech;
  testing::SpeechDaemon daemon(speech.path());
  fs::create_directories(folder.path() / "carillons");
  testing::Orca orca(speech.path() / "orca", daemon, testing::orca_locale(),
                     testing::pause_briefly);
  ASSERT_TRUE(eventually([&] { return !daemon.spoken().empty(); }, testing::kOrcaPatienceMs))
      << "Orca said nothing";
  testing::ProgramOnDesktop program(folder.path());
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  testing::press("Return");
  ASSERT_TRUE(testing::focus_window("nouvelle planification"));

  const auto said_since = [&daemon](std::size_t mark) { return daemon.spoken().substr(mark); };
  std::size_t mark = daemon.spoken().size();
  testing::press("Tab");  // the time
  testing::press("Tab");  // the type
  EXPECT_TRUE(eventually([&] { return said_since(mark).find("type") != std::string::npos; },
                         testing::kOrcaPatienceMs))
      << "the type list was not named; Orca said: " << said_since(mark);
  for (const char* type : {"à la semaine", "aux deux semaines"}) {
    mark = daemon.spoken().size();
    testing::press("Down");
    EXPECT_TRUE(eventually([&] { return said_since(mark).find(type) != std::string::npos; },
                           testing::kOrcaPatienceMs))
        << type << " was not said; Orca said: " << said_since(mark);
  }
  testing::press("Escape");
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  testing::press("alt+p");
  testing::press("q");
  EXPECT_EQ(program.wait_end(testing::kOrcaPatienceMs), 0);
}

}  // namespace
}  // namespace tavelo
