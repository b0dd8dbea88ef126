#include "shell/startup.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "alarms/chime_profile.hpp"
#include "maintenance/backup_archive.hpp"
#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "shell/hand_off.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

constexpr const char* kManagementQuestion =
    "l'agenda a besoin d'effectuer une gestion de vos planifications. Voulez-vous la faire "
    "maintement?";

// Monday 7 December 2026 at 10:00, in a program folder that holds its marker file and its chime
// folder, with settings last saved today (so that no question of the date is asked).
class StartupRun : public ::testing::Test {
 protected:
  StartupRun() : clock_({2026, 12, 7, 10, 0, 0, 0}), today_(daynumber(2026, 12, 7)) {
    write_bytes(folder() / kAccessMarker, "");
    fs::create_directories(chime_folder(folder()));
    run_.program_folder = folder();
    run_.user_folders = {folder() / "donnees", folder() / "profil", folder() / "profil/tavelo.txt"};
    host_.wait = [this](std::chrono::milliseconds d) { waited_ += d; };
    host_.stop_alarm_sounds = [this] { log_.push_back("stop sounds"); };
    host_.timed_message = [this](std::string_view chain) {
      log_.push_back("timed " + std::string(chain));
    };
    host_.show_report = [this](std::string_view report) {
      log_.push_back("report");
      reports_.emplace_back(report);
    };
    host_.open_calendar = [this](AgendaRun& run) {
      log_.push_back("calendar");
      seen_settings_.push_back(run.settings);
      lock_was_held_ = lock_held_elsewhere_by_another(run);
      if (exits_.empty()) return CalendarExit::kQuit;
      const CalendarExit exit = exits_.front();
      exits_.erase(exits_.begin());
      return exit;
    };
  }

  fs::path folder() const { return folder_.path(); }
  fs::path rdv() const { return planning_folder(folder()); }

  void save(const Settings& settings, int day) {
    ASSERT_TRUE(savesettings(folder(), settings, day));
  }
  Settings stored_settings() const {
    Settings settings = default_settings(today_, false);
    loadsettings(folder(), settings);
    return settings;
  }
  Settings settings_of(int last_active_day) const {
    Settings settings = default_settings(last_active_day, false);
    apply_zero_value_defaults(settings);
    settings.last_active_day = last_active_day;
    settings.journal_folder = (folder() / "journal").string();
    return settings;
  }
  void add_planning(int day, std::string_view time, std::string subject) {
    fs::create_directories(rdv());
    Planning planning;
    planning.subject = std::move(subject);
    planning.type = kTypeOneOff;
    write_bytes(rdv() / planning_base_name(day, time), write_planning(planning));
  }

  int start(std::vector<std::string> arguments = {}) {
    run_.command_line = parse_command_line(arguments);
    Startup startup{run_, clock_, prompts_, host_};
    const int code = RunAgenda(startup);
    run_.lock.reset();
    return code;
  }

  // The calendar holds the instance lock: a test of the file from here sees it taken.
  static bool lock_held_elsewhere_by_another(const AgendaRun& run) {
    return run.lock.has_value() && !LockFile::take(run.program_folder / kInstanceLock);
  }

  TempFolder folder_;
  FixedClock clock_;
  int today_;
  ScriptedPrompts prompts_;
  StartupHost host_;
  AgendaRun run_;
  std::vector<std::string> log_;
  std::vector<std::string> reports_;
  std::vector<Settings> seen_settings_;
  std::vector<CalendarExit> exits_;
  std::chrono::milliseconds waited_{0};
  bool lock_was_held_ = false;
};

TEST_F(StartupRun, WithoutItsMarkerFileTheProgramSaysSoAndTouchesNothing) {
  fs::remove(folder() / kAccessMarker);
  EXPECT_EQ(start(), 1);
  EXPECT_THAT(prompts_.notices,
              ElementsAre("tavelo\rUn fichier manquant est indispensable pour l'exécution de ce "
                          "programme.\rVeuillez refaire l'installation."));
  EXPECT_FALSE(file_exists(rdv()));
  EXPECT_TRUE(log_.empty());
}

TEST_F(StartupRun, AnOrdinaryStartShowsTheCalendarUnderTheLockAndSavesAtTheEnd) {
  save(settings_of(today_), today_);
  EXPECT_EQ(start(), 0);
  EXPECT_THAT(log_, ElementsAre("calendar"));
  EXPECT_TRUE(lock_was_held_);
  EXPECT_EQ(run_.writable, 1);
  EXPECT_TRUE(file_exists(folder() / kAccessMarker));
  EXPECT_FALSE(file_exists(folder() / kInstanceLock));
  EXPECT_TRUE(fs::is_directory(rdv()));
  EXPECT_EQ(stored_settings().last_active_day, today_);
  EXPECT_TRUE(prompts_.questions.empty());
}

TEST_F(StartupRun, AnotherRunningInstanceEndsTheStartSilently) {
  std::optional<LockFile> other = LockFile::take(folder() / kInstanceLock);
  ASSERT_TRUE(other);
  EXPECT_EQ(start(), 0);
  EXPECT_THAT(log_, ElementsAre("stop sounds"));
  EXPECT_EQ(waited_, std::chrono::milliseconds(500));
  EXPECT_FALSE(file_exists(rdv()));
}

TEST_F(StartupRun, ALockNobodyHoldsAnyMoreDoesNotStopTheStart) {
  write_bytes(folder() / kInstanceLock, "");
  save(settings_of(today_), today_);
  start();
  EXPECT_THAT(log_, ElementsAre("calendar"));
}

TEST_F(StartupRun, TheFirstRunTakesOverTheDataOfAnEarlierInstallation) {
  const fs::path old = folder() / "ancien";
  fs::create_directories(old / "rdv");
  Settings old_settings = settings_of(today_);
  old_settings.management_hour = 7;
  ASSERT_TRUE(savesettings(old, old_settings, today_));
  write_bytes(old / "rdv" / "46000 09-30.gnd", write_planning(Planning{}));
  write_bytes(old / "cat.bin", "filtre");
  write_bytes(old / "2026-12-01 autobackup.agb", "archive");
  write_bytes(old / "autre.txt", "reste");
  fs::create_directories(run_.user_folders.profile);
  write_bytes(run_.user_folders.previous_installation_note, old.string() + "\r\n");
  write_bytes(folder() / "cloche.alm", "cloche");

  start();
  EXPECT_FALSE(file_exists(run_.user_folders.previous_installation_note));
  EXPECT_EQ(seen_settings_.at(0).management_hour, 7);
  EXPECT_TRUE(file_exists(rdv() / "46000 09-30.gnd"));
  EXPECT_EQ(read_bytes(folder() / "cat.bin"), "filtre");
  EXPECT_TRUE(file_exists(folder() / "2026-12-01 autobackup.agb"));
  EXPECT_FALSE(file_exists(folder() / "autre.txt"));
  EXPECT_EQ(read_bytes(rdv() / "cloche.alm"), "cloche");
  EXPECT_FALSE(file_exists(folder() / "cloche.alm"));
}

TEST_F(StartupRun, AlarmProfilesOfTheProgramFolderGoToThePlanningFolderUnlessAlreadyThere) {
  fs::create_directories(rdv());
  write_bytes(rdv() / "bip.alm", "gardé");
  write_bytes(folder() / "bip.alm", "nouveau");
  write_bytes(folder() / "cloche.alm", "cloche");
  save(settings_of(today_), today_);
  start();
  EXPECT_EQ(read_bytes(rdv() / "bip.alm"), "gardé");
  EXPECT_EQ(read_bytes(rdv() / "cloche.alm"), "cloche");
  EXPECT_FALSE(file_exists(folder() / "bip.alm"));
  EXPECT_FALSE(file_exists(folder() / "cloche.alm"));
}

TEST_F(StartupRun, ASaveThatDidNotFinishIsRepairedFromItsBackup) {
  Settings newer = settings_of(today_);
  newer.management_hour = 6;
  write_bytes(folder() / kSettingsBackup, write_settings(newer, today_));
  write_bytes(folder() / kSettingsFile, "cut");
  start();
  EXPECT_EQ(seen_settings_.at(0).management_hour, 6);
  EXPECT_FALSE(file_exists(folder() / kSettingsBackup));
}

TEST_F(StartupRun, AClockBehindTheLastActiveDayIsQuestionedAndYesEnds) {
  save(settings_of(today_ + 3), today_ + 3);
  prompts_ = ScriptedPrompts({true});
  EXPECT_EQ(start(), 0);
  EXPECT_THAT(prompts_.questions,
              ElementsAre("La date de votre système est inférieure à celle retenue par "
                          "l'agenda. Souhaitez-vous l'arrêter, le temps de réajuster la date et "
                          "l'heure?"));
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(stored_settings().last_active_day, today_ + 3);
}

TEST_F(StartupRun, ALongAbsenceIsQuestionedUnlessTheToleranceIsZero) {
  Settings settings = settings_of(today_ - 40);
  save(settings, today_ - 40);
  prompts_ = ScriptedPrompts({false, false});
  start();
  EXPECT_THAT(prompts_.questions,
              ElementsAre("L'agenda n'a pas été activé depuis 40 jours. Souhaitez-vous l'arrêter, "
                          "le temps de réajuster la date et l'heure?",
                          kManagementQuestion));
  EXPECT_THAT(log_, ElementsAre("calendar"));

  settings.inactivity_days = 0;
  save(settings, today_ - 40);
  prompts_ = ScriptedPrompts({false});
  start();
  EXPECT_THAT(prompts_.questions, ElementsAre(kManagementQuestion));
}

TEST_F(StartupRun, TheManagementOfferedAtAnOrdinaryStartRunsOnceThenShowsTheCalendar) {
  save(settings_of(today_ - 1), today_ - 1);
  add_planning(today_ - 2, "09:30", "dentiste");
  prompts_ = ScriptedPrompts({true});
  start();
  EXPECT_THAT(prompts_.questions, ElementsAre(kManagementQuestion));
  EXPECT_THAT(log_, ElementsAre("report", "calendar"));
  EXPECT_THAT(reports_.at(0), HasSubstr("agenda plannification passée:\r  dentiste, "));
  EXPECT_FALSE(file_exists(rdv() / planning_base_name(today_ - 2, "09:30")));
  EXPECT_TRUE(file_exists(folder() / autobackupname(today_)));
}

TEST_F(StartupRun, ALogOnStartBeforeTheManagementTimeEndsWithoutAWindow) {
  Settings settings = settings_of(today_ - 1);
  settings.management_hour = 23;
  save(settings, today_ - 1);
  const std::string before = read_bytes(folder() / kSettingsFile);
  EXPECT_EQ(start({"/test", "/go"}), 0);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(read_bytes(folder() / kSettingsFile), before);
}

TEST_F(StartupRun, ALogOnStartAfterTheManagementTimeManagesBacksUpAndEnds) {
  Settings settings = settings_of(today_ - 1);
  settings.management_hour = 8;
  settings.restart_delay = 10;
  save(settings, today_ - 1);
  start({"/test"});
  EXPECT_THAT(log_, ElementsAre("timed |Rien à signaler à votre agenda.|5"));
  EXPECT_EQ(waited_, std::chrono::seconds(10));
  EXPECT_TRUE(file_exists(folder() / autobackupname(today_)));
  EXPECT_EQ(stored_settings().last_active_day, today_);

  log_.clear();
  waited_ = {};
  settings.daily_repeated_warning = 1;
  save(settings, today_);
  start({"/test/go"});
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(waited_, std::chrono::milliseconds(0));
  EXPECT_THAT(prompts_.notices, ElementsAre("Rien à signaler à votre agenda."));
}

TEST_F(StartupRun, ASleepAskedAtStartGoesToTheRunningAgendaAndEnds) {
  Settings settings = settings_of(today_);
  settings.realtime_running = 1;
  save(settings, today_);
  EXPECT_EQ(start({"/sleep(1:30)"}), 0);
  EXPECT_TRUE(log_.empty());
  const long long stamp = static_cast<long long>(today_) * 1440 + 600;
  EXPECT_EQ(read_bytes(folder() / "sleep"), "90\r\n" + std::to_string(stamp) + "\r\n");
  // Nobody took the request: it was taken back after five checks.
  EXPECT_EQ(waited_, std::chrono::milliseconds(2500));
  EXPECT_FALSE(file_exists(folder() / kHandOffFile));

  waited_ = {};
  start({"/sleep(90)"});
  EXPECT_THAT(log_, ElementsAre("stop sounds"));
  EXPECT_EQ(waited_, std::chrono::milliseconds(1000));
}

TEST_F(StartupRun, ASleepWithoutARunningAgendaOrWithABadLengthEndsAtOnce) {
  save(settings_of(today_), today_);
  start({"/sleep(90)"});
  EXPECT_FALSE(file_exists(folder() / "sleep"));
  start({"/sleep(demain)"});
  EXPECT_THAT(prompts_.notices, ElementsAre("Tavelo\rLa durée du mode sommeil s'écrit en minutes "
                                            "(90) ou en heures et minutes (1:30)."));
  prompts_.input_answers = {std::string()};
  start({"/sleep?"});
  EXPECT_THAT(prompts_.inputs_asked,
              ElementsAre("Tavelo|Mettre l'agenda en mode sommeil durant:|1:00"));
  EXPECT_TRUE(log_.empty());
}

TEST_F(StartupRun, AShutdownWithNoRunningAgendaIsIgnored) {
  save(settings_of(today_), today_);
  start({"/shutdown"});
  EXPECT_THAT(log_, ElementsAre("calendar"));
  EXPECT_FALSE(file_exists(folder() / kHandOffFile));
}

TEST_F(StartupRun, ACalendarAskedOfTheRunningAgendaEndsThisStartOnceTaken) {
  Settings settings = settings_of(today_);
  settings.realtime_running = 1;
  save(settings, today_);
  int received = 0;
  host_.wait = [&](std::chrono::milliseconds) { received = ReadTrayAction(folder()); };
  start({"/cal"});
  EXPECT_EQ(received, kShowCalendar);
  EXPECT_TRUE(log_.empty());

  host_.wait = [this](std::chrono::milliseconds d) { waited_ += d; };
  save(settings, today_);
  start({"/cal"});
  EXPECT_EQ(waited_, std::chrono::milliseconds(2500));
  EXPECT_THAT(log_, ElementsAre("calendar"));
  EXPECT_EQ(seen_settings_.at(0).realtime_running, 0);
}

TEST_F(StartupRun, AMissingChimeProfileTurnsTheChimesOff) {
  Settings settings = settings_of(today_);
  settings.chime_profile = "clocher";
  settings.chimes_active = 1;
  save(settings, today_);
  start();
  EXPECT_THAT(prompts_.notices, ElementsAre("tavelo\rLe profile de carillon clocher est "
                                            "introuvable.\rLes carillon sont désactivés."));
  EXPECT_EQ(stored_settings().chime_profile, "");
  EXPECT_EQ(stored_settings().chimes_active, 0);
  EXPECT_FALSE(run_.chime_announcement_pending);
}

TEST_F(StartupRun, TheFirstRunOffersTheChimeProfiles) {
  fs::remove(chime_folder(folder()));
  save(settings_of(today_), today_);
  int catalogue_mode = 0;
  host_.chime_catalogue = [&](int mode) {
    catalogue_mode = mode;
    return true;
  };
  prompts_ = ScriptedPrompts({true});
  start();
  EXPECT_THAT(prompts_.questions.at(0), HasSubstr("Voulez-vous télécharger les profiles des "
                                                  "carillons ci-inclus?\rSi vous n'êtes pas"));
  EXPECT_EQ(catalogue_mode, 1);
  EXPECT_THAT(prompts_.notices,
              ElementsAre("Les profiles des carillons sont maintemant installés."));
  EXPECT_TRUE(fs::is_directory(chime_folder(folder())));
}

TEST_F(StartupRun, TheCalendarAsksForTheManagementNowOrAFreshStart) {
  Settings settings = settings_of(today_);
  settings.daily_repeated_warning = 1;
  save(settings, today_);
  add_planning(today_ - 1, "09:30", "coiffeur");
  exits_ = {CalendarExit::kManagementNow, CalendarExit::kRestart, CalendarExit::kQuit};
  host_.open_calendar = [this, inner = host_.open_calendar](AgendaRun& run) {
    // Between the windows the settings file changes: a fresh start reads it again.
    Settings changed = run.settings;
    changed.management_hour = 5;
    savesettings(folder(), changed, today_);
    return inner(run);
  };
  start();
  EXPECT_THAT(log_, ElementsAre("calendar", "report", "calendar", "calendar"));
  EXPECT_EQ(seen_settings_.at(1).management_hour, 0);
  EXPECT_EQ(seen_settings_.at(2).management_hour, 5);
  EXPECT_FALSE(file_exists(rdv() / planning_base_name(today_ - 1, "09:30")));
}

TEST_F(StartupRun, ClosingTheCalendarEndsWhenTheBackgroundAgendaIsOff) {
  Settings settings = settings_of(today_);
  settings.background_mode = 1;  // no real-time agenda here: it counts as off
  save(settings, today_);
  exits_ = {CalendarExit::kClosed};
  EXPECT_EQ(start(), 0);
  EXPECT_THAT(log_, ElementsAre("calendar"));
  EXPECT_FALSE(file_exists(folder() / kInstanceLock));
}

TEST_F(StartupRun, TheRealTimeAgendaTakesOverWhenTheCalendarCloses) {
  Settings settings = settings_of(today_);
  settings.background_mode = 1;
  save(settings, today_);
  exits_ = {CalendarExit::kClosed, CalendarExit::kQuit};
  int rounds = 0;
  host_.run_realtime_agenda = [&](AgendaRun& run, const CommandLine&) -> std::string {
    log_.push_back("real time");
    EXPECT_FALSE(run.lock.has_value());
    EXPECT_TRUE(run.start_chime_due);
    // First it hands the management pass over, then it asks for the calendar.
    if (++rounds == 1) {
      run.settings.realtime_running = 2;
      return kManagementEvent;
    }
    run.settings.realtime_running = 0;
    savesettings(folder(), run.settings, today_);
    return kCalendarEvent;
  };
  add_planning(today_ - 1, "09:30", "coiffeur");
  start();
  EXPECT_THAT(log_, ElementsAre("calendar", "real time", "real time", "calendar"));
  // A pass handed over by the real-time agenda reports nothing of its own.
  EXPECT_FALSE(file_exists(rdv() / planning_base_name(today_ - 1, "09:30")));
}

TEST_F(StartupRun, ALogOnStartWithTheBackgroundAgendaGoesStraightToIt) {
  Settings settings = settings_of(today_);
  settings.background_mode = 1;
  save(settings, today_);
  host_.run_realtime_agenda = [this](AgendaRun&, const CommandLine& given) -> std::string {
    log_.push_back("real time " + given.switches);
    return kCalendarEvent;
  };
  start({"/test/go"});
  EXPECT_THAT(log_, ElementsAre("real time /test/go ", "calendar"));
  EXPECT_THAT(read_bytes(folder() / "journal" / "bilan principal.txt"),
              ::testing::StartsWith(
                  cp1252_from_utf8("7 Décembre 2026, à 10:00.\r\ndémarage de l'agenda.\r\n")));
}

}  // namespace
}  // namespace tavelo
