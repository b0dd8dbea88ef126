// The steps of the real-time agenda's passes, in their order: the forewarning, the minute tick
// and its chimes, the nightly restart, the task watch, the acknowledgement, the hand-off codes,
// the tray menu, midnight, the management hand-over, the start chime, the spoken notification,
// the firing, the alarm not received, the command tasks and the sound control.
#include <algorithm>

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/key_names.hpp"
#include "access/mail.hpp"
#include "access/speech.hpp"
#include "alarms/chime_profile.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"
#include "shell/journal.hpp"
#include "shell/realtime_state.hpp"
#include "shell/sleep_file.hpp"
#include "shell/tray_menu.hpp"

namespace tavelo {

namespace {

using std::chrono::milliseconds;

constexpr int kNotificationTimer = 1;
constexpr int kAgendaIcon = 1;
constexpr int kTickTone = 880;
constexpr const char* kStartChime = "beep.wav";
constexpr const char* kImportRequest = "import.txt";
// The program file the nightly restart starts.
constexpr const char* kProgramFile = "tavelo";

enum HandOff : int {
  kShowCalendar = 17,
  kDesktopIconStart = 18,
  kStartSleep = 19,
  kEndAgenda = 20,
  kImportFile = 21,
};

int forewarning_minutes(const Settings& s) {
  return s.forewarning_hour * 60 + s.forewarning_minute;
}

int tone_mode(const Agenda& a) {
  return a.s.settings.pc_pulse_output - 1;
}

void beep(Agenda& a, int frequency, int duration_ms) {
  PlayTone(a.s.alarm_sounds, frequency, duration_ms, tone_mode(a), 50);
}

void stop_speaking() {
  SilenceScreenReaders();
  SapiStop();
}

// The default alarm starts ringing, for the forewarning or for the plannings found past.
void ring_default_alarm(Agenda& a, DueAlarm::Kind kind) {
  a.alarm_state = AlarmState::kDefaultAlarm;
  a.default_alarm = default_alarm(kind, a.s.settings);
  a.ring_started = false;
}

void forewarning_given(Agenda& a, const std::string& key) {
  a.detecting_presence = false;
  a.forewarning_state = 1;
  a.forewarning_key = key;
  a.s.settings.forewarning_given_today = 1;
  save_settings(a);
  a.forewarning_time =
      forewarning_time_text(a.s.settings.forewarning_hour, a.s.settings.forewarning_minute);
}

bool forewarning_due(const Agenda& a, const PassTime& t) {
  const Settings& s = a.s.settings;
  return !a.run.window_shown && a.forewarning_state == 0 && !a.detecting_presence &&
         s.forewarning_hour != 255 && t.minutes >= forewarning_minutes(s);
}

std::vector<CommandTask*> watched_tasks(Agenda& a, const PassTime& t) {
  std::vector<CommandTask*> watched;
  for (CommandTask& task : a.tasks) {
    if (task.watch_started && !task.disturbed && watching(task, t.stamp)) watched.push_back(&task);
  }
  return watched;
}

void send_mail(Agenda& a, const DueAlarm& alarm, const LocalTime& now) {
  a.s.mails.push_back(start_notification_mail(a.s.network, alarm.planning.mail,
                                              notification_text(now, alarm.planning.subject),
                                              a.s.server));
}

// What a planning does once when it falls due, besides ringing.
void fire_notifications(Agenda& a, const DueAlarm& alarm, const LocalTime& now) {
  const Planning& p = alarm.planning;
  if (has_mail_notification(p) && p.mail.presence == 0) send_mail(a, alarm, now);
  if (has_url_task(p)) {
    std::string url = p.url_task_link;
    a.s.url_tasks.start(p.subject, url);
  }
  if (p.spoken.mode != 0) {
    ApplySapiProfile(p.spoken.voice);
    a.speak_pending = true;
    a.speak_left = p.spoken.repetitions;
  }
}

// The ring's pause answers the user; an acknowledgement ends it, anything else waits its turn.
void pause_answering(Agenda& a, milliseconds duration) {
  Clock& clock = interface_clock();
  const std::uint32_t end = clock.tick() + static_cast<std::uint32_t>(duration.count());
  for (auto left = static_cast<std::int32_t>(end - clock.tick()); left > 0 && !a.acknowledged;
       left = static_cast<std::int32_t>(end - clock.tick())) {
    Input in = NextInput(left, true);
    const bool shifts = IsKeyDown(vk::left_shift) && IsKeyDown(vk::right_shift);
    if (shifts || in.event == "btn10" || in.event == "tray1") {
      a.acknowledged = true;
      a.acknowledging_key = shifts ? "leftshiftrightshift" : in.key;
    } else if (!in.event.empty() || !in.key.empty()) {
      a.deferred.push_back(std::move(in));
    }
  }
}

void end_alarm(Agenda& a, bool planning_signalled) {
  const DueAlarm& alarm = current_alarm(a);
  if (alarm.kind == DueAlarm::Kind::kPlanning) {
    if (planning_signalled) store_signalled(a, alarm.file);
    a.alarm = {};
  } else {
    a.alarm_state = AlarmState::kHandled;
  }
  a.ring_started = false;
  a.fired = false;
  a.acknowledged = false;
  a.speak_pending = false;
}

std::string first_line_of(const fs::path& file) {
  const std::optional<std::string> bytes = read_file(file, 64 * 1024);
  if (!bytes) return {};
  std::string line = utf8_from_cp1252(bytes->substr(0, bytes->find('\n')));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

Flow import_request(Agenda& a) {
  const fs::path request = a.s.program_folder / kImportRequest;
  a.run.exchange_file = first_line_of(request);
  std::error_code error;
  fs::remove(request, error);
  Flow flow = to_calendar(a);
  flow.event.clear();
  return flow;
}

void switch_sound_control(Agenda& a) {
  int& on = a.s.settings.sound_control;
  on = on != 0 ? 0 : 1;
  SetTrayIcon(kAgendaIcon, a.s.program_folder / kTrayImage, sound_control_tooltip(on != 0), false);
  save_settings(a);
}

void switch_chimes(Agenda& a, const LocalTime& now) {
  int& on = a.s.settings.chimes_active;
  on = on != 0 ? 0 : 1;
  if (on != 0) {
    start_chime(a, now);
  } else {
    stop_chime(a);
  }
  save_settings(a);
}

void check_update_from_tray(Agenda& a) {
  a.s.settings.realtime_running = 0;
  check_for_update(a, true);
  a.s.settings.realtime_running = 1;
  SetTrayIcon(kAgendaIcon, a.s.program_folder / kTrayImage,
              tray_tooltip(a.update_status, a.s.settings.sound_control != 0), false);
}

Flow ask_for_sleep(Agenda& a, const PassTime& t) {
  const std::optional<std::string> answer =
      a.s.prompts.input("Tavelo", "Mettre l'agenda en mode sommeil durant:", "1:00");
  const std::optional<int> minutes = answer ? typed_sleep_minutes(*answer) : std::nullopt;
  if (!minutes) return {};
  stop_chime(a);
  write_sleep_file(a.s.program_folder, {*minutes, t.stamp});
  return sleep_now(a);
}

// The page of the maker's web server answers, within five tries 5 s apart.
void wait_for_the_network(Agenda& a) {
  if (!a.s.server) return;
  for (int tries = 0; tries < 5; ++tries) {
    if (a.s.network->get_to_memory(server_url(*a.s.server, "/"))) return;
    WaitWithEvents(5000, 50, false);
  }
}

bool program_file_exists(const fs::path& program) {
  std::error_code error;
  return fs::is_regular_file(program, error);
}

// A file that is not a program opens with the program the desktop gives it.
bool start_task(const TaskCommand& command) {
  std::error_code error;
  const fs::perms perms = fs::status(command.program, error).permissions();
  const bool executable =
      (perms & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) !=
      fs::perms::none;
  if (executable) return shell_service().start_program(command.program, command.arguments);
  return shell_service().open(command.program.string());
}

// The task runs now, unless the user refuses it or used the computer during its watch.
void run_task(Agenda& a, CommandTask& task, const PassTime& t) {
  const fs::path file = planning_folder(a.s.program_folder) / task.file;
  if (!file_exists(file)) {
    task.done = true;
    return;
  }
  int readerror = 0;
  Planning planning = loadplanning(file, a.s.program_folder, a.s.settings, readerror);
  std::vector<std::string> lines = task_journal_lines(planning);
  bool runs = !task.disturbed;
  if (asks_confirmation(task)) {
    lines.emplace_back("  Une confirmation a été demandée.");
    runs = AskUser("|voulez-vous exécuter la tâche associée à la planification: \r" +
                   planning.subject + "|30|&oui|&non") != 2;
    if (!runs) lines.emplace_back("  La demande a été refusée.");
    if (!runs && postpone(task, t.stamp)) lines.emplace_back("  La tâche a été reportée");
  } else if (!runs) {
    lines.emplace_back("  La tâche n'a pas été exécuté par-ce que le système a été solicité.");
    if (postpone(task, t.stamp)) lines.emplace_back("  La tâche a été reportée.");
  }
  if (runs) {
    const TaskCommand command = split_command(a.s.program_folder, planning.task);
    if (program_file_exists(command.program)) start_task(command);
    planning.task.state = 1;
    saveplanning(file, planning, a.s.settings, interface_clock(), false);
    lines.emplace_back("  La tâche a été exécutée.");
    task.done = true;
  }
  journal(a, planning.journal, planning.category, lines);
}

void start_watch(Agenda& a, CommandTask& task) {
  task.watch_started = true;
  journal(a, 1, task.category,
          {"  sujet: " + task.subject, "  mode de surveillance en prévision de cette tâche..."});
}

}  // namespace

bool beeps_instead_of_waiting(const Agenda& a, const PassTime& t) {
  if (a.detecting_presence) return true;
  return std::any_of(a.tasks.begin(), a.tasks.end(), [&](const CommandTask& task) {
    return task.watch_started && !task.disturbed && watching(task, t.stamp);
  });
}

Flow forewarning_step(Agenda& a, const PassTime& t, Input& in) {
  if (forewarning_due(a, t)) {
    a.detecting_presence = true;
    journal(a, 1, kMainSection, {"  heure de préavis, détection en court..."});
    return {};
  }
  if (!a.detecting_presence) return {};
  // The user is there when a key is held, or the tray icon clicked (the only sign under Wayland).
  const std::string key = ReadKeyName(false, false);
  if (key.empty() && in.event != "tray1") return {};
  if (in.event == "tray1") in.event.clear();
  forewarning_given(a, key);
  if (a.s.settings.forewarning_mode == 1) {
    ring_default_alarm(a, DueAlarm::Kind::kForewarning);
    return {};
  }
  const int answer = AskUser(
      "Avertissement préavis...|Des planifications sont prévues à votre agenda.|30|ok|consulter "
      "l'agenda");
  if (answer != 2) return {};
  a.run.window_shown = true;
  return {Flow::kRebuild, {}};
}

void minute_step(Agenda& a, const PassTime& t, bool& received) {
  received = false;
  if (a.chime_pending) {
    a.chime_pending = false;
    start_chime(a, t.local);
  }
  if (t.stamp == a.last_minute) return;
  // More than a minute since the last pass: the computer slept.
  if (t.stamp - a.last_minute != 1) a.restart_tonight = true;
  a.last_minute = t.stamp;
  const Settings& s = a.s.settings;
  if (s.chimes_active != 0 && t.local.minute % 15 == 0) {
    if (t.minutes == s.management_hour * 60 + s.management_minute) {
      a.chime_pending = true;
    } else {
      start_chime(a, t.local);
    }
  }
  if (a.s.receive_network_plannings && a.s.receive_network_plannings() > 0) {
    received = true;
    if (!a.run.window_shown) a.restart_tonight = true;
  }
}

void nightly_restart_step(Agenda& a, const PassTime& t) {
  if (!a.restart_tonight || t.local.hour != 3 || t.local.minute != 0 || t.local.second != 0) {
    return;
  }
  wait_for_the_network(a);
  if (a.s.release_lock) a.s.release_lock();
  a.s.settings.realtime_running = 0;
  save_settings(a);
  shell_service().start_program(a.s.program_folder / kProgramFile, {"/test", "/go"});
  end_program(a);
}

void key_watch_step(Agenda& a, const PassTime& t) {
  const std::vector<CommandTask*> watched = watched_tasks(a, t);
  if (watched.empty()) return;
  const std::string key = ReadKeyName(false, false);
  if (key.empty()) return;
  for (CommandTask* task : watched) {
    task->disturbed = true;
    journal(a, 1, task->category, {"  détection de la touche \"" + key + "\""});
  }
}

Flow acknowledgement_step(Agenda& a, const PassTime& t, const Input& in) {
  if (!ringing(a, t)) return {};
  const bool shifts = IsKeyDown(vk::left_shift) && IsKeyDown(vk::right_shift);
  if (!a.acknowledged && !shifts && in.event != "btn10" && in.event != "tray1") return {};
  const std::string key = a.acknowledged ? a.acknowledging_key
                          : shifts       ? "leftshiftrightshift"
                                         : in.key;
  StopAlarmSounds(a.s.alarm_sounds);
  stop_speaking();
  StopDialogTimer(kNotificationTimer);
  ReleaseStuckKeys();
  const DueAlarm& alarm = current_alarm(a);
  const bool planning = alarm.kind == DueAlarm::Kind::kPlanning;
  journal(a, planning ? alarm.planning.journal : 1,
          planning ? alarm.planning.category : std::string(kMainSection),
          alarm_journal_lines(alarm, {true, key, a.late_plannings, a.forewarning_time}));
  if (!planning || in.event == "tray1") a.run.window_shown = true;
  end_alarm(a, true);
  return {Flow::kRebuild, {}};
}

Flow hand_off_step(Agenda& a) {
  const int code = a.s.read_tray_action ? a.s.read_tray_action() : 0;
  switch (code) {
    case kShowCalendar:
      return to_calendar(a);
    case kDesktopIconStart:
      return {Flow::kEnter, {}};
    case kStartSleep:
      stop_chime(a);
      return sleep_now(a);
    case kEndAgenda:
      end_program(a);
    case kImportFile:
      return import_request(a);
    default:
      return {};
  }
}

Flow tray_menu_step(Agenda& a, const PassTime& t, const Input& in) {
  if (in.event == "menu1") {
    a.run.window_shown = true;
    return {Flow::kRebuild, {}};
  }
  if (in.event == "menu2") return to_calendar(a);
  if (in.event == "menu3") switch_sound_control(a);
  if (in.event == "menu4") return ask_for_sleep(a, t);
  if (in.event == "menu5") check_update_from_tray(a);
  if (in.event == "menu6") switch_chimes(a, t.local);
  return {};
}

// Midnight is the change of day, so that it comes once even when the computer slept through
// 00:00.
Flow midnight_step(Agenda& a, const PassTime& t) {
  if (t.today == a.day) return {};
  a.day = t.today;
  a.run.management_done = false;
  a.forewarning_state = 0;
  return {Flow::kRebuild, {}};
}

void start_chime_step(Agenda& a, const PassTime& t) {
  if (!a.run.start_chime_due) return;
  a.run.start_chime_due = false;
  if (a.s.release_lock) a.s.release_lock();
  PlayWave(a.s.alarm_sounds, kStartChime, -1);
  if (a.run.chime_announcement_pending && a.s.settings.chimes_active != 0) start_chime(a, t.local);
  a.run.chime_announcement_pending = false;
}

void notification_step(Agenda& a) {
  if (!a.speak_pending) return;
  a.speak_pending = false;
  const Planning& p = current_alarm(a).planning;
  const std::string text = spoken_notification(p);
  if (p.spoken.mode == 2 && speech_state().sapi_loaded) {
    SapiSpeak(text);
  } else {
    Speak(text, 1, 1);
  }
  if (a.speak_left <= 0) return;
  --a.speak_left;
  StartDialogTimer(kNotificationTimer, std::max(p.spoken.interval, 1) * 1000, 0);
}

void firing_step(Agenda& a, const PassTime& t) {
  if (!ringing(a, t)) return;
  DueAlarm& alarm = current_alarm(a);
  if (!a.ring_started) {
    apply_night_rule(alarm, a.s.program_folder, a.s.settings, t.local);
    a.ring = start_ring(alarm.profile);
    a.ring_started = true;
  }
  if (a.ring.finished) return;
  if (alarm.kind == DueAlarm::Kind::kPlanning && !a.fired) {
    a.fired = true;
    fire_notifications(a, alarm, t.local);
  }
  ring_cycle(alarm.profile, a.s.settings.pc_pulse_output, a.ring,
             alarm_player(
                 a.s.alarm_sounds, [&a](milliseconds pause) { pause_answering(a, pause); },
                 [&a] { return a.acknowledged; }));
}

Flow not_received_step(Agenda& a, const PassTime& t) {
  if (!ringing(a, t) || !a.ring_started || !a.ring.finished || a.acknowledged) return {};
  StopDialogTimer(kNotificationTimer);
  stop_speaking();
  const DueAlarm& alarm = current_alarm(a);
  const bool planning = alarm.kind == DueAlarm::Kind::kPlanning;
  if (planning && has_mail_notification(alarm.planning) && alarm.planning.mail.presence != 0) {
    send_mail(a, alarm, t.local);
  }
  journal(a, planning ? alarm.planning.journal : 1,
          planning ? alarm.planning.category : std::string(kMainSection),
          alarm_journal_lines(alarm, {false, a.forewarning_key, a.late_plannings, {}}));
  end_alarm(a, true);
  return {Flow::kRebuild, {}};
}

void task_step(Agenda& a, const PassTime& t) {
  if (a.run.window_shown || ringing(a, t) || t.stamp == a.last_task_minute) return;
  a.last_task_minute = t.stamp;
  for (CommandTask& task : a.tasks) {
    if (watch_starts(task, t.stamp)) start_watch(a, task);
    if (task_due(task, t.stamp)) run_task(a, task, t);
  }
}

bool tray_icon_settling(const Agenda& a) {
  // The notification area takes a new icon in within a moment.
  constexpr std::uint32_t kTakingIn = 3000;
  return interface_clock().tick() - a.tray_shown_at < kTakingIn;
}

void notification_area_step(Agenda& a) {
  if (a.run.window_shown || !a.tray_shown || a.run.told_no_notification_area ||
      tray_icon_settling(a) || window_system().tray_icon_shown(kAgendaIcon)) {
    return;
  }
  a.run.told_no_notification_area = true;
  a.s.prompts.notice(
      "Tavelo\rCe bureau n'a pas de zone de notification : l'icône de l'agenda ne peut pas y "
      "être affichée.\rL'agenda continue en arrière-plan. Démarrez Tavelo une seconde fois pour "
      "revenir au calendrier.");
}

void sound_control_step(Agenda& a, const PassTime& t) {
  a.control_beeped = false;
  a.control_held = false;
  if (a.run.window_shown || ringing(a, t)) {
    a.control_passes = 0;
    return;
  }
  const bool control = IsKeyDown(vk::control);
  a.control_held = control;
  if (control && IsKeyDown(vk::alt) && IsKeyDown(vk::shift)) {
    if (++a.control_passes < 3) return;
    beep(a, kTickTone, 100);
    ReleaseStuckKeys();
    a.control_passes = 0;
    return;
  }
  a.control_passes = 0;
  if (control && a.s.settings.sound_control != 0) {
    beep(a, 440, 25);
    a.control_beeped = true;
  }
}

}  // namespace tavelo
