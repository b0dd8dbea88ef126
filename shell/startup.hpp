#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maintenance/update_check.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"
#include "platform/lock_file.hpp"
#include "platform/user_folders.hpp"
#include "shell/command_line.hpp"
#include "shell/management.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kAccessMarker = "access.txt";
inline constexpr const char* kAccessProbe = "access.tmp";
inline constexpr const char* kInstanceLock = "agendalock";
inline constexpr const char* kDonationReminderFile = "tavelo_majplus.txt";
inline constexpr const char* kManagementEvent = "resédule";
inline constexpr const char* kCalendarEvent = "resetmenu";

// How the calendar window was left.
enum class CalendarExit {
  kClosed,         // the window was closed: the agenda goes on in the background or ends
  kQuit,           // "Quitter": the program ends
  kManagementNow,  // the management pass now, then the calendar again
  kRestart,        // the settings read again and the calendar reopened
};

// What one run of the program keeps from its start to its end.
struct AgendaRun {
  fs::path program_folder;
  UserFolders user_folders;
  CommandLine command_line;
  int writable = -1;  // -1 "access.txt" missing, 0 the program folder cannot be written, 1 it can
  Settings settings;
  std::optional<LockFile> lock;
  int calendar_day = 0;
  std::string return_event;   // how the real-time agenda handed back: "resédule", "resetmenu" ...
  bool window_shown = false;  // the real-time agenda shows its window rather than its icon
  bool management_done = false;
  bool chime_announcement_pending = false;
  bool start_chime_due = false;
  std::vector<std::string> arguments;  // as the program was started: an update starts it again so
  int update_status = kNotChecked;     // what the last update check found, for the tray tooltip
};

// What the start-up asks of the windows, the speech and the network, and of the parts that run
// after it. An empty function stands for a part that is not there: the start-up goes on without
// it (no real-time agenda means the background agenda counts as off).
struct StartupHost {
  std::function<bool(int rounds)> screen_reader_answers;
  std::function<void()> start_voice;
  // Lets the time pass while the windows keep answering.
  std::function<void(std::chrono::milliseconds)> wait;
  std::function<void()> stop_alarm_sounds;
  std::function<void(std::string_view chain)> timed_message;
  // The window "signalement de Tavelo" with the management pass's report.
  std::function<void(std::string_view report)> show_report;
  std::function<void()> donation_reminder;
  std::function<void()> receive_network_plannings;
  // The chime catalogue: 1 installs the profiles on the first run, or tells of new ones.
  std::function<bool(int mode)> chime_catalogue;
  std::function<void()> open_management_settings;
  std::function<CalendarExit(AgendaRun&)> open_calendar;
  // The real-time agenda, given the command line of the start; it returns how it handed back.
  std::function<std::string(AgendaRun&, const CommandLine& given)> run_realtime_agenda;
  std::function<void(AgendaRun&)> sleep_mode;
  std::function<void(AgendaRun&, const fs::path& exchange_file)> import_exchange_file;
  std::function<void(AgendaRun&)> check_for_update;
};

// Everything the steps work with.
struct Startup {
  AgendaRun& run;
  Clock& clock;
  Prompts& prompts;
  const StartupHost& host;

  int today() const;
  // The settings saved, the last active day becoming today.
  void save_settings();
};

// The whole run: the start-up, the calendar and the real-time agenda in turn, until the program
// ends. Returns the exit code.
int RunAgenda(Startup& startup);

// The steps, in their order.

// The write test of the program folder through "access.txt": -1 when it is missing (the user is
// told, and the program must end), 0 when the folder cannot be written, 1 when it can.
int check_program_folder(const fs::path& program_folder, Prompts& prompts);

// The planning folder is made on the first run, which takes over the data of an earlier
// installation whose folder the note names. Returns true on the first run.
bool prepare_planning_folder(const fs::path& program_folder, const fs::path& previous_note);

// Alarm profiles left in the program folder go to the planning folder; one already there wins.
void move_alarm_profiles(const fs::path& program_folder);

// The donation reminder's file, and the installer a finished update left.
void check_application_data(const Startup& startup);

// The settings file read over the start-up's defaults, after a save that did not finish is
// repaired.
Settings load_start_settings(const fs::path& program_folder, int today, bool reader_answered);

// The chime folder on the first run, and the chosen chime profile.
void check_chimes(Startup& startup);

// The system date against the last active day: false when the user ends the program to set the
// clock.
bool confirm_system_date(Startup& startup);

// "/sleep?", "/sleep(…)" and "/shutdown": true when the program must end.
bool handle_sleep_and_shutdown(Startup& startup);

// An exchange file, "/cal" and "/bureau": true when the program must end.
bool hand_over_start_requests(Startup& startup);

// With the background agenda on: true when the start goes on in the real-time agenda.
bool start_in_background(Startup& startup);

// The management pass and what follows it; false when the program must end (a "/test" start
// before the management time, or once the pass is done).
enum class ManagementOutcome { kToCalendar, kToRealtimeAgenda, kEnd };
ManagementOutcome run_management(Startup& startup);

}  // namespace tavelo
