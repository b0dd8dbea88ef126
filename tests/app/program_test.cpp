#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/app/program_session.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::read_bytes;
using testing::write_bytes;

using testing::Session;

std::string said(std::string_view text) {
  return "speak \"" + std::string(text) + "\"";
}

// Monday 7 December 2026. The program is started as a user starts it, from a program folder of
// its own that holds its data; its chime folder is there, so that no first-run question comes.
class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = testing::copy_program_into(folder());
    fs::create_directories(folder() / "carillons");
  }
  fs::path folder() const { return folder_.path(); }
  fs::path rdv() const { return planning_folder(folder()); }

  Session session(std::string_view script, const std::vector<std::string>& arguments = {}) {
    return testing::run_program_session(
        program_, scripts_.path(), std::string("now 2026-12-07 10:00\n") + std::string(script),
        arguments);
  }

  Settings settings_of(int last_active_day) const {
    Settings settings = default_settings(last_active_day, false);
    apply_zero_value_defaults(settings);
    settings.journal_folder = (folder() / "journal").string();
    return settings;
  }
  void save(const Settings& settings, int last_active_day) const {
    ASSERT_TRUE(savesettings(folder(), settings, last_active_day));
  }
  Settings stored() const {
    Settings settings = default_settings(today_, false);
    loadsettings(folder(), settings);
    return settings;
  }
  fs::path add_planning(int day, std::string_view time, std::string subject,
                        std::string note = {}) const {
    fs::create_directories(rdv());
    Planning planning;
    planning.subject = std::move(subject);
    planning.type = kTypeOneOff;
    planning.note = std::move(note);
    planning.note_kind = planning.note.empty() ? 0 : 2;
    const fs::path file = rdv() / free_planning_name(rdv(), day, time);
    write_bytes(file, write_planning(planning));
    return file;
  }

  const int today_ = daynumber(2026, 12, 7);
  testing::TempFolder folder_;
  testing::TempFolder scripts_;
  fs::path program_;
};

TEST_F(Program, TheCalendarShowsAndSaysTheSelectedDayAndFollowsTheArrows) {
  save(settings_of(today_), today_);
  add_planning(today_, "09:30", "dentiste", "carte vitale");
  add_planning(today_, "14:05", "réunion");
  for (const char* time : {"08:00", "09:00", "10:00", "11:00"}) add_planning(today_ + 1, time, "x");

  const Session s = session(
      "wait 300ms\nkey right\nwait 300ms\nkey down\nwait 300ms\nkey up\nwait 300ms\n"
      "key left\nwait 300ms\nkey tab\nkey f1\nkey shift+tab\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.has("window \"Tavelo version: 6.40\"")) << s.text();
  EXPECT_TRUE(s.has("focus 21 \"Décembre 2026\"")) << s.text();
  const std::string monday =
      said("Lundi 7 Décembre 2026, 2 planifications. total de 6 planification. ");
  EXPECT_TRUE(s.in_order(monday, said("Mardi 8 Décembre 2026, 4 planifications. total de 6 "
                                      "planification. ")))
      << s.text();
  EXPECT_TRUE(s.has(said("Mardi 15 Décembre 2026, aucune planification."))) << s.text();
  EXPECT_EQ(s.count(monday), 2) << s.text();
  EXPECT_TRUE(s.in_order("focus 11 \"planifications du jour:\"", "help \"cal.htm\"")) << s.text();
  EXPECT_FALSE(fs::exists(folder() / "agendalock"));
  EXPECT_EQ(stored().last_active_day, today_);
}

TEST_F(Program, PagesYearsMonthsAndTodayMoveTheSelection) {
  const Session s = session(
      "now 2028-02-29 10:00\nwait 300ms\nkey control+pagedown\nwait 300ms\n"
      "key control+pageup\nwait 300ms\nkey home\nwait 300ms\nkey pagedown\nwait 300ms\n"
      "key +\nwait 300ms\nkey padminus\nwait 300ms\nkey pageup\nwait 300ms\nclick 13\n"
      "wait 300ms\nclick 6\nwait 300ms\n");
  const std::vector<std::string> expected = {"Mardi 29 Février 2028", "Jeudi 29 Mars 2029",
                                             "Mercredi 29 Mars 2028", "Mardi 29 Février 2028",
                                             "Mardi 28 Mars 2028",    "Vendredi 28 Avril 2028",
                                             "Mardi 28 Mars 2028",    "Mardi 29 Février 2028",
                                             "Jeudi 29 Mars 2029",    "Jeudi. premier Mars 2029"};
  std::vector<std::string> summaries;
  for (const std::string& line : s.lines) {
    if (line.starts_with("speak \"")) summaries.push_back(line.substr(7, line.find(',') - 7));
  }
  EXPECT_EQ(summaries, expected) << s.text();
}

TEST_F(Program, TheKeysGoToTheDaysThatHavePlannings) {
  save(settings_of(today_), today_);
  for (const int day : {today_ - 6, today_, today_ + 3, today_ + 14})
    add_planning(day, "08:00", "x");
  const Session s = session(
      "wait 300ms\nkey j\nwait 300ms\nkey shift+j\nwait 300ms\nkey shift+j\nwait 300ms\n"
      "key control+end\nwait 300ms\nkey shift+s\nwait 300ms\nkey s\nwait 300ms\n"
      "key control+home\nwait 300ms\nkey shift+j\nwait 300ms\n");
  std::vector<std::string> days;
  for (const std::string& line : s.lines) {
    if (line.starts_with("speak \"")) days.push_back(line.substr(7, line.find(',') - 7));
  }
  EXPECT_EQ(days,
            (std::vector<std::string>{"Lundi 7 Décembre 2026", "Jeudi 10 Décembre 2026",
                                      "Lundi 7 Décembre 2026", "Mardi. premier Décembre 2026",
                                      "Lundi 21 Décembre 2026", "Lundi 7 Décembre 2026",
                                      "Lundi 21 Décembre 2026", "Mardi. premier Décembre 2026"}))
      << s.text();
}

TEST_F(Program, DeleteRemovesThePlanningOfTheListOrEveryPlanningOfTheDayAfterAQuestion) {
  save(settings_of(today_), today_);
  const fs::path first = add_planning(today_, "09:30", "dentiste");
  const fs::path second = add_planning(today_, "14:05", "réunion");
  const fs::path third = add_planning(today_, "18:00", "cinéma");
  const fs::path other = add_planning(today_ + 1, "09:00", "autre jour");
  const Session s = session(
      "wait 300ms\nkey tab\nanswer no\nkey delete\nanswer yes\nkey delete\nwait 300ms\n"
      "key shift+tab\nanswer yes\nkey delete\nwait 300ms\nclose\n");
  EXPECT_TRUE(s.has("question \"Voulez-vous supprimer la planification sélectionnée?\" -> no"))
      << s.text();
  EXPECT_TRUE(s.has("question \"Voulez-vous supprimer la planification sélectionnée?\" -> yes"));
  EXPECT_TRUE(
      s.has("question \"Voulez-vous supprimer toutes les planifications de cette datte?\" "
            "-> yes"));
  EXPECT_TRUE(s.has(said("Lundi 7 Décembre 2026, 2 planifications. total de 3 planification. ")))
      << s.text();
  EXPECT_TRUE(s.has(said("Lundi 7 Décembre 2026, aucune planification."))) << s.text();
  EXPECT_FALSE(fs::exists(first));
  EXPECT_FALSE(fs::exists(second));
  EXPECT_FALSE(fs::exists(third));
  EXPECT_TRUE(fs::exists(other));
}

TEST_F(Program, TheOptionMenusStoreTheirSettingsAndTheHelpMenuShowsItsPages) {
  save(settings_of(today_), today_);
  const Session s = session(
      "menu 36\nmenu 37\nwait 500ms\nclick 3\nclick ok\nmenu 32\nwait 500ms\nkey f1\nclick 1\n"
      "click ok\n"
      "menu 41\nmenu 42\nmenu 44\nmenu 45\nmenu 1\nmenu 62\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.has("menu-check 36 on")) << s.text();
  EXPECT_TRUE(s.has("window \"sortie des alarmes p.c.\"")) << s.text();
  EXPECT_TRUE(s.has("window \"option de l'icône du bureau\"")) << s.text();
  EXPECT_TRUE(
      s.has(said("Choisissez l'option de démarage de l'icône du bureau lorsque l'agenda "
                 "est activé en arrière-plan.")))
      << s.text();
  EXPECT_TRUE(s.in_order("help \"icône.htm\"", "help \"intro.htm\"")) << s.text();
  EXPECT_EQ(s.count("notice \"Notice...\" \"Le serveur est inaccessible pour le moment.\""), 2)
      << s.text();
  EXPECT_TRUE(s.has("notice \"À Propos de l'agenda\" \"version: 6.40\"")) << s.text();
  const Settings settings = stored();
  EXPECT_EQ(settings.multiselect_sound_list, 1);
  EXPECT_EQ(settings.pc_pulse_output, 3);
  EXPECT_EQ(settings.desktop_icon_option, 1);
}

TEST_F(Program, TheMakersPagesOpenInTheBrowserWhenItsServerIsSet) {
  write_bytes(folder() / "serveur.txt", "https://example.org/tavelo\n");
  const Session s = session("menu 42\nmenu 45\nclose\n");
  EXPECT_TRUE(s.in_order("open \"https://example.org/tavelo/\"",
                         "open \"https://example.org/tavelo/don.htm\""))
      << s.text();
}

TEST_F(Program, ResettingTheManagementSettingsStartsAgainWithTheDefaults) {
  Settings settings = settings_of(today_);
  settings.multiselect_sound_list = 1;
  settings.management_hour = 6;
  save(settings, today_);
  const Session s = session("wait 300ms\nanswer yes\nmenu 35\nwait 300ms\nmenu 6\n");
  EXPECT_TRUE(s.has("question \"Voulez-vous réinitialiser les paramètres de gestion?\" -> yes"))
      << s.text();
  EXPECT_EQ(s.count("window \"Tavelo version: 6.40\""), 2) << s.text();
  EXPECT_TRUE(s.has("menu-check 36 on")) << s.text();
  EXPECT_EQ(stored().management_hour, 0);
  EXPECT_EQ(stored().multiselect_sound_list, 0);
}

TEST_F(Program, TheManagementNowReportsWhatPassedAndComesBackToTheCalendar) {
  Settings settings = settings_of(today_);
  settings.daily_repeated_warning = 1;
  save(settings, today_);
  const fs::path passed = add_planning(today_ - 1, "09:30", "coiffeur");
  const Session s = session("wait 300ms\nmenu 3\nwait 300ms\nclick ok\nwait 300ms\nmenu 6\n");
  EXPECT_TRUE(s.in_order("window \"signalement de Tavelo\"", "window \"Tavelo version: 6.40\""))
      << s.text();
  EXPECT_FALSE(fs::exists(passed));
  EXPECT_TRUE(fs::exists(folder() / "2026-12-07 autobackup.agb"));
}

TEST_F(Program, ALogOnStartBeforeTheManagementTimeEndsWithoutAWindow) {
  Settings settings = settings_of(today_ - 1);
  settings.management_hour = 23;
  save(settings, today_ - 1);
  const Session s = session("", {"/test"});
  EXPECT_EQ(s.code, 0);
  EXPECT_TRUE(std::none_of(s.lines.begin(), s.lines.end(), [](const std::string& line) {
    return line.starts_with("window");
  })) << s.text();
}

TEST_F(Program, ASleepAskedAtStartIsHandedToTheRunningAgendaAndTheStartEnds) {
  Settings settings = settings_of(today_);
  settings.realtime_running = 1;
  save(settings, today_);
  // The script goes on while the start waits for the running agenda.
  const Session s = session("wait 5s\n", {"/sleep(1:30)"});
  EXPECT_EQ(s.code, 0);
  EXPECT_EQ(read_bytes(folder() / "sleep"),
            "90\r\n" + std::to_string(today_ * 1440LL + 600) + "\r\n");
  // No agenda took the request within five half-seconds: it is taken back.
  EXPECT_FALSE(fs::exists(folder() / "trayaction.txt"));
  EXPECT_TRUE(std::none_of(s.lines.begin(), s.lines.end(), [](const std::string& line) {
    return line.starts_with("window");
  })) << s.text();

  const Session shutdown = session("wait 5s\nclose\n", {"/shutdown"});
  EXPECT_TRUE(shutdown.has("window \"Tavelo version: 6.40\"")) << shutdown.text();
}

TEST_F(Program, ASettingsSaveThatDidNotFinishIsRepairedAtStart) {
  Settings settings = settings_of(today_);
  settings.multiselect_sound_list = 1;
  write_bytes(folder() / "agenda.bak", write_settings(settings, today_));
  write_bytes(folder() / "agenda.bin", "coupé");
  const Session s = session("close\n");
  EXPECT_TRUE(s.has("menu-check 36 on")) << s.text();
  EXPECT_FALSE(fs::exists(folder() / "agenda.bak"));
}

TEST_F(Program, AnAbsenceQuestionUnlessToleratedForeverAndTheManagementOffered) {
  Settings settings = settings_of(today_ - 40);
  save(settings, today_ - 40);
  Session s = session("answer no\nanswer no\nclose\n");
  EXPECT_TRUE(
      s.in_order("question \"L'agenda n'a pas été activé depuis 40 jours. Souhaitez-vous "
                 "l'arrêter, le temps de réajuster la date et l'heure?\" -> no",
                 "question \"l'agenda a besoin d'effectuer une gestion de vos "
                 "planifications. Voulez-vous la faire maintement?\" -> no"))
      << s.text();

  settings.inactivity_days = 0;
  save(settings, today_ - 40);
  s = session("answer no\nclose\n");
  EXPECT_TRUE(std::none_of(s.lines.begin(), s.lines.end(), [](const std::string& line) {
    return line.find("n'a pas été activé") != std::string::npos;
  })) << s.text();
}

TEST_F(Program, WithoutItsMarkerFileTheProgramSaysItMustBeInstalledAgain) {
  fs::remove(folder() / "access.txt");
  const Session s = session("");
  EXPECT_EQ(s.code, 1);
  EXPECT_TRUE(
      s.has("notice \"tavelo\" \"Un fichier manquant est indispensable pour l'exécution "
            "de ce programme.\\rVeuillez refaire l'installation.\""))
      << s.text();
}

TEST_F(Program, TheSpeakingClockTicksAnnouncesTheMinuteAndMarksIt) {
  save(settings_of(today_), today_);
  const Session s = session("menu 61\nwait 61s\nkey escape\nwait 300ms\nclose\n");
  EXPECT_TRUE(s.has("window \"heure sonore\"")) << s.text();
  EXPECT_TRUE(s.has(said("heure sonore, 10 heure, 0 minute, et 0 seconde."))) << s.text();
  EXPECT_TRUE(s.in_order(said("au son du long bip, il sera: 10 heure, 1 minute, et 0 seconde."),
                         "tone 880 1000"))
      << s.text();
  EXPECT_GE(s.count("tone 800 10"), 55) << s.text();
}

TEST_F(Program, ARunningAgendaKeepsASecondStartOutUntilItIsKilled) {
  save(settings_of(testing::machine_today()), testing::machine_today());
  // The first agenda runs in a terminal, its user typing nothing yet.
  const char* display = std::getenv("DISPLAY");
  const std::string kept_display = display != nullptr ? display : "";
  ::unsetenv("DISPLAY");
  int typed[2];
  int shown[2];
  ASSERT_EQ(::pipe(typed), 0);
  ASSERT_EQ(::pipe(shown), 0);
  testing::ChildProcess first({program_.string()}, shown[1], -1, typed[0]);
  ::close(typed[0]);
  ::close(shown[1]);
  if (!kept_display.empty()) ::setenv("DISPLAY", kept_display.c_str(), 1);
  EXPECT_THAT(testing::first_line_of(shown[0], 20000), HasSubstr("window \"Tavelo version"));

  const Session second = session("close\n");
  EXPECT_EQ(second.code, 0);
  EXPECT_TRUE(second.has("stop-sounds")) << second.text();
  EXPECT_FALSE(second.has("window \"Tavelo version: 6.40\"")) << second.text();

  first.kill_at_once();
  ::close(typed[1]);
  ::close(shown[0]);
  const Session third = session("close\n");
  EXPECT_TRUE(third.has("window \"Tavelo version: 6.40\"")) << third.text();
  EXPECT_FALSE(fs::exists(folder() / "agendalock"));
}

// The agenda run on the machine's clock in a terminal, as the user would type it: what it shows
// comes out of `shown`, what is typed goes into `typed`.
struct TerminalAgenda {
  explicit TerminalAgenda(const std::vector<std::string>& words) {
    const char* display = std::getenv("DISPLAY");
    const std::string kept = display != nullptr ? display : "";
    ::unsetenv("DISPLAY");
    int typed_pipe[2];
    int shown_pipe[2];
    if (::pipe(typed_pipe) != 0 || ::pipe(shown_pipe) != 0) throw std::runtime_error("pipe");
    process.emplace(words, shown_pipe[1], -1, typed_pipe[0]);
    ::close(typed_pipe[0]);
    ::close(shown_pipe[1]);
    typed = typed_pipe[1];
    shown = shown_pipe[0];
    if (!kept.empty()) ::setenv("DISPLAY", kept.c_str(), 1);
  }
  ~TerminalAgenda() {
    ::close(typed);
    ::close(shown);
  }
  // Whether a line holding `text` comes out within the time; the lines before it are passed.
  bool shows(std::string_view text, int timeout_ms = 30000) const {
    for (std::string line = testing::first_line_of(shown, timeout_ms); !line.empty();
         line = testing::first_line_of(shown, timeout_ms)) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  void type(std::string_view line) const {
    ASSERT_EQ(::write(typed, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  }

  std::optional<testing::ChildProcess> process;
  int typed = -1;
  int shown = -1;
};

TEST_F(Program, TheCalendarShowsTheSelectedPlanningsNoteAndTheJournal) {
  save(settings_of(today_), today_);
  fs::create_directories(folder() / "journal");
  write_bytes(folder() / "journal" / "bilan principal.txt", "x\r\n");
  add_planning(today_, "09:30", "dentiste", "carte vitale");
  const Session s = session(
      "wait 300ms\nkey tab\nclick 4\nwait 300ms\nkey escape\nwait 300ms\nmenu 4\nwait 300ms\n"
      "click cancel\nwait 300ms\nmenu 6\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.in_order("window \"bloc-note de l'agenda\"", "focus 2 \"note:\"")) << s.text();
  EXPECT_TRUE(s.in_order("focus 2 \"note:\"", "window \"journal\"")) << s.text();
  EXPECT_EQ(s.count("window \"Tavelo version: 6.40\""), 3) << s.text();
}

TEST_F(Program, WithTheBackgroundAgendaOnTheClosedCalendarLeavesAnAgendaThatRingsAndHandsBack) {
  Settings settings = settings_of(today_);
  settings.background_mode = 1;
  settings.management_hour = 23;
  settings.management_minute = 59;
  settings.forewarning_hour = 255;
  save(settings, today_);
  fs::create_directories(folder() / "journal");
  fs::create_directories(rdv());
  Planning dentist;
  dentist.subject = "dentiste";
  dentist.type = kTypeOneOff;
  dentist.journal = 1;
  const fs::path file = rdv() / free_planning_name(rdv(), today_, "10:05");
  write_bytes(file, write_planning(dentist));

  // The calendar closed at 10:00, the planning rings at 10:05 until both Shift keys, and the
  // tray menu's "Calendrier" brings the calendar back.
  const Session s = session(
      "wait 300ms\nclose\nwait 302s\nkey leftshift+rightshift\nwait 3s\ntray 1\nwait 1s\n"
      "menu 2\nwait 300ms\nmenu 6\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.in_order("hide \"Tavelo en temps réel\"", "tone 1760 50")) << s.text();
  EXPECT_TRUE(s.in_order("tone 1760 50", "stop-sounds")) << s.text();
  EXPECT_LT(s.count("tone 1760 50"), 60) << s.text();
  EXPECT_EQ(s.count("window \"Tavelo version: 6.40\""), 2) << s.text();
  EXPECT_THAT(utf8_from_cp1252(read_bytes(folder() / "journal" / "bilan principal.txt")),
              HasSubstr("  sujet:  dentiste\r\n"
                        "  L'avertissement a été reçu par l'utilisateur.\r\n"));
  EXPECT_EQ(stored().realtime_running, 0);
  EXPECT_FALSE(fs::exists(folder() / "agendalock"));
}

TEST_F(Program, AHiddenAgendaSleepsAndShowsTheCalendarWhenLaterStartsAskForIt) {
  const int today = testing::machine_today();
  Settings settings = settings_of(today);
  settings.background_mode = 1;
  settings.forewarning_hour = 255;
  save(settings, today);
  fs::create_directories(folder() / "journal");
  add_planning(today + 1, "09:00", "demain");

  // A sleep asked before the log-on comes first; a click on the icon ends it.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  const long long minute = today * 1440LL + local.tm_hour * 60 + local.tm_min;
  write_bytes(folder() / "sleep", "30\r\n" + std::to_string(minute) + "\r\n");
  TerminalAgenda first({program_.string(), "/test"});
  EXPECT_TRUE(first.shows("tray 1 \"Tavelo en mode someil pour 00:"));
  first.type("answer yes\ntray 1\n");
  ASSERT_TRUE(first.shows("tray 1 \"Tavelo, version: 6.40"));
  EXPECT_FALSE(fs::exists(folder() / "sleep"));
  EXPECT_EQ(stored().realtime_running, 1);
  // A sleep asked by a later start, which a click on the icon ends.
  TerminalAgenda sleeper({program_.string(), "/sleep(0:30)"});
  EXPECT_EQ(sleeper.process->wait(30000, [] { ::usleep(20000); }), 0);
  EXPECT_TRUE(first.shows("tray 1 \"Tavelo en mode someil pour 00:"));
  first.type("answer yes\ntray 1\n");
  EXPECT_TRUE(first.shows("question \"souhaitez-vous réveiller l'agenda?\" -> yes"));
  EXPECT_TRUE(first.shows("tray 1 \"Tavelo, version: 6.40"));
  EXPECT_FALSE(fs::exists(folder() / "sleep"));
  TerminalAgenda second({program_.string(), "/cal"});
  EXPECT_EQ(second.process->wait(30000, [] { ::usleep(20000); }), 0);
  EXPECT_TRUE(first.shows("window \"Tavelo version: 6.40\""));
  EXPECT_FALSE(fs::exists(folder() / "trayaction.txt"));
  EXPECT_FALSE(second.shows("window", 100));
  first.type("menu 6\n");
  EXPECT_EQ(first.process->wait(30000, [] { ::usleep(20000); }), 0);
}

TEST_F(Program, WithoutADisplayTheUserTypesTheSessionInTheTerminal) {
  save(settings_of(testing::machine_today()), testing::machine_today());
  const char* display = std::getenv("DISPLAY");
  const std::string kept = display != nullptr ? display : "";
  ::unsetenv("DISPLAY");
  const fs::path typed = scripts_.path() / "typed.txt";
  const fs::path output = scripts_.path() / "output.txt";
  write_bytes(typed, "bonjour\nnow 2026-12-07 10:00\nkey right\nwait 300ms\nmenu 6\n");
  const int in = ::open(typed.c_str(), O_RDONLY);
  const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(in, 0);
  ASSERT_GE(out, 0);
  testing::ChildProcess terminal({program_.string()}, out, -1, in);
  const int status = terminal.wait(30000, [] { ::usleep(20000); });
  ::close(in);
  ::close(out);
  if (!kept.empty()) ::setenv("DISPLAY", kept.c_str(), 1);

  EXPECT_EQ(status, 0);
  const std::string printed = read_bytes(output);
  // Lines carry the time of the machine's clock, "HH:MM:SS.mmm".
  EXPECT_THAT(printed.substr(0, printed.find('\n')),
              ::testing::MatchesRegex("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} window \"Tavelo "
                                      "version: 6\\.40\""));
  EXPECT_THAT(printed, HasSubstr("script-error \"script, ligne 1 : commande inconnue « bonjour "
                                 "»\""));
  EXPECT_THAT(printed, HasSubstr("script-error \"script, ligne 2 : l'heure est celle de "
                                 "l'ordinateur ici : « now » n'a pas de sens\""));
  EXPECT_THAT(printed, HasSubstr("exit 0\n"));
}

// Saves killed half-way leave temporary files beside what they were saving; the next start
// removes them, and leaves everything else.
TEST_F(Program, TheStartRemovesWhatKilledSavesLeft) {
  const auto rdv = folder_.path() / "rdv";
  const auto chimes = folder_.path() / "carillons" / "big";
  std::filesystem::create_directories(chimes);
  std::filesystem::create_directories(rdv);
  for (const auto& left :
       {folder_.path() / "~tavelo-a1B2c3", rdv / "~tavelo-Zz9yX8", chimes / "~tavelo-000000"}) {
    testing::write_bytes(left, "half");
  }
  testing::write_bytes(rdv / "~tavelo-passed", "a planning set aside by the daily pass");
  testing::write_bytes(chimes / "dong.wav", "RIFF");
  const auto script = folder_.path() / "session.txt";
  testing::write_bytes(script, "now 2026-12-07 09:00\n");
  ::setenv("TAVELO_UI", ("script:" + script.string()).c_str(), 1);
  ::setenv("TAVELO_TRANSCRIPT", (folder_.path() / "transcript.txt").c_str(), 1);

  EXPECT_EQ(testing::run_program(program_), 0);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("~")) left.push_back(name);
  }
  EXPECT_EQ(left, std::vector<std::string>{"~tavelo-passed"});
  EXPECT_TRUE(std::filesystem::exists(chimes / "dong.wav"));
}

}  // namespace
}  // namespace tavelo
