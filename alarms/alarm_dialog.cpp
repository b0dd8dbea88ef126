#include "alarms/alarm_dialog.hpp"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "access/dialog.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "alarms/alarm_profile.hpp"
#include "alarms/alarm_settings.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kList = 1, kStart = 2, kEnd = 3, kFrequency = 11, kLength = 12, kPause = 13,
              kRepetitions = 14, kToneCycles = 15, kWaveRepetitions = 16, kSoundFile = 17,
              kBrowse = 21, kTest = 22, kFactory = 23, kHelp = 24, kSilent = 25, kSave = 26,
              kDelete = 27, kImport = 28, kNightOn = 31;
// The option of kind k is control k + 40.
constexpr int kKindOptions = 40;

// Which modes and kinds show a control, one bit each.
constexpr int kAlarmModes = 1 << kDefaultAlarmMode | 1 << kPlanningAlarmMode;
constexpr int kNightOnly = 1 << kNightMode;
constexpr int kAllModes = kAlarmModes | kNightOnly;
constexpr int kTones = 1 << 1, kFile = 1 << 2, kMixed = 1 << 3;
constexpr int kAllKinds = kTones | kFile | kMixed;

struct AlarmControl {
  ControlSpec control;
  int modes = kAllModes;
  int kinds = kAllKinds;
};

// In the order of the keys. The fields of the kind come after the options, so that a change of
// kind builds them again from there to the end.
constexpr AlarmControl kAlarmControls[] = {
    {{ControlKind::check_box, kNightOn, "activer le mode nuit", 2, 2, 30}, kNightOnly},
    {{ControlKind::label, 60, "heure de début:", 4, 2}, kNightOnly},
    {{ControlKind::combo_box, kStart, "", 4, 22, 12}, kNightOnly},
    {{ControlKind::label, 61, "heure de fin:", 6, 2}, kNightOnly},
    {{ControlKind::combo_box, kEnd, "", 6, 22, 12}, kNightOnly},
    {{ControlKind::label, 62, "alarmes définies:", 8, 2}},
    {{ControlKind::combo_box, kList, "", 8, 22, 40, 2, kEditable}},
    {{ControlKind::button, kSave, "&enregistrer dans la liste", 10, 2, 27}, kAlarmModes},
    {{ControlKind::button, kDelete, "s&upprimer de la liste", 10, 30, 24}, kAlarmModes},
    {{ControlKind::button, kImport, "i&mporter", 10, 56, 14}, kAlarmModes},
    {{ControlKind::option, kKindOptions + 1, "alarme avec haut-parleur pc", 12, 2, 36, 2,
      kGroupStart},
     kAlarmModes},
    {{ControlKind::option, kKindOptions + 2, "alarme avec fichier son", 14, 2, 36}, kAlarmModes},
    {{ControlKind::option, kKindOptions + 3, "alarme mixte", 16, 2, 36}, kAlarmModes},
    {{ControlKind::label, 63, "fichier son:", 18, 2}, kAlarmModes, kFile | kMixed},
    {{ControlKind::text_field, kSoundFile, "", 18, 22, 38}, kAlarmModes, kFile | kMixed},
    {{ControlKind::button, kBrowse, "parcourrir...", 18, 62, 16}, kAlarmModes, kFile | kMixed},
    {{ControlKind::label, 64, "fréquence: (hz)", 20, 2}, kAlarmModes, kTones | kMixed},
    {{ControlKind::text_field, kFrequency, "", 20, 22, 8}, kAlarmModes, kTones | kMixed},
    {{ControlKind::label, 65, "longueur: (ms)", 20, 34}, kAlarmModes, kTones | kMixed},
    {{ControlKind::text_field, kLength, "", 20, 52, 8}, kAlarmModes, kTones | kMixed},
    {{ControlKind::label, 66, "pause: (ms)", 22, 2}, kAlarmModes},
    {{ControlKind::text_field, kPause, "", 22, 22, 8}, kAlarmModes},
    {{ControlKind::label, 67, "répétition:", 22, 34}, kAlarmModes},
    {{ControlKind::text_field, kRepetitions, "", 22, 52, 8}, kAlarmModes},
    {{ControlKind::label, 68, "nombre de sicle de son pc entre les sons wave", 24, 2},
     kAlarmModes,
     kMixed},
    {{ControlKind::text_field, kToneCycles, "", 24, 52, 8}, kAlarmModes, kMixed},
    {{ControlKind::label, 69, "nombre de répétition du son wave", 26, 2}, kAlarmModes, kMixed},
    {{ControlKind::text_field, kWaveRepetitions, "", 26, 52, 8}, kAlarmModes, kMixed},
    {{ControlKind::button, kSilent, "&pas de son", 28, 2, 14}, kAlarmModes},
    {{ControlKind::button, kTest, "&test", 28, 18, 10}},
    {{ControlKind::button, kFactory, "&défaut", 28, 30, 12}, kAlarmModes},
    {{ControlKind::button, kHelp, "aide-f1", 28, 44, 10}},
};

constexpr std::size_t kFirstOfKind = 13;  // "fichier son:", the first control of the kind's fields
static_assert(kAlarmControls[kFirstOfKind].kinds != kAllKinds &&
              kAlarmControls[kFirstOfKind - 1].kinds == kAllKinds);

constexpr std::string_view kTitles[] = {"alarme par défaut", "alarme personnalisée",
                                        "paramètre du mode nuit"};

std::string btn(int number) {
  return "btn" + std::to_string(number);
}

int shown_kind(const AlarmProfile& alarm) {
  return std::clamp(alarm.kind, 1, 3);
}

struct AlarmWindow {
  int mode;
  AlarmProfile& working;
  const AlarmProfile opened;
  Settings& settings;
  const std::filesystem::path& folder;
  SoundPlayers& players;
  std::vector<std::string> items;  // of the list of named alarms
  WindowPrompts prompts;
};

// The controls of the table from `first` on that the mode and the kind show.
void add_controls(std::size_t first, int mode, int kind) {
  std::vector<ControlSpec> shown;
  for (std::size_t i = first; i < std::size(kAlarmControls); ++i) {
    const AlarmControl& c = kAlarmControls[i];
    if ((c.modes & (1 << mode)) != 0 && (c.kinds & (1 << kind)) != 0) shown.push_back(c.control);
  }
  AddControls(shown);
}

// The text fields and what of the form each shows; a field the kind hides is not there.
constexpr std::pair<int, std::string AlarmForm::*> kAlarmFields[] = {
    {kSoundFile, &AlarmForm::sound_file},
    {kFrequency, &AlarmForm::frequency},
    {kLength, &AlarmForm::length},
    {kPause, &AlarmForm::pause},
    {kRepetitions, &AlarmForm::repetitions},
    {kToneCycles, &AlarmForm::tone_cycles_between_waves},
    {kWaveRepetitions, &AlarmForm::wave_repetitions},
};

void show_alarm(const AlarmProfile& alarm) {
  SetControlState(kKindOptions + shown_kind(alarm), 1);
  const AlarmForm form = alarm_form(alarm);
  for (const auto& [number, member] : kAlarmFields) {
    if (ControlExists(number)) SetControlText(number, form.*member);
  }
}

// The fields of the working alarm's kind, built again; the focus stays where it was.
void rebuild_fields(const AlarmWindow& w) {
  const int focus = FocusedControl();
  for (std::size_t i = kFirstOfKind; i < std::size(kAlarmControls); ++i) {
    RemoveControl(kAlarmControls[i].control.number);
  }
  RemoveControl(kCancelButton);
  add_controls(kFirstOfKind, w.mode, shown_kind(w.working));
  AddCancelButton(0, 0);
  show_alarm(w.working);
  if (ControlExists(focus)) FocusControl(focus);
}

// The alarm as the window shows it: the kind chosen and the fields of that kind; what the kind
// does not show keeps the working alarm's values.
AlarmProfile typed_alarm(const AlarmWindow& w) {
  AlarmForm form = alarm_form(w.working);
  for (int kind = 1; kind <= 3; ++kind) {
    if (ControlState(kKindOptions + kind) != 0) form.kind = kind;
  }
  for (const auto& [number, member] : kAlarmFields) {
    if (ControlExists(number)) form.*member = ControlText(number);
  }
  return alarm_of_form(form);
}

// The list of named alarms, the one named `selected` chosen (else the first item).
void fill_list(AlarmWindow& w, std::string_view selected) {
  w.items = {w.mode == kNightMode ? kNoAlarmItem : kCurrentAlarmItem};
  const std::vector<std::string> names = list_named_alarms(w.folder);
  w.items.insert(w.items.end(), names.begin(), names.end());
  const auto found = std::find(w.items.begin() + 1, w.items.end(), selected);
  FillItems(kList, w.items, found == w.items.end() ? 0 : static_cast<int>(found - w.items.begin()));
}

void choose_in_list(AlarmWindow& w) {
  const int item = ControlState(kList);
  if (item < 0 || item >= static_cast<int>(w.items.size())) return;
  w.working = alarm_of_list_item(w.folder, item, w.items[static_cast<std::size_t>(item)], w.working,
                                 w.opened, w.mode == kNightMode);
  if (w.mode != kNightMode) rebuild_fields(w);
}

void change_kind(AlarmWindow& w) {
  const AlarmProfile typed = typed_alarm(w);
  if (typed.kind == shown_kind(w.working)) return;
  w.working = typed;
  rebuild_fields(w);
}

void replace_alarm(AlarmWindow& w, const AlarmProfile& alarm) {
  w.working = alarm;
  rebuild_fields(w);
}

void save_in_list(AlarmWindow& w) {
  const std::string name = ControlText(kList);
  const AlarmProfile typed = typed_alarm(w);
  if (!save_named_alarm(w.folder, name, w.items.front(), typed, w.prompts)) return;
  w.working = typed;
  fill_list(w, name);
  w.prompts.notice(kAlarmSaved);
}

void delete_from_list(AlarmWindow& w) {
  if (!delete_named_alarm(w.folder, ControlText(kList), w.items.front(), w.prompts)) return;
  fill_list(w, "");
  w.prompts.notice(kAlarmDeleted);
}

void import_waves(AlarmWindow& w) {
  const std::optional<std::string> folder =
      w.prompts.folder("dossier des fichiers son à importer?");
  if (!folder || import_wave_folder(w.folder, path_of(*folder), w.working, w.prompts) == 0) return;
  fill_list(w, ControlText(kList));
  w.prompts.notice(kAlarmsImported);
}

void browse_sound_file(AlarmWindow& w) {
  const std::optional<std::string> chosen =
      w.prompts.open_file("fichier son", "*.wav;*.mp3;*.ogg", ControlText(kSoundFile));
  if (chosen) SetControlText(kSoundFile, *chosen);
}

bool chooses_a_kind(const std::string& event) {
  for (int kind = 1; kind <= 3; ++kind) {
    if (event == "rd" + std::to_string(kKindOptions + kind)) return true;
  }
  return false;
}

bool stops_test(const Input& input) {
  const std::string& e = input.event;
  return e == "btnok" || e == btn(kTest) || e == "btncancel" || e == "winclose" ||
         e == "cmb" + std::to_string(kList) || input.key.starts_with("escape");
}

void set_test_caption(std::string_view caption) {
  SetControlText(kTest, caption);
  AddMnemonic(kTest);
}

// "&test": the alarm rung as it will ring, until it ends or "&stop" stops it. OK, Cancel,
// closing the window and a choice in the list stop it too, and are given back to the dialog.
std::optional<Input> test_alarm(AlarmWindow& w) {
  WaitWithEvents(100, 30, false);
  set_test_caption("&stop");
  if (w.mode != kNightMode) w.working = typed_alarm(w);
  const AlarmProfile tested = alarm_to_test(w.working);
  std::optional<Input> stopped;
  if (const std::optional<std::string> message = unplayable_sound_message(w.folder, tested)) {
    w.prompts.notice(*message);
  } else {
    const auto wait = [&stopped](std::chrono::milliseconds pause) {
      if (!stopped) stopped = WaitForInput(pause, stops_test);
    };
    RingAlarm(tested, w.settings.pc_pulse_output,
              alarm_player(w.players, wait, [&stopped] { return stopped.has_value(); }));
  }
  set_test_caption("&test");
  WaitWithEvents(500, 30, false);
  if (stopped && stopped->event == btn(kTest)) stopped.reset();
  return stopped;
}

void open_alarm_window(AlarmWindow& w) {
  OpenDialog("d", 0, 0, 30, 80, kTitles[w.mode]);
  add_controls(0, w.mode, shown_kind(w.working));
  AddCancelButton(0, 0);
  if (w.mode == kNightMode) {
    const NightForm night = night_form(w.settings);
    SetControlState(kNightOn, night.active ? 1 : 0);
    const std::vector<std::string> times = day_times();
    FillItems(kStart, times, night.start_time);
    FillItems(kEnd, times, night.end_time);
    SetComboPageStep(kStart, 60);
    SetComboPageStep(kEnd, 60);
    fill_list(w, night.alarm);
    choose_in_list(w);
    FocusControl(kNightOn);
    return;
  }
  fill_list(w, "");
  show_alarm(w.working);
  FocusControl(kList);
}

// OK: the alarm, or the night mode, kept; the settings saved but for a planning's alarm.
void confirm(AlarmWindow& w) {
  if (w.mode == kNightMode) {
    const int item = ControlState(kList);
    store_night_form({ControlState(kNightOn) != 0, ControlState(kStart), ControlState(kEnd),
                      item < 1 ? "" : w.items[static_cast<std::size_t>(item)]},
                     w.settings);
    w.working = w.opened;
  } else {
    w.working = typed_alarm(w);
  }
  if (w.mode == kPlanningAlarmMode) return;
  save_settings_telling(w.folder, w.settings, todaynumber(interface_clock()), w.prompts);
}

}  // namespace

void OpenAlarmDialog(int mode, AlarmProfile& working, Settings& settings,
                     const std::filesystem::path& program_folder, SoundPlayers& players) {
  AlarmWindow w{std::clamp(mode, kDefaultAlarmMode, kNightMode),
                working,
                working,
                settings,
                program_folder,
                players,
                {},
                {}};
  open_alarm_window(w);
  for (std::optional<Input> pending;;) {
    const Input input = pending ? *std::exchange(pending, std::nullopt) : NextInput(-1);
    const std::string& e = input.event;
    if (e == "btncancel" || e == "winclose") {
      w.working = w.opened;
      return;
    }
    if (e == "btnok") {
      confirm(w);
      return;
    }
    if (e == btn(kHelp) || input.key == "f1") {
      shell_service().show_help(w.mode == kNightMode ? "nuit.htm" : "alarme.htm");
    } else if (e == btn(kTest)) {
      pending = test_alarm(w);
    } else if (e == "cmb" + std::to_string(kList)) {
      choose_in_list(w);
    } else if (chooses_a_kind(e)) {
      change_kind(w);
    } else if (e == btn(kSilent)) {
      replace_alarm(w, silent_alarm());
    } else if (e == btn(kFactory)) {
      replace_alarm(w, factory_alarm(w.working));
    } else if (e == btn(kSave)) {
      save_in_list(w);
    } else if (e == btn(kDelete)) {
      delete_from_list(w);
    } else if (e == btn(kImport)) {
      import_waves(w);
    } else if (e == btn(kBrowse)) {
      browse_sound_file(w);
    }
  }
}

void PlanningAlarmDialog(Planning& planning, Settings& settings,
                         const std::filesystem::path& program_folder, SoundPlayers& players) {
  OpenAlarmDialog(kPlanningAlarmMode, planning.alarm, settings, program_folder, players);
}

}  // namespace tavelo
