#pragma once

// The real-time agenda's state and steps, shared by its two source files; nothing else includes
// this header.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "access/window.hpp"
#include "alarms/ring.hpp"
#include "maintenance/update_check.hpp"
#include "shell/agenda_list.hpp"
#include "shell/command_tasks.hpp"
#include "shell/due_alarm.hpp"
#include "shell/realtime_agenda.hpp"

namespace tavelo {

// How a step lets the loop go on.
struct Flow {
  enum Kind { kGoOn, kRebuild, kEnter, kReturn };
  Kind kind = kGoOn;
  std::string event;  // kReturn: the return event
};

struct Agenda {
  Agenda(RealtimeServices& services, RealtimeRun& shared) : s(services), run(shared) {}

  RealtimeServices& s;
  RealtimeRun& run;

  // The window and the list.
  bool window_built = false;
  bool tray_shown = false;
  std::uint32_t tray_shown_at = 0;  // tick
  std::vector<AgendaPlanning> plannings;
  AgendaList list;
  std::vector<std::string> filter;
  std::vector<std::string> categories;
  std::deque<Input> deferred;  // what the user did while a ring paused

  // The alarms.
  AlarmState alarm_state = AlarmState::kIdle;
  DueAlarm default_alarm;  // rings while the alarm state is kDefaultAlarm
  DueAlarm alarm;          // the planning alarm the list pass prepared
  int next_alarm = -1;     // minutes since midnight
  RingState ring;
  bool ring_started = false;
  bool fired = false;         // the firing's mail, URL task and notification are under way
  bool acknowledged = false;  // during a ring's pause
  std::string acknowledging_key;
  std::string late_plannings;
  bool speak_pending = false;
  int speak_left = 0;

  // The daily forewarning: 0 still to come today, 1 given, 2 or more not wanted, -2 not while
  // the window shows.
  int forewarning_state = 0;
  bool detecting_presence = false;  // the forewarning beeps until a key is read
  std::string forewarning_key;
  std::string forewarning_time;

  // The clock.
  MinuteStamp last_minute = 0;
  MinuteStamp last_task_minute = 0;
  int day = 0;  // today at the last pass: midnight is when it changes
  bool chime_pending = false;
  bool restart_tonight = false;  // the computer slept, or plannings came from the network

  std::vector<CommandTask> tasks;
  int control_passes = 0;  // passes with Control, Alt and Shift held
  bool control_held = false;
  bool control_beeped = false;
  bool update_checked = false;
  int update_status = kNotChecked;
};

// The pass's time.
struct PassTime {
  LocalTime local;
  int today = 0;
  int minutes = 0;  // since midnight
  MinuteStamp stamp = 0;
};
PassTime pass_time();

// Shared helpers.
void save_settings(Agenda& a);
// Writes a journal entry when the journal may be written: `journal_flag` is the planning's
// option, or 1 for the agenda's own entries.
void journal(Agenda& a, int journal_flag, std::string_view category,
             const std::vector<std::string>& lines);
bool ringing(const Agenda& a, const PassTime& t);
DueAlarm& current_alarm(Agenda& a);
void start_chime(Agenda& a, const LocalTime& now);
void stop_chime(Agenda& a);
[[noreturn]] void end_program(Agenda& a);
void check_for_update(Agenda& a, bool asked);
Flow to_calendar(Agenda& a);
Flow sleep_now(Agenda& a);
// Marks a planning file signalled, as it is on disk now; a file gone meanwhile stays gone.
void store_signalled(const Agenda& a, const std::string& file);

// The steps of a pass, in their order.
Flow forewarning_step(Agenda& a, const PassTime& t, Input& in);
void minute_step(Agenda& a, const PassTime& t, bool& received);
void nightly_restart_step(Agenda& a, const PassTime& t);
void key_watch_step(Agenda& a, const PassTime& t);
Flow acknowledgement_step(Agenda& a, const PassTime& t, const Input& in);
Flow hand_off_step(Agenda& a);
Flow tray_menu_step(Agenda& a, const PassTime& t, const Input& in);
Flow midnight_step(Agenda& a, const PassTime& t);
std::optional<Flow> management_step(Agenda& a, const PassTime& t);
void start_chime_step(Agenda& a, const PassTime& t);
void notification_step(Agenda& a);
void firing_step(Agenda& a, const PassTime& t);
Flow not_received_step(Agenda& a, const PassTime& t);
void task_step(Agenda& a, const PassTime& t);
void sound_control_step(Agenda& a, const PassTime& t);
// Says once a run that the desktop has no notification area to show the icon in.
void notification_area_step(Agenda& a);
// True for the moment the notification area takes to take a new icon in.
bool tray_icon_settling(const Agenda& a);

// Whether the pass beeps instead of waiting: the forewarning looks for the user, or a task's
// watch listens to the keyboard.
bool beeps_instead_of_waiting(const Agenda& a, const PassTime& t);

}  // namespace tavelo
