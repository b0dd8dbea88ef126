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

#include "exchange/exchange_file.hpp"
#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "shell/hand_off.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/app/program_session.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/inspect.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/received_mail.hpp"
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
    return testing::run_program_session(program_, scripts_.path(),
                                        std::string("now 2026-12-07 10:00\n") + std::string(script),
                                        arguments);
  }

  Settings settings_of(int last_active_day) const {
    Settings settings = default_settings(last_active_day, false);
    apply_zero_value_defaults(settings);
    settings.journal_folder = (folder() / "journal").string();
    // No maker's server here: the hidden agenda's own update check would only say so.
    settings.update_check = 1;  // never checked without being asked
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
  // Settings of today on the machine's clock with the background agenda on and no forewarning,
  // and a planning tomorrow that keeps the agenda running; today.
  int keeps_a_hidden_agenda() const {
    const int today = testing::machine_today();
    Settings settings = settings_of(today);
    settings.background_mode = 1;
    settings.forewarning_hour = 255;
    save(settings, today);
    add_planning(today + 1, "09:00", "demain");
    return today;
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

// The keys that choose an item of the menu "Option": Alt+O, then Down from its first item, or
// the item's letter.
std::string option_item(int below_first) {
  std::string keys = "wait 300ms\nkey alt+o\n";
  for (int i = 0; i < below_first; ++i) keys += "key down\n";
  return keys + "key enter\nwait 500ms\n";
}

std::string repeated(std::string_view line, int times) {
  std::string lines;
  for (int i = 0; i < times; ++i) lines += std::string(line) + "\n";
  return lines;
}

TEST_F(Program, TheManagementSettingsAreChangedByKeyboardAndKeptInTheSettingsFile) {
  Settings settings = settings_of(today_);
  settings.management_hour = 6;
  settings.forewarning_hour = 8;
  settings.forewarning_minute = 30;
  save(settings, today_);
  fs::create_directories(folder() / "journal");
  write_bytes(folder() / "journal" / "bilan principal.txt", "6 Mars 2026, à 14:05.\r\n");
  const fs::path moved_to = folder() / "journaux";
  fs::create_directories(moved_to);
  const Session s = session(
      "wait 300ms\nkey alt+o\nkey g\nwait 500ms\n"
      "key pagedown\nkey tab\nkey tab\nkey tab\nanswer " +
      moved_to.string() +
      "\nkey space\n"
      "key tab\nkey space\nkey tab\nkey tab\nkey tab\ntype 300\nkey tab\n" +
      repeated("key pageup", 9) +
      "key tab\n"
      "key tab\ntype 40000\nanswer yes\nkey enter\nwait 500ms\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(
      s.in_order("window \"gestion des planifications\"", said("gestion des planification")))
      << s.text();
  EXPECT_TRUE(s.has("focus 1 \"heure de la gestion:\"")) << s.text();
  EXPECT_TRUE(s.has("folder \"dossier des fichiers journal\" -> \"" + moved_to.string() + "\""))
      << s.text();
  EXPECT_TRUE(
      s.has("question \"Souhaitez-vous déplacer le contenu de votre ancien dossier "
            "journal soit:\\r" +
            (folder() / "journal").string() + "\\rvers:\\r" + moved_to.string() +
            "\\rpour en suite supprimer l'ancien dossier?\" -> yes"))
      << s.text();
  const nlohmann::json saved = testing::inspected_fields(folder() / "agenda.bin");
  EXPECT_EQ(saved["management_hour"], 7);
  EXPECT_EQ(saved["restart_delay"], 255);
  EXPECT_EQ(saved["forewarning_hour"], 255);
  EXPECT_EQ(saved["inactivity_days"], 32000);
  EXPECT_EQ(saved["daily_repeated_warning"], 1);
  EXPECT_EQ(saved["journal_folder"], moved_to.string());
  EXPECT_EQ(read_bytes(moved_to / "bilan principal.txt"), "6 Mars 2026, à 14:05.\r\n");
  EXPECT_FALSE(fs::exists(folder() / "journal"));
}

TEST_F(Program, TheDefaultAlarmAndTheNightModeAreSetByKeyboard) {
  save(settings_of(today_), today_);
  const Session s =
      session("wait 300ms\nkey alt+o\nkey d\nwait 500ms\n" + repeated("key tab", 5) +
              "type 440\nkey tab\ntype 200\nkey tab\ntype 99999\nkey alt+t\nwait 2s\nkey alt+s\n"
              "wait 1s\nkey enter\nwait 1s\n"
              "key alt+o\nkey n\nwait 500ms\nkey space\nkey tab\n" +
              repeated("key pagedown", 22) + "key tab\n" + repeated("key pagedown", 7) +
              "key enter\nwait 500ms\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.has("window \"alarme par défaut\"")) << s.text();
  EXPECT_TRUE(s.has("focus 1 \"alarmes définies:\"")) << s.text();
  EXPECT_TRUE(s.has("tone 440 200")) << s.text();
  EXPECT_TRUE(s.in_order("window \"paramètre du mode nuit\"", "focus 31 \"activer le mode nuit\""))
      << s.text();
  const nlohmann::json saved = testing::inspected_fields(folder() / "agenda.bin");
  EXPECT_EQ(saved["default_alarm"]["kind"], 1);
  EXPECT_EQ(saved["default_alarm"]["frequency"], 440);
  EXPECT_EQ(saved["default_alarm"]["length"], 200);
  EXPECT_EQ(saved["default_alarm"]["pause"], 32000);
  EXPECT_EQ(saved["night_mode_active"], 1);
  EXPECT_EQ(saved["night_mode"], nlohmann::json::array({22, 0, 7, 0}));
  EXPECT_EQ(saved["night_alarm"], "");
}

TEST_F(Program, TheSpokenNotificationIsHeardAndKept) {
  save(settings_of(today_), today_);
  const Session s =
      session(option_item(7) +
              "key down\nwait 300ms\nkey alt+t\nwait 1s\nkey tab\ntype rendez-vous\nkey tab\n"
              "type 2\nkey enter\nwait 1s\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.in_order("window \"notification verbale\"", "focus 1 \"notification désactivée\""))
      << s.text();
  EXPECT_TRUE(s.has(said("notification de Tavelo, "))) << s.text();
  const nlohmann::json saved = testing::inspected_fields(folder() / "agenda.bin");
  EXPECT_EQ(saved["default_spoken"]["mode"], 1);
  EXPECT_EQ(saved["default_spoken"]["text"], "rendez-vous");
  EXPECT_EQ(saved["default_spoken"]["repetitions"], 2);
}

TEST_F(Program, TheMailSettingsAreTestedOnOkAndKept) {
  const fs::path log = scripts_.path() / "mails.log";
  testing::LocalServer server("smtp_server.py", {"--log", log.string(), "--user", "agenda",
                                                 "--password", "Passé~42", "--low-port"});
  save(settings_of(today_), today_);
  const Session s =
      session(option_item(8) +
              "type 127.0.0.1\nkey tab\ntype agenda\nkey tab\ntype Passé~42\n"
              "key tab\ntype " +
              std::to_string(server.port()) +
              "\nkey tab\ntype un@tavelo.test,deux@tavelo.test,trois@tavelo.test\nkey tab\n"
              "type moi@tavelo.test\nkey enter\nwait 1s\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.in_order("window \"notification par courriel, \"", "focus 2 \"SMTP:\""))
      << s.text();
  const std::vector<testing::ReceivedMail> mails = testing::received_mails(log);
  ASSERT_EQ(mails.size(), 1u) << s.text();
  EXPECT_EQ(mails[0].recipients,
            (std::vector<std::string>{"un@tavelo.test", "deux@tavelo.test", "trois@tavelo.test"}));
  const nlohmann::json saved = testing::inspected_fields(folder() / "agenda.bin");
  EXPECT_EQ(saved["mail_approved"], 1);
  EXPECT_EQ(saved["default_mail"]["server"], "127.0.0.1");
  EXPECT_EQ(saved["default_mail"]["reply_address"], "moi@tavelo.test");
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

// The real-time agenda's "a&jouter" opens the planning editor at today's date; what it saves
// is in the agenda's list when the agenda's window comes back.
TEST_F(Program, TheRealTimeAgendaAddsAPlanningThroughTheEditor) {
  Settings settings = settings_of(today_);
  settings.background_mode = 1;
  settings.management_hour = 23;
  settings.management_minute = 59;
  save(settings, today_);
  // A planning to come keeps the agenda running.
  const fs::path dentist = add_planning(today_ + 1, "09:00", "dentiste");
  const Session s = session(
      "wait 300ms\nclose\nwait 1s\ntray 1\nwait 1s\nmenu 1\nwait 300ms\nclick 6\n"
      "wait 300ms\ntype courses\nselect 44 \"11:30\"\nclick ok\nwait 1s\ntray 1\nwait 1s\n"
      "menu 7\n");
  EXPECT_TRUE(s.in_order("show \"Tavelo en temps réel\"", "window \"nouvelle planification\""))
      << s.text();
  EXPECT_EQ(list_plannings(rdv()), (std::vector<std::string>{std::to_string(today_) + " 11-30.gnd",
                                                             dentist.filename().string()}))
      << s.text();
}

TEST_F(Program, AHiddenAgendaSleepsAndShowsTheCalendarWhenLaterStartsAskForIt) {
  const int today = keeps_a_hidden_agenda();
  fs::create_directories(folder() / "journal");

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

// An exchange file for a running agenda. Another program leaves it with the hand-off code 21:
// the agenda opens the import on it when it hands back, then runs on. A later start of the
// program on a file ends the running agenda (code 20), imports the file itself and runs the
// agenda in its place.
TEST_F(Program, AnExchangeFileHandedToTheRunningAgendaIsImported) {
  const int today = keeps_a_hidden_agenda();
  const auto exchange_file = [&](const std::string& time, const std::string& subject) {
    Planning planning;
    planning.subject = subject;
    planning.type = kTypeOneOff;
    ExchangeContent content;
    content.plannings = {{planning_base_name(today + 2, time), planning}};
    const fs::path file = scripts_.path() / (subject + ".txa");
    write_bytes(file, write_exchange_file(content));
    return file;
  };
  const fs::path meeting = exchange_file("14:00", "réunion"),
                 dinner = exchange_file("20:00", "dîner");
  constexpr std::string_view kImportAll = "click 5\nanswer no\nclick ok\n";
  constexpr std::string_view kHidden = "tray 1 \"Tavelo, version: 6.40";

  TerminalAgenda first({program_.string(), "/test"});
  ASSERT_TRUE(first.shows(kHidden));
  write_bytes(folder() / "import.txt", cp1252_from_utf8(meeting.string()) + "\r\n");
  ASSERT_TRUE(WriteTrayAction(folder(), kImportFile));
  EXPECT_TRUE(first.shows("window \"importation\""));
  first.type(kImportAll);
  EXPECT_TRUE(first.shows(kHidden));
  EXPECT_FALSE(fs::exists(folder() / "import.txt"));
  EXPECT_EQ(list_plannings(rdv()).size(), 2u);

  TerminalAgenda second({program_.string(), dinner.string()});
  EXPECT_EQ(first.process->wait(30000, [] { ::usleep(20000); }), 0);
  EXPECT_TRUE(second.shows("window \"importation\""));
  second.type(kImportAll);
  EXPECT_TRUE(second.shows(kHidden));
  second.type("tray 1\nanswer yes\nmenu 7\n");
  EXPECT_EQ(second.process->wait(30000, [] { ::usleep(20000); }), 0);
  EXPECT_EQ(list_plannings(rdv()),
            (std::vector<std::string>{planning_base_name(today + 1, "09:00"),
                                      planning_base_name(today + 2, "14:00"),
                                      planning_base_name(today + 2, "20:00")}));
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

  EXPECT_EQ(
      testing::run_program({program_.string()},
                           {"TAVELO_UI=script:" + script.string(),
                            "TAVELO_TRANSCRIPT=" + (folder_.path() / "transcript.txt").string()})
          .status,
      0);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("~")) left.push_back(name);
  }
  EXPECT_EQ(left, std::vector<std::string>{"~tavelo-passed"});
  EXPECT_TRUE(std::filesystem::exists(chimes / "dong.wav"));
}

// The editor from the calendar: the plannings of each family of types, by keyboard alone.
TEST_F(Program, TheEditorCreatesPlanningsOfEveryFamilyFromTheCalendar) {
  save(settings_of(today_), today_);
  const Session s = session(
      // A one-off planning: Return on the grid opens the editor at the selected day.
      "wait 300ms\nkey enter\nwait 300ms\ntype dentiste\nselect 44 \"09:30\"\nclick ok\n"
      "wait 300ms\n"
      // Weekly, Monday (the day's) and Thursday, up to a final date two weeks later.
      "menu 1\nwait 300ms\ntype piscine\nselect 44 \"18:00\"\nselect 46 1\nwait 300ms\n"
      "mark 50 \"Jeudi\"\nanswer 31/02/2026\nanswer 21/12/2026\nclick 29\nwait 300ms\n"
      "answer yes\nclick ok\nwait 300ms\n"
      // The first week from the month's end, three times.
      "click 1\nwait 300ms\ntype loyer\nselect 44 \"08:00\"\nselect 46 10\nwait 300ms\n"
      "select 48 1\nfocus 54\ntype 3\nanswer yes\nkey enter\nwait 300ms\n"
      // Every three days up to a final date.
      "click 1\nwait 300ms\ntype arrosage\nselect 44 \"07:00\"\nselect 46 20\nwait 300ms\n"
      "answer 16.12.2026\nclick 29\nwait 300ms\nanswer yes\nclick ok\nwait 300ms\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.has("window \"nouvelle planification\"")) << s.text();
  EXPECT_TRUE(s.has("notice \"Tavelo\" \"La date est invalide...\"")) << s.text();
  EXPECT_TRUE(s.has("speak \"à la semaine\"")) << s.text();

  int readerror = 0;
  const auto read = [&](const std::string& name) {
    return loadplanning(rdv() / name, folder(), stored(), readerror);
  };
  const std::vector<std::string> files = list_plannings(rdv());
  const auto of_subject = [&](std::string_view subject) {
    std::vector<std::string> names;
    for (const std::string& name : files) {
      if (read(name).subject == subject) names.push_back(name);
    }
    return names;
  };
  EXPECT_EQ(of_subject("dentiste"),
            std::vector<std::string>{std::to_string(today_) + " 09-30.gnd"});
  EXPECT_EQ(read(std::to_string(today_) + " 09-30.gnd").type, kTypeOneOff);

  const std::vector<std::string> weekly = of_subject("piscine");
  ASSERT_EQ(weekly.size(), 5u) << s.text();
  const Planning third = read(weekly[2]);
  EXPECT_EQ(third.number_of_times, 5);
  EXPECT_EQ(third.occurrence_number, 3);
  EXPECT_EQ(third.weekday_ticks, (std::array<int, 7>{0, 1, 0, 0, 1, 0, 0}));
  EXPECT_TRUE(weekly.back().starts_with(std::to_string(today_ + 14) + " 18-00.gnd;"));

  const std::vector<std::string> rent = of_subject("loyer");
  ASSERT_EQ(rent.size(), 3u) << s.text();
  // After the working date, the occurrences fall on the last Monday of their month.
  for (const std::string& name : {rent[1], rent[2]}) {
    const int day = static_cast<int>(leading_integer(name));
    EXPECT_EQ(weekday(day), 1) << name;
    EXPECT_LE(dayofmonth(day + 7), 7) << name;
  }
  EXPECT_EQ(read(rent[0]).month_anchor, kAnchorEnd);
  EXPECT_EQ(of_subject("arrosage").size(), 4u) << s.text();
}

// The editor's spoken notification button opens the planning's own settings; they are saved
// with the planning, and the agenda's own stay as they were.
// The task's boxes are ticked with Space, the keyboard's way: the confirmation's caption follows
// the idle start as it is ticked, and untick.
TEST_F(Program, TheEditorKeepsThePlanningsOwnSpokenNotificationAndTask) {
  Settings settings = settings_of(today_);
  settings.background_mode = 1;
  save(settings, today_);
  const Session s = session(
      "wait 300ms\nmenu 1\nwait 300ms\ntype dentiste\nselect 44 \"09:30\"\nclick 201\n"
      "wait 1s\nclick 3\nclick ok\nwait 1s\n"
      "click 24\nwait 1s\nfocus 1\nkey space\nfocus 3\ntype /bin/true\nfocus 7\nkey space\n"
      "focus 10\nfocus 7\nkey space\nfocus 10\nclick ok\nwait 1s\n"
      "click ok\nwait 300ms\nclose\n");
  EXPECT_TRUE(s.has("window \"notification verbale personalisée, dentiste\"")) << s.text();
  EXPECT_TRUE(
      s.in_order("focus 10 \"demander une confirmation d'exécution si le système est utilisé\"",
                 "focus 10 \"demander une confirmation d'exécution\""))
      << s.text();
  int readerror = 0;
  const Planning saved =
      loadplanning(rdv() / (std::to_string(today_) + " 09-30.gnd"), folder(), stored(), readerror);
  EXPECT_EQ(saved.subject, "dentiste") << s.text();
  EXPECT_EQ(saved.spoken.mode, 2) << s.text();
  EXPECT_EQ(saved.task.active, 1) << s.text();
  EXPECT_EQ(saved.task.program, "/bin/true") << s.text();
  EXPECT_EQ(saved.task.idle_start, 0) << s.text();
  EXPECT_EQ(stored().default_spoken.mode, settings.default_spoken.mode);
}

// With no identifier known, the editor's sharing asks to open the shared folders; the identifier
// added there is offered at once, and the planning saved shared with it.
TEST_F(Program, TheEditorsSharingOpensTheSharedFoldersWhenNoIdentifierIsKnown) {
  save(settings_of(today_), today_);
  const testing::TempFolder shared;
  const Session s = session(
      "wait 300ms\nmenu 1\nwait 300ms\ntype piscine\nselect 44 \"18:00\"\nanswer yes\n"
      "click 205\nwait 300ms\ncheck 11\ncheck 12\nfocus 2\ntype marc\nfocus 4\ntype paul\n"
      "focus 6\ntype " +
      shared.path().string() +
      "\nclick 8\nclick ok\nwait 300ms\nmark 3 \"paul\"\nclick ok\nwait 300ms\nclick ok\n"
      "wait 300ms\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(
      s.in_order("question \"Votre liste d'identifiant est vide. Souhaitez-vous accéder "
                 "aux paramètres de dossiers partagés affin d'en ajouter?\" -> yes",
                 "window \"dossiers partagés\""))
      << s.text();
  EXPECT_TRUE(s.has("window \"partager la planification piscine\"")) << s.text();
  int readerror = 0;
  const Planning saved =
      loadplanning(rdv() / (std::to_string(today_) + " 18-00.gnd"), folder(), stored(), readerror);
  EXPECT_EQ(saved.sharing_identifiers, "paul\t") << s.text();
  ASSERT_EQ(stored().sharing_table.size(), 1u);
  EXPECT_EQ(list_files(shared.path(), "cmd_marc_*").size(), 1u) << s.text();
}

// Return on the day's list modifies the planning; a date moved leaves no file at the old one.
// The list finds it, sorts and filters, and deletes a whole series.
TEST_F(Program, ThePlanningMovesByKeyboardAndTheListFindsAndDeletesSeries) {
  save(settings_of(today_), today_);
  const fs::path first = add_planning(today_, "09:30", "dentiste");
  Planning received;
  received.subject = "reçue";
  received.unique_identifier = "bob_1700000000_1";
  const std::string received_name = std::to_string(today_ + 3) + " 12-00.gnd";
  write_bytes(rdv() / received_name, write_planning(received));
  write_bytes(folder() / "newplanings.idx", "bob_1700000000_1\r\n");
  Planning yoga;
  yoga.subject = "yoga";
  yoga.type = kTypeWeekly;
  yoga.number_of_times = 2;
  yoga.series_link = "1700000000";
  for (int i = 1; i <= 2; ++i) {
    yoga.occurrence_number = i;
    write_bytes(rdv() / (std::to_string(today_ + 7 * i) + " 08-00.gnd;1700000000"),
                write_planning(yoga));
  }
  const Session s = session(
      "wait 300ms\nkey tab\nkey enter\nwait 300ms\nfocus 40\nkey right\nwait 300ms\n"
      "click ok\nwait 300ms\n"
      "menu 2\nwait 300ms\nclick 28\nwait 300ms\nfocus 23\ntype YOGA\nclick 10\nwait 300ms\n"
      "click 10\nwait 300ms\nanswer yes\nanswer yes\nclick 7\nwait 300ms\nclick 3\nwait 300ms\n"
      "menu 53\nwait 300ms\nclick 3\nwait 300ms\nmenu 53\nwait 300ms\nclose\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.has("window \"modifier une planification\"")) << s.text();
  EXPECT_TRUE(s.has(said("date: Mardi, le 8 Décembre 2026"))) << s.text();
  EXPECT_TRUE(s.has("window \"liste des plannifications\"")) << s.text();
  EXPECT_TRUE(
      s.has("question \"yoga comporte des occurrences, voulez-vous les supprimer?\" -> yes"))
      << s.text();
  // The received plannings are shown once.
  EXPECT_TRUE(s.in_order("window \"liste des dernières plannifications réseau reçues\"",
                         "notice \"Tavelo\" \"aucune planiffication à afficher...\""))
      << s.text();
  EXPECT_FALSE(fs::exists(folder() / "newplanings.idx"));
  EXPECT_FALSE(fs::exists(first));
  EXPECT_EQ(list_plannings(rdv()),
            (std::vector<std::string>{std::to_string(today_ + 1) + " 09-30.gnd", received_name}));
}

}  // namespace
}  // namespace tavelo
