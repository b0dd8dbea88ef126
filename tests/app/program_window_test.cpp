// The program on a real display: the calendar driven by real keys, what it says through a real
// speech daemon, what a screen reader finds in its windows, and a picture of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <thread>

#include "exchange/exchange_file.hpp"
#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "shell/calendar_form.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/app/program_on_desktop.hpp"
#include "tests/platform/atspi_listing.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/platform/speech_daemon.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using testing::AccessibleControl;
using testing::eventually;
using testing::press;

constexpr int kPatienceMs = 30000;

std::vector<AccessibleControl> program_controls() {
  return testing::controls_on_the_bus("tavelo", testing::pause_briefly);
}

bool has_control(const std::vector<AccessibleControl>& controls, const std::string& name) {
  return std::any_of(controls.begin(), controls.end(),
                     [&](const AccessibleControl& c) { return c.name == name; });
}

void expect_every_control_named(const std::vector<AccessibleControl>& controls,
                                const std::string& window) {
  EXPECT_FALSE(controls.empty()) << window << ": nothing on the accessibility bus";
  for (const AccessibleControl& c : controls) {
    EXPECT_FALSE(c.name.empty()) << window << ": a " << c.role << " has no name";
  }
}

// Writes a picture of the screen into the build folder.
void take_screenshot(const std::string& name) {
  const fs::path picture = fs::path(TAVELO_BUILD_DIR) / name;
  fs::remove(picture);
  ASSERT_EQ(std::system(("import -window root '" + picture.string() + "'").c_str()), 0);
  EXPECT_GT(fs::file_size(picture), 1000U);
}

// The hidden agenda's only window that shows is its tray icon: a click on it.
bool click_tray_icon() {
  testing::ChildProcess user({"sh", "-c",
                              "timeout 30 xdotool search --sync --onlyvisible --class tavelo "
                              "mousemove --window %1 8 8 click 1"});
  return user.wait(35000, testing::pause_briefly) == 0;
}

class ProgramOnADisplay : public ::testing::Test {
 protected:
  ProgramOnADisplay() {
    testing::gui_windows();
    fs::create_directories(folder() / "carillons");
    Settings settings = default_settings(today_, false);
    apply_zero_value_defaults(settings);
    settings.daily_repeated_warning = 1;
    settings.journal_folder = (folder() / "journal").string();
    savesettings(folder(), settings, today_);
  }

  fs::path folder() const { return folder_.path(); }
  fs::path add_planning(int day, std::string_view time, std::string subject) const {
    const fs::path rdv = planning_folder(folder());
    fs::create_directories(rdv);
    Planning planning;
    planning.subject = std::move(subject);
    planning.type = kTypeOneOff;
    const fs::path file = rdv / free_planning_name(rdv, day, time);
    testing::write_bytes(file, write_planning(planning));
    return file;
  }
  // True once the daemon was given the text `times` times.
  bool hears(const std::string& text, int times = 1) const {
    return eventually(
        [&] {
          // The daemon's module takes a text sentence by sentence, one a line.
          std::string spoken = daemon_.spoken();
          std::erase(spoken, '\n');
          int found = 0;
          for (auto at = spoken.find(text); at != std::string::npos;
               at = spoken.find(text, at + 1)) {
            ++found;
          }
          return found >= times;
        },
        kPatienceMs);
  }

  const int today_ = testing::machine_today();
  testing::TempFolder folder_;
  testing::TempFolder speech_;
  testing::SpeechDaemon daemon_{speech_.path()};
};

TEST_F(ProgramOnADisplay, TheCalendarAnswersRealKeysAndEveryWindowIsNamedForAScreenReader) {
  const fs::path dentist = add_planning(today_, "09:30", "dentiste");
  for (const char* time : {"08:00", "09:00", "10:00", "11:00"}) add_planning(today_ + 1, time, "x");
  add_planning(today_ - 1, "18:00", "coiffeur");
  testing::ProgramOnDesktop program(folder());

  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40")) << "the calendar never showed";
  EXPECT_TRUE(hears(day_summary(today_, 1, 6))) << daemon_.spoken();
  take_screenshot("calendar.png");
  const std::vector<AccessibleControl> calendar = program_controls();
  expect_every_control_named(calendar, "calendar");
  const CalendarDate month = date_of(today_);
  EXPECT_TRUE(has_control(calendar, std::string(kMonthNames[std::size_t(month.month)]) + " " +
                                        std::to_string(month.year)));
  for (const char* name : {"planifications du jour:", "ajouter", "supprimer", "modifier",
                           "voir la note", "aide-f1", "<<<", ">>>", "ok", "annuler"}) {
    EXPECT_TRUE(has_control(calendar, name)) << name;
  }

  press("Right");
  EXPECT_TRUE(hears(day_summary(today_ + 1, 4, 6))) << daemon_.spoken();
  press("KP_Add");
  const int next_month = moved_day(CalendarMove::kNextMonth, today_ + 1, today_, DayIndex({}));
  EXPECT_TRUE(hears(day_summary(next_month, 0, 6))) << daemon_.spoken();
  press("Home");
  EXPECT_TRUE(hears(day_summary(today_, 1, 6), 2)) << daemon_.spoken();

  // Delete on the day's list, and yes in the question box.
  press("Tab");
  press("Delete");
  ASSERT_TRUE(testing::focus_window("Confirmation")) << "no question came";
  press("Return");
  EXPECT_TRUE(eventually([&] { return !fs::exists(dentist); }, kPatienceMs));
  EXPECT_TRUE(hears(day_summary(today_, 0, 5))) << daemon_.spoken();

  // Planifier, "Votre agenda aujourd'hui": the report of what passed.
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  press("alt+p");
  press("v");
  ASSERT_TRUE(testing::focus_window("signalement de Tavelo")) << "no report came";
  const std::vector<AccessibleControl> report = program_controls();
  expect_every_control_named(report, "report");
  EXPECT_TRUE(has_control(report, "ce que la gestion a trouvé:"));
  press("Return");

  // Extra, "heure sonore".
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  press("alt+x");
  press("Home");
  press("Return");
  ASSERT_TRUE(testing::focus_window("heure sonore")) << "the speaking clock never showed";
  const std::vector<AccessibleControl> clock = program_controls();
  expect_every_control_named(clock, "speaking clock");
  EXPECT_TRUE(has_control(clock, "heure actuelle:"));
  press("Escape");

  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  press("alt+p");
  press("q");
  EXPECT_EQ(program.wait_end(kPatienceMs), 0);
  EXPECT_FALSE(fs::exists(folder() / "agendalock"));
}

TEST_F(ProgramOnADisplay, TheSharedFoldersTheirFtpWindowAndTheImportAnswerRealKeys) {
  {
    testing::ProgramOnDesktop program(folder());
    ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40")) << "the calendar never showed";
    // "Option", its last item "Dossiers partagés".
    press("alt+o");
    press("End");
    press("Return");
    ASSERT_TRUE(testing::focus_window("dossiers partagés")) << "the shared folders never showed";
    const std::vector<AccessibleControl> sharing = program_controls();
    expect_every_control_named(sharing, "shared folders");
    for (const char* name : {"autoriser l'importation des dossiers partagés", "votre identifiant:",
                             "identifiants reconnus:", "dossier:", "parcourir", "activer FTP"}) {
      EXPECT_TRUE(has_control(sharing, name)) << name;
    }
    press("alt+d");
    ASSERT_TRUE(testing::focus_window("dossier FTP")) << "the FTP window never showed";
    const std::vector<AccessibleControl> ftp = program_controls();
    expect_every_control_named(ftp, "FTP window");
    for (const char* name : {"ftp://", "pseudo", "passe", "sous-dossier", "port:", "mode passif"}) {
      EXPECT_TRUE(has_control(ftp, name)) << name;
    }
    press("Escape");
    ASSERT_TRUE(testing::focus_window("dossiers partagés"));
    press("Escape");
    ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
    press("alt+p");
    press("q");
    EXPECT_EQ(program.wait_end(kPatienceMs), 0);
  }

  // Started on an exchange file, the program opens the import window on it.
  testing::TempFolder sender;
  const fs::path sent = planning_folder(sender.path());
  fs::create_directories(sent);
  Planning planning;
  planning.subject = "importée";
  planning.type = kTypeOneOff;
  testing::write_bytes(sent / free_planning_name(sent, today_, "16:00"), write_planning(planning));
  ExportChoice choice;
  choice.plannings = list_plannings(sent);
  Settings settings = default_settings(today_, false);
  testing::ScriptedPrompts quiet;
  const fs::path txa = sender.path() / "envoi.txa";
  ASSERT_TRUE(export_plannings(sender.path(), settings, choice, txa, quiet));
  testing::ProgramOnDesktop program(folder(), {txa.string()});
  ASSERT_TRUE(testing::focus_window("importation")) << "the import window never showed";
  const std::vector<AccessibleControl> import = program_controls();
  expect_every_control_named(import, "import");
  EXPECT_TRUE(has_control(import, "tout sélectionner"));
  press("alt+t");
  press("Return");
  EXPECT_TRUE(eventually([&] { return list_plannings(planning_folder(folder())).size() == 1; },
                         kPatienceMs));
}

// The planning editor, its small dialogs and the planning list on a real display: filled and
// saved with real keys, and every control named for a screen reader.
TEST_F(ProgramOnADisplay, TheEditorAndTheListAnswerRealKeysAndNameEveryControl) {
  Settings settings = default_settings(today_, false);
  loadsettings(folder(), settings);
  settings.background_mode = 1;
  settings.sharing_table.push_back({{"bob", (folder() / "bob").string()}});
  savesettings(folder(), settings, today_);
  testing::ProgramOnDesktop program(folder());
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40")) << "the calendar never showed";

  press("Return");
  ASSERT_TRUE(testing::focus_window("nouvelle planification")) << "the editor never showed";
  const std::vector<AccessibleControl> editor = program_controls();
  expect_every_control_named(editor, "editor");
  for (const char* name : {"date:", "sujet:", "heure:", "type:", "note", "journal", "partager",
                           "enregistrer la catégorie", "aide-f1", "ok", "annuler"}) {
    EXPECT_TRUE(has_control(editor, name)) << name;
  }
  for (const char letter : std::string("piscine")) press(std::string(1, letter));

  press("alt+h");
  ASSERT_TRUE(testing::focus_window("option de tâche: piscine")) << "no task options";
  expect_every_control_named(program_controls(), "task options");
  press("Escape");
  ASSERT_TRUE(testing::focus_window("nouvelle planification"));
  press("alt+p");
  ASSERT_TRUE(testing::focus_window("partager la planification piscine")) << "no sharing choice";
  const std::vector<AccessibleControl> sharing = program_controls();
  expect_every_control_named(sharing, "sharing choice");
  EXPECT_TRUE(has_control(sharing, "identifiants"));
  press("Escape");
  ASSERT_TRUE(testing::focus_window("nouvelle planification"));
  press("Return");
  const fs::path rdv = planning_folder(folder());
  EXPECT_TRUE(eventually([&] { return list_plannings(rdv).size() == 1; }, kPatienceMs));

  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  press("alt+p");
  press("l");
  ASSERT_TRUE(testing::focus_window("liste des plannifications")) << "the list never showed";
  const std::vector<AccessibleControl> list = program_controls();
  expect_every_control_named(list, "planning list");
  for (const char* name : {"modifier", "fermer", "chronologique", "alphabétique", "rechercher:",
                           "catégorie affichée:"}) {
    EXPECT_TRUE(has_control(list, name)) << name;
  }
  press("Escape");
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40"));
  press("alt+p");
  press("q");
  EXPECT_EQ(program.wait_end(kPatienceMs), 0);
}

TEST_F(ProgramOnADisplay,
       ClosedWithTheBackgroundAgendaOnTheCalendarLeavesAnAgendaThatRingsAndHandsBack) {
  // Xvfb has no notification area of its own: Debian's trayer is one.
  const testing::ChildProcess area({"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                    "pixel", "--width", "120", "--height", "32"});
  Settings settings = default_settings(today_, false);
  loadsettings(folder(), settings);
  settings.background_mode = 1;
  settings.management_hour = 23;
  settings.management_minute = 59;
  settings.forewarning_hour = 255;
  ASSERT_TRUE(savesettings(folder(), settings, today_));
  // A planning of this very minute, not too close to its end.
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  if (local.tm_sec > 40) {
    std::this_thread::sleep_for(std::chrono::seconds(61 - local.tm_sec));
    now = std::time(nullptr);
    ::localtime_r(&now, &local);
  }
  const fs::path rdv = planning_folder(folder());
  fs::create_directories(rdv);
  Planning dentist;
  dentist.subject = "dentiste";
  dentist.type = kTypeOneOff;
  dentist.journal = 1;
  testing::write_bytes(
      rdv / planning_base_name(testing::machine_today(), time_text(local.tm_hour, local.tm_min)),
      write_planning(dentist));
  testing::ProgramOnDesktop program(folder());

  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40")) << "the calendar never showed";
  press("Escape");
  EXPECT_TRUE(hears("Tavelo, version: 6.40")) << daemon_.spoken();
  // Both Shift keys, until the journal says that the alarm was heard.
  const fs::path journal = folder() / "journal" / "bilan principal.txt";
  EXPECT_TRUE(eventually(
      [&] {
        press("Shift_L+Shift_R");
        return fs::exists(journal) &&
               utf8_from_cp1252(testing::read_bytes(journal))
                       .find(
                           "  sujet:  dentiste\r\n  L'avertissement a "
                           "été reçu par l'utilisateur.") != std::string::npos;
      },
      kPatienceMs));

  // The tray menu's second item, "Calendrier".
  ASSERT_TRUE(click_tray_icon()) << "the tray icon never showed";
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  press("Down");
  press("Return");
  ASSERT_TRUE(testing::focus_window("Tavelo version: 6.40")) << "the calendar never came back";
  press("alt+p");
  press("q");
  EXPECT_EQ(program.wait_end(kPatienceMs), 0);
}

}  // namespace
}  // namespace tavelo
