#include "shell/startup.hpp"

#include "alarms/chime_catalogue.hpp"
#include "alarms/chime_profile.hpp"
#include "maintenance/backup_archive.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/series.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "shell/hand_off.hpp"
#include "shell/journal.hpp"

namespace tavelo {

namespace {

using namespace std::chrono_literals;

constexpr const char* kMissingMarkerNotice =
    "tavelo\rUn fichier manquant est indispensable pour l'exécution de ce programme.\rVeuillez "
    "refaire l'installation.";
constexpr const char* kChimeDownloadQuestion =
    "Voulez-vous télécharger les profiles des carillons ci-inclus?\rSi vous n'êtes pas connectés "
    "à internet, ou si un problème survien durant le téléchargement, vous pouvez les télécharger "
    "à partir du calendrier, menu extra, options des carillons, onglet téléchargement.";
constexpr const char* kSleepQuestion = "Mettre l'agenda en mode sommeil durant:";
constexpr const char* kSleepLengthNotice =
    "Tavelo\rLa durée du mode sommeil s'écrit en minutes (90) ou en heures et minutes (1:30).";
constexpr const char* kManagementQuestion =
    "l'agenda a besoin d'effectuer une gestion de vos planifications. Voulez-vous la faire "
    "maintement?";

// Where the run goes next: the steps it may come back to.
enum class Step { kReadSettings, kManagement, kCalendar, kRealtimeAgenda, kEnd };

int minute_of_day(int hour, int minute) {
  return hour * 60 + minute;
}

long long minute_stamp(int day, const LocalTime& now) {
  return static_cast<long long>(day) * 1440 + minute_of_day(now.hour, now.minute);
}

bool background_agenda_on(const Startup& s) {
  return s.run.settings.background_mode != 0 && static_cast<bool>(s.host.run_realtime_agenda);
}

void wait(const Startup& s, std::chrono::milliseconds duration) {
  if (s.host.wait) {
    s.host.wait(duration);
  } else {
    s.clock.sleep(duration);
  }
}

void stop_alarm_sounds(const Startup& s) {
  if (s.host.stop_alarm_sounds) s.host.stop_alarm_sounds();
}

// A request nobody took means that no agenda runs, whatever the settings say (it may have been
// killed): the flag is cleared, so that later starts do not wait for it again.
bool hand_to_running_agenda(Startup& s, int code) {
  const bool taken =
      hand_over(s.run.program_folder, code, [&s](std::chrono::milliseconds d) { wait(s, d); });
  if (!taken) s.run.settings.realtime_running = 0;
  return taken;
}

// Every file of `from` whose name matches, copied into `to`; a file that cannot be copied is
// passed over.
void copy_matching(const fs::path& from, const fs::path& to, std::string_view pattern) {
  std::error_code error;
  for (const std::string& name : list_files(from, pattern)) {
    fs::copy_file(from / name, to / name, fs::copy_options::overwrite_existing, error);
  }
}

void take_over_previous_installation(const fs::path& program_folder, const fs::path& previous) {
  std::error_code error;
  if (previous.empty() || fs::equivalent(previous, program_folder, error) ||
      !file_exists(previous / kSettingsFile)) {
    return;
  }
  copy_matching(previous, program_folder, kSettingsFile);
  copy_matching(previous / kPlanningFolder, planning_folder(program_folder), "*");
  copy_matching(previous, program_folder, "cat.bin");
  copy_matching(previous, program_folder, "*.agb");
}

// Step 9 to 10: the settings and the screen readers.
void read_start_settings(Startup& s) {
  const bool reader_answered = s.host.screen_reader_answers && s.host.screen_reader_answers(1);
  s.run.settings = load_start_settings(s.run.program_folder, s.today(), reader_answered);
}

void wait_for_screen_reader(Startup& s) {
  if (!s.host.screen_reader_answers) return;
  s.host.screen_reader_answers(asks(s.run.command_line, "/test") ? s.run.settings.screen_reader_wait
                                                                 : 1);
}

void restart_delay(Startup& s) {
  const CommandLine& c = s.run.command_line;
  if (asks(c, "/test") && !asks(c, "/go") && s.run.settings.restart_delay > 0) {
    wait(s, std::chrono::seconds(s.run.settings.restart_delay));
  }
}

bool sleep_request_ends_run(Startup& s, std::string_view duration) {
  const std::optional<int> minutes = sleep_minutes(duration);
  if (!minutes) {
    s.prompts.notice(kSleepLengthNotice);
    return true;
  }
  if (file_exists(s.run.program_folder / kSleepFile)) {
    stop_alarm_sounds(s);
    wait(s, 1000ms);
    return true;
  }
  if (s.run.settings.realtime_running != 0 &&
      write_sleep_request(s.run.program_folder, *minutes, minute_stamp(s.today(), s.clock.now()))) {
    hand_to_running_agenda(s, kStartSleep);
  }
  return true;
}

void journal_agenda_start(Startup& s) {
  int journal = 1;
  if (!JournalReady(journal, s.run.settings, s.prompts, s.host.open_management_settings)) return;
  write_journal_entry(journal_folder(s.run.program_folder, s.run.settings), kMainSection,
                      s.clock.now(), {"démarage de l'agenda."});
}

int planning_count(const fs::path& program_folder) {
  return static_cast<int>(list_plannings(planning_folder(program_folder)).size());
}

// A sleep asked before the log-on starts at once, before anything else of the agenda runs.
bool sleeps_at_log_on(const Startup& s) {
  return background_agenda_on(s) && s.host.sleep_mode && asks(s.run.command_line, "/test") &&
         file_exists(s.run.program_folder / kSleepFile);
}

// Steps 9 to 21: the settings read, the start requests handled.
Step read_settings_and_requests(Startup& s) {
  read_start_settings(s);
  check_chimes(s);
  if (s.host.start_voice) s.host.start_voice();
  wait_for_screen_reader(s);
  if (!confirm_system_date(s)) return Step::kEnd;
  apply_zero_value_defaults(s.run.settings);
  if (handle_sleep_and_shutdown(s)) return Step::kEnd;
  CheckJournalFolder(s.run.program_folder, s.run.settings, s.prompts, s.today());
  if (hand_over_start_requests(s)) return Step::kEnd;
  restart_delay(s);
  maintain_deadline(PlanningStore{s.run.program_folder, s.run.settings, s.clock}, s.today());
  if (sleeps_at_log_on(s)) {
    s.host.sleep_mode(s.run);
    return Step::kReadSettings;
  }
  if (start_in_background(s)) return Step::kRealtimeAgenda;
  return Step::kManagement;
}

bool management_time_ahead(const Startup& s) {
  const LocalTime now = s.clock.now();
  return minute_of_day(s.run.settings.management_hour, s.run.settings.management_minute) >
         minute_of_day(now.hour, now.minute);
}

void say_nothing_to_report(Startup& s) {
  if (s.run.settings.last_active_day < s.today()) {
    if (s.host.timed_message) s.host.timed_message("|Rien à signaler à votre agenda.|5");
  } else if (s.run.settings.daily_repeated_warning != 0) {
    s.prompts.notice("Rien à signaler à votre agenda.");
  }
}

// Steps 22 to 26, up to the calendar.
Step manage(Startup& s) {
  switch (run_management(s)) {
    case ManagementOutcome::kEnd:
      return Step::kEnd;
    case ManagementOutcome::kToRealtimeAgenda:
      return Step::kRealtimeAgenda;
    case ManagementOutcome::kToCalendar:
      break;
  }
  // Right after a pass the question is not asked again, even when the settings could not be
  // saved with today's date.
  if (s.run.return_event != kManagementEvent && s.run.settings.last_active_day < s.today() &&
      s.prompts.question(kManagementQuestion)) {
    s.run.return_event = kManagementEvent;
    return Step::kManagement;
  }
  return Step::kCalendar;
}

// The end of an orderly run: the lock goes, the settings are kept.
Step end_run(Startup& s) {
  s.run.lock.reset();
  s.save_settings();
  return Step::kEnd;
}

// Step 26 from the lock on, and the calendar.
Step show_calendar(Startup& s) {
  if (!s.run.lock) {
    s.run.lock = LockFile::take(s.run.program_folder / kInstanceLock);
    if (!s.run.lock) {
      stop_alarm_sounds(s);
      return Step::kEnd;
    }
  }
  if (file_exists(s.run.program_folder / kCatalogueFile) && s.host.chime_catalogue) {
    s.host.chime_catalogue(1);
  }
  s.run.return_event.clear();
  switch (s.host.open_calendar ? s.host.open_calendar(s.run) : CalendarExit::kClosed) {
    case CalendarExit::kQuit:
      return end_run(s);
    case CalendarExit::kManagementNow:
      s.run.return_event = kManagementEvent;
      return Step::kManagement;
    case CalendarExit::kRestart:
      return Step::kReadSettings;
    case CalendarExit::kClosed:
      break;
  }
  if (!background_agenda_on(s)) return end_run(s);
  return Step::kRealtimeAgenda;
}

// Step 27: the real-time agenda, and where its return leads. It is given the command line of
// the start ("/bureau"), which the run then forgets.
Step run_realtime_agenda(Startup& s) {
  AgendaRun& run = s.run;
  run.lock.reset();
  const CommandLine given = run.command_line;
  run.command_line.clear();
  run.window_shown = false;
  run.management_done = false;
  run.start_chime_due = true;
  run.chime_announcement_pending = true;
  const int calendar_day = run.calendar_day;
  run.return_event = s.host.run_realtime_agenda(run, given);
  while (!run.command_line.exchange_file.empty() && s.host.import_exchange_file) {
    const fs::path exchange_file = path_of(run.command_line.exchange_file);
    run.command_line.clear();
    s.host.import_exchange_file(run, exchange_file);
    run.return_event = s.host.run_realtime_agenda(run, {});
  }
  run.calendar_day = std::max(calendar_day, s.today());
  return run.return_event == kManagementEvent ? Step::kManagement : Step::kReadSettings;
}

}  // namespace

int Startup::today() const {
  return todaynumber(clock);
}

void Startup::save_settings() {
  const int day = today();
  if (savesettings(run.program_folder, run.settings, day)) run.settings.last_active_day = day;
}

int check_program_folder(const fs::path& program_folder, Prompts& prompts) {
  const fs::path marker = program_folder / kAccessMarker;
  if (!file_exists(marker)) {
    prompts.notice(kMissingMarkerNotice);
    return -1;
  }
  std::error_code error;
  fs::rename(marker, program_folder / kAccessProbe, error);
  if (error) return 0;
  fs::rename(program_folder / kAccessProbe, marker, error);
  return 1;
}

bool prepare_planning_folder(const fs::path& program_folder, const fs::path& previous_note) {
  const fs::path plannings = planning_folder(program_folder);
  std::error_code error;
  if (fs::is_directory(plannings, error)) return false;
  fs::create_directories(plannings, error);
  if (const std::optional<std::string> note = read_file(previous_note, 4096)) {
    fs::remove(previous_note, error);
    const std::string_view line = std::string_view(*note).substr(0, note->find_first_of("\r\n"));
    const std::string folder = utf8_from_cp1252(trim_spaces(line));
    if (!folder.empty()) take_over_previous_installation(program_folder, native_path({}, folder));
  }
  return true;
}

void move_alarm_profiles(const fs::path& program_folder) {
  const fs::path plannings = planning_folder(program_folder);
  std::error_code error;
  for (const std::string& name : list_files(program_folder, "*.alm")) {
    if (file_exists(plannings / name)) {
      fs::remove(program_folder / name, error);
    } else {
      fs::rename(program_folder / name, plannings / name, error);
    }
  }
}

void check_application_data(const Startup& s) {
  const fs::path folder = s.run.user_folders.application_data;
  if (file_exists(folder / kDonationReminderFile) && s.host.donation_reminder) {
    s.host.donation_reminder();
  }
  std::error_code error;
  fs::remove(folder / "tavelo_setup", error);
}

Settings load_start_settings(const fs::path& program_folder, int today, bool reader_answered) {
  Settings settings = default_settings(today, reader_answered);
  loadsettings(program_folder, settings);
  return settings;
}

void check_chimes(Startup& s) {
  const fs::path chimes = chime_folder(s.run.program_folder);
  std::error_code error;
  if (!fs::is_directory(chimes, error)) {
    fs::create_directories(chimes, error);
    if (s.prompts.question(kChimeDownloadQuestion) && s.host.chime_catalogue &&
        s.host.chime_catalogue(1)) {
      s.prompts.notice("Les profiles des carillons sont maintemant installés.");
    }
  }
  Settings& settings = s.run.settings;
  if (settings.chime_profile.empty()) {
    settings.chimes_active = 0;
  } else if (const fs::path file = chimes / (settings.chime_profile + ".car"); !file_exists(file)) {
    s.prompts.notice("tavelo\rLe profile de carillon " + settings.chime_profile +
                     " est introuvable.\rLes carillon sont désactivés.");
    settings.chime_profile.clear();
    settings.chimes_active = 0;
    s.save_settings();
  } else if (ChimeProfile profile; !LoadChimeProfile(file, chimes, profile, s.prompts)) {
    settings.chime_profile.clear();
    settings.chimes_active = 0;
    s.prompts.notice("tavelo\rLe carillon est désactivé.");
    s.save_settings();
  }
  if (settings.chimes_active != 0) s.run.chime_announcement_pending = true;
}

bool confirm_system_date(Startup& s) {
  const DateCheck check = check_settings_date(s.run.settings, s.today());
  if (check.kind != DateCheck::kNone && s.prompts.question(date_check_question(check))) {
    return false;
  }
  if (s.run.settings.last_active_day != s.today()) s.run.settings.forewarning_given_today = 0;
  return true;
}

bool handle_sleep_and_shutdown(Startup& s) {
  CommandLine& c = s.run.command_line;
  if (asks(c, "/sleep?")) {
    const std::optional<std::string> answer = s.prompts.input("Tavelo", kSleepQuestion, "1:00");
    if (!answer || trim_spaces(*answer).empty()) return true;
    c.switches += "/sleep(" + *answer + ") ";
  }
  if (asks(c, "/sleep(")) return sleep_request_ends_run(s, sleep_request(c).value_or(""));
  if (asks(c, "/shutdown") && s.run.settings.realtime_running != 0) {
    return hand_to_running_agenda(s, kEndAgenda);
  }
  return false;
}

bool hand_over_start_requests(Startup& s) {
  CommandLine& c = s.run.command_line;
  const bool agenda_running = s.run.settings.realtime_running != 0;
  if (!c.exchange_file.empty()) {
    if (agenda_running) hand_to_running_agenda(s, kEndAgenda);
    if (s.host.import_exchange_file) s.host.import_exchange_file(s.run, path_of(c.exchange_file));
    c.exchange_file.clear();
    c.switches += "/test ";
  }
  if (asks(c, "/cal") && agenda_running && hand_to_running_agenda(s, kShowCalendar)) return true;
  if (asks(c, "/bureau") && agenda_running && background_agenda_on(s) &&
      hand_to_running_agenda(s, kDesktopIconStart)) {
    return true;
  }
  if (c.empty()) s.run.settings.realtime_running = 0;
  return false;
}

bool start_in_background(Startup& s) {
  if (!background_agenda_on(s)) return false;
  const CommandLine& c = s.run.command_line;
  const bool test = asks(c, "/test");
  const bool agenda_running = s.run.settings.realtime_running != 0;
  if (s.host.receive_network_plannings) s.host.receive_network_plannings();
  const bool has_plannings = planning_count(s.run.program_folder) > 0;
  journal_agenda_start(s);
  s.run.start_chime_due = true;
  s.run.settings.realtime_running = 0;
  if (!agenda_running && !test && !asks(c, "/bureau")) return false;
  if (has_plannings || test) return true;
  if (agenda_running) hand_to_running_agenda(s, kEndAgenda);
  return false;
}

ManagementOutcome run_management(Startup& s) {
  if (s.host.receive_network_plannings) s.host.receive_network_plannings();
  const bool test = asks(s.run.command_line, "/test");
  if (test || s.run.return_event == kManagementEvent) {
    if (test && management_time_ahead(s)) return ManagementOutcome::kEnd;
    const ManagementReport report =
        run_management_pass({s.run.program_folder, s.run.settings, s.clock, s.prompts,
                             s.host.open_management_settings});
    if (!report.text.empty() && s.host.show_report) s.host.show_report(report.text);
    if (s.run.settings.automatic_backup != 0) {
      automatic_backup(s.run.program_folder, s.run.settings, s.today(), s.prompts);
    }
    if (s.run.settings.realtime_running != 2 && report.nothing_reported) say_nothing_to_report(s);
    s.save_settings();
  }
  if (test && s.run.return_event.empty()) {
    if (s.host.check_for_update) s.host.check_for_update(s.run);
    return ManagementOutcome::kEnd;
  }
  if (s.run.settings.realtime_running == 2 && s.host.run_realtime_agenda) {
    return ManagementOutcome::kToRealtimeAgenda;
  }
  return ManagementOutcome::kToCalendar;
}

int RunAgenda(Startup& s) {
  s.run.calendar_day = s.today();
  s.run.writable = check_program_folder(s.run.program_folder, s.prompts);
  if (s.run.writable < 0) return 1;
  if (lock_held_elsewhere(s.run.program_folder / kInstanceLock)) {
    stop_alarm_sounds(s);
    wait(s, 500ms);
    return 0;
  }
  prepare_planning_folder(s.run.program_folder, s.run.user_folders.previous_installation_note);
  check_application_data(s);
  move_alarm_profiles(s.run.program_folder);
  Step step = Step::kReadSettings;
  while (step != Step::kEnd) {
    switch (step) {
      case Step::kReadSettings:
        step = read_settings_and_requests(s);
        break;
      case Step::kManagement:
        step = manage(s);
        break;
      case Step::kCalendar:
        step = show_calendar(s);
        break;
      case Step::kRealtimeAgenda:
        step = run_realtime_agenda(s);
        break;
      case Step::kEnd:
        break;
    }
  }
  return 0;
}

}  // namespace tavelo
