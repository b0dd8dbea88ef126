#include "shell/realtime_agenda.hpp"

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/menus.hpp"
#include "access/note_window.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "alarms/chime_profile.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"
#include "shell/hand_off.hpp"
#include "shell/journal.hpp"
#include "shell/realtime_state.hpp"
#include "shell/sleep_file.hpp"
#include "shell/tray_menu.hpp"

namespace tavelo {

namespace {

constexpr std::string_view kTitle = "Tavelo en temps réel";
constexpr int kPlanningList = 11, kAdd = 6, kModify = 7, kDelete = 8, kNote = 5, kCategories = 24,
              kAddToFilter = 1, kFilterLabel = 3, kFilterList = 12, kRemoveFromFilter = 2,
              kStopAlarm = 10, kHelp = 4, kQuit = 9;
constexpr int kAgendaIcon = 1, kUrlTaskIcon = 2;

constexpr ControlSpec kAgendaControls[] = {
    {ControlKind::list_box, kPlanningList, "", 2, 2, 76, 13},
    {ControlKind::button, kAdd, "a&jouter", 16, 2, 12},
    {ControlKind::button, kModify, "&modifier", 16, 16, 12},
    {ControlKind::button, kDelete, "&supprimer", 16, 30, 13},
    {ControlKind::button, kNote, "&voir la note", 16, 45, 16},
    {ControlKind::combo_box, kCategories, "", 19, 2, 34},
    {ControlKind::button, kAddToFilter, "ajouter cette catégorie au &filtre:", 19, 38, 38},
    {ControlKind::label, kFilterLabel, "filtre des catégories", 22, 2},
    {ControlKind::list_box, kFilterList, "", 23, 2, 40, 5},
    {ControlKind::button, kRemoveFromFilter, "s&upprimer cette catégorie du filtre", 23, 44, 34},
    {ControlKind::button, kStopAlarm, "stop a&larme", 28, 2, 16},
    {ControlKind::button, kHelp, "aide-f1", 28, 20, 10},
    {ControlKind::button, kQuit, "&quitter l'agenda", 28, 32, 20},
};

constexpr const char* kNothingLeftToWatch =
    "l'agenda s'est arrêté, à cause de l'absence de planification, la désativation des mise à "
    "jour et la désactivation de la réception réseau ainsi que des carrions.";

fs::path tray_image(const Agenda& a) {
  return a.s.program_folder / kTrayImage;
}

int forewarning_minutes(const Settings& s) {
  return s.forewarning_hour * 60 + s.forewarning_minute;
}

// The planning of the selected line; nothing on "rien à signaler".
const AgendaPlanning* selected_planning(const Agenda& a) {
  const int line = ControlState(kPlanningList);
  if (line < 0 || static_cast<std::size_t>(line) >= a.list.line_plannings.size()) return nullptr;
  return &a.plannings[a.list.line_plannings[static_cast<std::size_t>(line)]];
}

// Entry, desktop icon: the option chosen for a start from the desktop icon.
std::optional<Flow> access_menu(Agenda& a) {
  const int answer = AskUser(
      "accéder à Tavelo par l'icône du bureau|choisissez parmis se qui suit:|0|&temps "
      "réel|&calendrier|&quitter|&option de l'icône du bureau|annuler");
  switch (answer) {
    case 1:
      a.run.window_shown = true;
      return std::nullopt;
    case 2:
      return to_calendar(a);
    case 3:
      end_program(a);
    case 4:
      if (a.s.desktop_icon_option) a.s.desktop_icon_option();
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<Flow> desktop_icon_start(Agenda& a) {
  switch (a.s.settings.desktop_icon_option) {
    case 1:
      return to_calendar(a);
    case 3:
      return access_menu(a);
    default:
      a.run.window_shown = true;
      return std::nullopt;
  }
}

// Entry steps 1 and 2: where the window starts, and whether the forewarning is still to come.
std::optional<Flow> enter(Agenda& a, std::string_view command_line) {
  a.run.window_shown = false;
  if (lower_ascii(command_line).find("/bureau") != std::string::npos) {
    if (std::optional<Flow> flow = desktop_icon_start(a)) return flow;
  }
  const Settings& s = a.s.settings;
  const PassTime t = pass_time();
  if ((t.minutes >= forewarning_minutes(s) && s.daily_repeated_warning == 0 &&
       s.forewarning_given_today != 0) ||
      s.forewarning_hour == 255) {
    a.forewarning_state += 2;
  }
  if (a.run.window_shown && s.daily_repeated_warning != 0) a.forewarning_state = -2;
  a.last_minute = t.stamp;
  a.day = t.today;
  return std::nullopt;
}

bool nothing_to_watch(const Agenda& a) {
  const Settings& s = a.s.settings;
  return s.update_check == 1 && s.import_allowed == 0 && s.chimes_active == 0 &&
         list_plannings(planning_folder(a.s.program_folder)).empty();
}

void fill_categories_and_filter(Agenda& a) {
  a.categories = listcategories(a.s.program_folder);
  ClearItems(kCategories);
  for (const std::string& category : a.categories) AddItem(kCategories, category);
  std::optional<std::vector<std::string>> filter = read_filter(a.s.program_folder);
  if (!filter) {
    std::error_code error;
    fs::remove(a.s.program_folder / kFilterFile, error);
  }
  a.filter = filter.value_or(std::vector<std::string>{});
  ClearItems(kFilterList);
  for (const std::string& category : a.filter) AddItem(kFilterList, category);
  if (!a.filter.empty()) SetControlState(kFilterList, 0);
}

void build_window(Agenda& a) {
  if (!a.window_built) {
    OpenDialog("", 0, 0, 30, 78, kTitle, a.run.window_shown ? 0 : kHiddenWindow);
    AddControls(kAgendaControls);
    NameControl(kPlanningList, "planifications");
    NameControl(kCategories, "catégories");
    NameControl(kFilterList, "filtre des catégories");
    SetOkCaption("calendrier");
    SetCancelCaption("arrière-plan");
    AddOkButton(0, 0);
    AddCancelButton(0, 0);
    a.window_built = true;
  } else if (DialogWindowShown() != a.run.window_shown) {
    ShowDialogWindow(a.run.window_shown);
  }
  fill_categories_and_filter(a);
}

// The planning alarm of the list pass; the one already ringing keeps its ring.
void prepare_planning_alarm(Agenda& a) {
  if (!a.list.prepared) {
    const bool was_ringing = a.alarm_state != AlarmState::kDefaultAlarm && a.ring_started;
    if (was_ringing) StopAlarmSounds(a.s.alarm_sounds);
    if (a.alarm_state != AlarmState::kDefaultAlarm) a.ring_started = a.fired = false;
    a.alarm = {};
    return;
  }
  const AgendaPlanning& p = a.plannings[*a.list.prepared];
  if (a.alarm.kind == DueAlarm::Kind::kPlanning && a.alarm.file == p.file) return;
  a.alarm = planning_alarm(p.file, p.planning);
  if (a.alarm_state != AlarmState::kDefaultAlarm) a.ring_started = a.fired = false;
}

void update_tasks(Agenda& a) {
  std::vector<CommandTask> today;
  for (const std::size_t i : a.list.with_tasks) {
    const AgendaPlanning& p = a.plannings[i];
    if (p.planning.task.state == 0) {
      today.push_back(command_task(p.file, p.planning, p.day, p.hour, p.minute));
    }
  }
  update_task_table(a.tasks, std::move(today));
}

void run_list_pass(Agenda& a, const PassTime& t) {
  a.plannings = read_agenda_plannings(a.s.program_folder, a.s.settings, t.today);
  a.list =
      list_pass(a.plannings, {t.today, t.minutes, &a.filter, a.run.window_shown}, a.alarm_state);
  for (const std::size_t i : a.list.now_signalled) store_signalled(a, a.plannings[i].file);
  if (a.list.late_signalling) {
    a.default_alarm = default_alarm(DueAlarm::Kind::kLateSignalling, a.s.settings);
    a.late_plannings = a.list.missed_today;
    a.ring_started = a.fired = false;
  }
  a.next_alarm = a.list.next_alarm;
  prepare_planning_alarm(a);
  update_tasks(a);
  ClearItems(kPlanningList);
  for (const std::string& line : a.list.lines) AddItem(kPlanningList, line);
}

void build_tray_menu(const Agenda& a) {
  const auto captions =
      tray_menu_captions(a.s.settings.sound_control != 0, a.s.settings.chimes_active != 0);
  const std::vector<std::string_view> items(captions.begin(), captions.end());
  BuildPopupMenu("", kShowAgendaItem, items);
}

void show_window_or_icon(Agenda& a) {
  if (a.run.window_shown) {
    RemoveTrayIcon(kAgendaIcon);
    a.tray_shown = false;
    return;
  }
  build_tray_menu(a);
  SetTrayIcon(kAgendaIcon, tray_image(a),
              tray_tooltip(a.update_status, a.s.settings.sound_control != 0), !a.tray_shown);
  if (!a.tray_shown) a.tray_shown_at = interface_clock().tick();
  a.tray_shown = true;
}

// The category of the selected planning goes to the combo box.
void selection_changed(Agenda& a) {
  const AgendaPlanning* p = selected_planning(a);
  if (p == nullptr) return;
  const std::string& category = p->planning.category;
  const auto known = std::find(a.categories.begin(), a.categories.end(), category);
  if (known != a.categories.end()) {
    SetControlState(kCategories, static_cast<int>(known - a.categories.begin()));
  } else {
    SetControlText(kCategories, category);
  }
}

void present_list(Agenda& a) {
  // The window holds the lock while it shows; in the background another start must reach the
  // hand-off file.
  if (a.run.window_shown && a.s.take_lock) a.s.take_lock();
  SetControlState(kPlanningList, a.list.selected);
  FocusControl(kPlanningList);
  selection_changed(a);
  Speak("Tavelo en temps réel. " + a.list.lines[static_cast<std::size_t>(a.list.selected)], 0);
}

// Entry steps 3 to 9, the restart point after every change. Gives the return event when the
// agenda hands over to the management pass.
std::optional<std::string> restart(Agenda& a) {
  for (;;) {
    const PassTime t = pass_time();
    Settings& s = a.s.settings;
    if (t.minutes < forewarning_minutes(s) && s.forewarning_given_today != 0) {
      s.forewarning_given_today = 0;
      save_settings(a);
    }
    if (nothing_to_watch(a)) {
      Speak(kNothingLeftToWatch, 1, 1);
      end_program(a);
    }
    if (std::optional<Flow> flow = management_step(a, t)) return flow->event;
    if (!a.run.window_shown && !a.update_checked) {
      a.update_checked = true;
      check_for_update(a, false);
    }
    build_window(a);
    run_list_pass(a, t);
    s.realtime_running = 1;
    save_settings(a);
    if (!file_exists(a.s.program_folder / kSleepFileName)) break;
    a.run.window_shown = false;
    ShowDialogWindow(false);
    SleepMode(a.s.program_folder);
    a.tray_shown = false;
    a.run.start_chime_due = true;
  }
  show_window_or_icon(a);
  present_list(a);
  return std::nullopt;
}

Flow edit(Agenda& a, const std::optional<fs::path>& planning) {
  if (!a.s.edit_planning) return {};
  a.s.edit_planning(planning);
  a.window_built = false;  // the editor took the window's place
  return {Flow::kRebuild, {}};
}

Flow delete_planning(Agenda& a) {
  const AgendaPlanning* p = selected_planning(a);
  if (p == nullptr) return {};
  if (!a.s.prompts.question("Voulez-vous supprimer la planification sélectionnée?")) {
    FocusControl(kPlanningList);
    return {};
  }
  std::error_code error;
  fs::remove(planning_folder(a.s.program_folder) / p->file, error);
  return {Flow::kRebuild, {}};
}

Flow show_note(Agenda& a) {
  const AgendaPlanning* p = selected_planning(a);
  if (p == nullptr || !has_note(p->planning)) {
    StopAlarmSounds(a.s.alarm_sounds);
    return {};
  }
  ShowNoteWindow(p->planning.note);
  a.window_built = false;
  return {Flow::kRebuild, {}};
}

Flow add_to_filter(Agenda& a) {
  if (!addtofilter(a.s.program_folder, a.filter, ControlText(kCategories), a.s.prompts)) return {};
  return {Flow::kRebuild, {}};
}

Flow remove_from_filter(Agenda& a) {
  const int index = ControlState(kFilterList);
  if (index < 0 ||
      !removefromfilter(a.s.program_folder, a.filter, static_cast<std::size_t>(index))) {
    return {};
  }
  return {Flow::kRebuild, {}};
}

// The window goes to the background.
Flow hide(Agenda& a) {
  if (a.alarm_state == AlarmState::kDefaultAlarm) StopAlarmSounds(a.s.alarm_sounds);
  a.run.window_shown = false;
  a.run.start_chime_due = true;
  a.alarm_state = AlarmState::kHandled;
  return {Flow::kRebuild, {}};
}

Flow window_event(Agenda& a, const Input& in) {
  const std::string& e = in.event;
  const int focus = FocusedControl();
  if (e == "lst11") {
    selection_changed(a);
  } else if (e == "btn6") {
    a.run.calendar_day = todaynumber(interface_clock());
    return edit(a, std::nullopt);
  } else if (e == "btn7") {
    if (const AgendaPlanning* p = selected_planning(a)) {
      return edit(a, planning_folder(a.s.program_folder) / p->file);
    }
  } else if (e == "btn8" || (in.key == "delete" && focus == kPlanningList)) {
    return delete_planning(a);
  } else if (e == "btn5") {
    return show_note(a);
  } else if (e == "btn1") {
    return add_to_filter(a);
  } else if (e == "btn2" || (in.key == "delete" && focus == kFilterList)) {
    return remove_from_filter(a);
  } else if (e == "btn4" || in.key == "f1") {
    shell_service().show_help("réel.htm");
  } else if (e == "btn9" || e == "menu7") {
    if (a.s.prompts.question("Voulez-vous quitter l'agenda?")) end_program(a);
  } else if (e == "btnok") {
    return to_calendar(a);
  } else if (e == "btncancel" || e == "winclose") {
    return hide(a);
  } else if (e == "tray1") {
    build_tray_menu(a);
    ShowPopupMenu();
  } else if (e == "tray2") {
    a.s.url_tasks.stop();
    RemoveTrayIcon(kUrlTaskIcon);
  } else if (e == "timer1") {
    a.speak_pending = true;
  }
  return {};
}

// The waits of a pass: short while the window shows or an alarm rings, 500 ms between the
// beeps of the sound control, 800 ms while something is under way in the background.
constexpr int kBusyWait = 30, kBeepWait = 500, kBackgroundWait = 800;
// The wake comes just after the minute starts, so that its pass reads the new minute.
constexpr int kPastTheMinute = 20;

// Something that the next passes must see soon, not at the next minute.
bool under_way(const Agenda& a) {
  return a.control_held || a.chime_pending || a.run.start_chime_due || a.speak_pending ||
         a.s.url_tasks.running() || a.s.url_task_icon.changes_waiting() ||
         (a.tray_shown && !a.run.told_no_notification_area && tray_icon_settling(a));
}

int milliseconds_to_next_minute(const LocalTime& now) {
  return (59 - now.second) * 1000 + (1000 - now.millisecond) + kPastTheMinute;
}

// The hidden agenda with nothing under way sleeps until the next minute: the clock's steps
// (forewarning, chimes, alarms, tasks, midnight, management) all fall on the start of a minute,
// and what comes between (a click, the hand-off file, the Control key) ends the sleep.
int wait_before_pass(const Agenda& a, const PassTime& t) {
  if (a.run.window_shown || ringing(a, t)) return kBusyWait;
  if (a.control_beeped) return kBeepWait;
  if (under_way(a)) return kBackgroundWait;
  return milliseconds_to_next_minute(t.local);
}

// While the agenda sleeps, a request of another start and the Control key of the sound control
// wake it.
class SleepWakers {
 public:
  explicit SleepWakers(const fs::path& program_folder) {
    window_system().watch_file(program_folder / kHandOffFile);
    window_system().watch_desktop_key(vk::control);
  }
  ~SleepWakers() {
    window_system().watch_file({});
    window_system().watch_desktop_key(0);
  }
  SleepWakers(const SleepWakers&) = delete;
  SleepWakers& operator=(const SleepWakers&) = delete;
};

Input next_input(Agenda& a, int timeout_ms) {
  if (a.deferred.empty()) {
    if (timeout_ms <= kBackgroundWait) return NextInput(timeout_ms, true);
    const SleepWakers wakers(a.s.program_folder);
    return NextInput(timeout_ms, true);
  }
  Input in = std::move(a.deferred.front());
  a.deferred.pop_front();
  return in;
}

// One pass of the loop: one event at most, then every step in its order.
Flow pass(Agenda& a) {
  a.s.url_task_icon.apply(kUrlTaskIcon, tray_image(a));
  const PassTime before = pass_time();
  int timeout = wait_before_pass(a, before);
  if (beeps_instead_of_waiting(a, before)) {
    PlayTone(a.s.alarm_sounds, 880, 50, 0, 50);
    timeout = 0;
  }
  Input in = next_input(a, timeout);
  const PassTime t = pass_time();
  bool received = false;
  if (Flow f = forewarning_step(a, t, in); f.kind != Flow::kGoOn) return f;
  minute_step(a, t, received);
  nightly_restart_step(a, t);
  key_watch_step(a, t);
  if (Flow f = acknowledgement_step(a, t, in); f.kind != Flow::kGoOn) return f;
  if (Flow f = hand_off_step(a); f.kind != Flow::kGoOn) return f;
  if (Flow f = tray_menu_step(a, t, in); f.kind != Flow::kGoOn) return f;
  if (Flow f = midnight_step(a, t); f.kind != Flow::kGoOn) return f;
  if (std::optional<Flow> f = management_step(a, t)) return *f;
  start_chime_step(a, t);
  notification_step(a);
  firing_step(a, t);
  if (Flow f = not_received_step(a, t); f.kind != Flow::kGoOn) return f;
  task_step(a, t);
  sound_control_step(a, t);
  notification_area_step(a);
  Flow f = window_event(a, in);
  // Plannings that came from the network may fall due today.
  if (f.kind == Flow::kGoOn && received) f.kind = Flow::kRebuild;
  return f;
}

}  // namespace

PassTime pass_time() {
  const Clock& clock = interface_clock();
  const LocalTime local = clock.now();
  const int today = todaynumber(clock);
  return {local, today, local.hour * 60 + local.minute,
          minute_stamp(today, local.hour, local.minute)};
}

void save_settings(Agenda& a) {
  const int today = todaynumber(interface_clock());
  if (savesettings(a.s.program_folder, a.s.settings, today)) a.s.settings.last_active_day = today;
}

void journal(Agenda& a, int journal_flag, std::string_view category,
             const std::vector<std::string>& lines) {
  int flag = journal_flag;
  if (!JournalReady(flag, a.s.settings, a.s.prompts, a.s.open_management_settings)) return;
  write_journal_entry(journal_folder(a.s.program_folder, a.s.settings), category,
                      interface_clock().now(), lines);
}

bool ringing(const Agenda& a, const PassTime& t) {
  if (a.alarm_state == AlarmState::kDefaultAlarm) return true;
  return a.alarm.kind == DueAlarm::Kind::kPlanning && a.next_alarm >= 0 &&
         a.next_alarm <= t.minutes;
}

DueAlarm& current_alarm(Agenda& a) {
  return a.alarm_state == AlarmState::kDefaultAlarm ? a.default_alarm : a.alarm;
}

void start_chime(Agenda& a, const LocalTime& now) {
  const std::optional<ChimeProfile> profile =
      chime_profile_to_play(chime_folder(a.s.program_folder), a.s.settings.chime_profile);
  if (!profile) return;
  ChimeRequest request;
  request.time = now.hour * 100 + now.minute;
  PlayChime(a.s.chimes.thread, a.s.chimes.players, *profile, request, a.s.chimes.random);
}

void stop_chime(Agenda& a) {
  stop_chime(a.s.chimes.thread);
}

void end_program(Agenda& a) {
  if (a.s.release_lock) a.s.release_lock();
  a.s.settings.realtime_running = 0;
  save_settings(a);
  RemoveTrayIcon(kAgendaIcon);
  stop_chime(a);
  throw ProgramEnd{0};
}

void check_for_update(Agenda& a, bool asked) {
  if (!a.s.check_for_update) return;
  const UpdateOutcome outcome = a.s.check_for_update(asked);
  a.update_status = outcome.status;
  if (outcome.program_to_start) end_program(a);
}

Flow to_calendar(Agenda& a) {
  a.s.settings.realtime_running = 0;
  save_settings(a);
  RemoveTrayIcon(kAgendaIcon);
  stop_chime(a);
  if (a.s.release_lock) a.s.release_lock();
  return {Flow::kReturn, kCalendarEvent};
}

Flow sleep_now(Agenda& a) {
  a.run.window_shown = false;
  ShowDialogWindow(false);
  SleepMode(a.s.program_folder);
  a.tray_shown = false;
  a.run.start_chime_due = true;
  a.run.management_done = false;
  a.alarm_state = AlarmState::kIdle;
  if (a.s.settings.chimes_active != 0) a.chime_pending = true;
  WaitWithEvents(100, 50, false);
  return {Flow::kRebuild, {}};
}

void store_signalled(const Agenda& a, const std::string& file) {
  const fs::path path = planning_folder(a.s.program_folder) / file;
  if (!file_exists(path)) return;
  int readerror = 0;
  Planning planning = loadplanning(path, a.s.program_folder, a.s.settings, readerror);
  planning.alarm_state = 1;
  saveplanning(path, planning, a.s.settings, interface_clock(), false);
}

std::optional<Flow> management_step(Agenda& a, const PassTime& t) {
  Settings& s = a.s.settings;
  if (s.management_hour * 60 + s.management_minute > t.minutes || a.run.management_done ||
      a.run.window_shown) {
    return std::nullopt;
  }
  a.run.management_done = true;
  s.realtime_running = 2;
  stop_chime(a);
  RemoveTrayIcon(kAgendaIcon);
  return Flow{Flow::kReturn, kManagementEvent};
}

std::string RealtimeAgenda(RealtimeServices& services, RealtimeRun& run, std::string command_line) {
  const UsualCaptionsAfter captions;
  Agenda a{services, run};
  // Coming back from the management pass it handed over: the pass is done for today.
  if (a.s.settings.realtime_running == 2) a.run.management_done = true;
  for (;;) {
    if (std::optional<Flow> flow = enter(a, command_line)) return flow->event;
    Flow flow{Flow::kRebuild, {}};
    while (flow.kind != Flow::kEnter) {
      if (flow.kind == Flow::kReturn) return flow.event;
      if (flow.kind == Flow::kRebuild) {
        if (std::optional<std::string> event = restart(a)) return *event;
      }
      flow = pass(a);
    }
    command_line = "/bureau";
  }
}

}  // namespace tavelo
