#include "access/notification_dialog.hpp"

#include <optional>
#include <utility>
#include <vector>

#include "access/dialog.hpp"
#include "access/notification_settings.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "planning/calendar.hpp"
#include "planning/settings.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kOff = 1, kVoiceSetup = 4, kInitial = 5, kText = 7, kTest = 8, kInterval = 10,
              kRepetitions = 12, kHelp = 13;
// The planning editor keeps its own window in slot 1.
constexpr int kNotificationSlot = 2;

std::string btn(int number) {
  return "btn" + std::to_string(number);
}

std::string notification_title(std::string_view name, bool for_planning) {
  std::string title = "notification verbale";
  if (for_planning) title += " personalisée";
  if (!name.empty()) title += ", " + std::string(name);
  return title;
}

// The reader's option names the reader that answers a blank said without interruption.
std::string reader_caption() {
  const int answered = Speak(" ", 0, 1);
  return reader_option_caption(answered > 0 ? speech_service().reader_name(answered) : "");
}

constexpr ControlSpec kInitialButton[] = {
    {ControlKind::button, kInitial, "réglage initial", 22, 45, 18}};
constexpr ControlSpec kFieldControls[] = {
    {ControlKind::label, 6, "texte initial:", 25, 1},
    {ControlKind::text_field, kText, "", 25, 16, 60},
    {ControlKind::label, 11, "répétition:", 27, 5},
    {ControlKind::text_field, kRepetitions, "", 27, 17, 4, 2, kDigitsOnly},
    {ControlKind::label, 9, "intervale en seconde:", 27, 35},
    {ControlKind::text_field, kInterval, "", 27, 57, 4, 2, kDigitsOnly},
    {ControlKind::button, kHelp, "aide-f1", 30, 41, 10},
};

// The controls in the order of the keys; "réglage initial" for a planning only.
void add_notification_controls(std::string_view reader, bool for_planning) {
  const ControlSpec kinds_and_buttons[] = {
      {ControlKind::option, kOff, "notification désactivée", 15, 5, 40, 2, kGroupStart},
      {ControlKind::option, kOff + 1, reader, 17, 5, 40},
      {ControlKind::option, kOff + 2, "notification par SAPI", 19, 5, 40},
      {ControlKind::button, kVoiceSetup, "configuration sapi", 22, 5, 18},
      {ControlKind::button, kTest, "&test", 22, 25, 18},
  };
  AddControls(kinds_and_buttons);
  if (for_planning) AddControls(kInitialButton);
  AddControls(kFieldControls);
}

void show_form(const NotificationForm& form) {
  SetControlText(kText, form.text);
  SetControlText(kRepetitions, form.repetitions);
  SetControlText(kInterval, form.interval);
  SetControlState(kOff + form.kind, 1);
}

// Where the keys start: the chosen kind when a screen reader runs, else the text, the kind being
// left as it is.
void focus_start(const NotificationForm& form, bool reader_running) {
  FocusControl(reader_running ? kOff + form.kind : kText);
}

NotificationForm typed_form(NotificationForm form, bool reader_running) {
  form.text = ControlText(kText);
  form.repetitions = ControlText(kRepetitions);
  form.interval = ControlText(kInterval);
  if (reader_running) {
    for (int kind = 0; kind <= 2; ++kind) {
      if (ControlState(kOff + kind) != 0) form.kind = kind;
    }
  }
  return form;
}

bool screen_reader_running() {
  const SpeechState& s = speech_state();
  return s.say_reader_running || s.speak_reader_running;
}

void set_test_caption(std::string_view caption) {
  SetControlText(kTest, caption);
  AddMnemonic(kTest);
}

// "&test": the text said as the notification will say it. "s&top" ends it; OK, Cancel or
// closing the window end it too, and are given back to the dialog.
std::optional<Input> test_notification_here(NotificationForm& form, bool reader_running) {
  set_test_caption("s&top");
  FocusControl(kTest);
  form = typed_form(form, reader_running);
  const SpokenNotification spoken = notification_of_form(form);
  ApplySapiProfile(spoken.voice);
  std::optional<Input> ended;
  const auto ends_test = [](const Input& input) {
    return input.event == btn(kTest) || input.event == "btnok" || input.event == "btncancel" ||
           input.event == "winclose";
  };
  test_notification(spoken, reader_running,
                    {[](const std::string& text) {
                       if (!speech_state().sapi_loaded) return false;
                       SapiSpeak(text);
                       return true;
                     },
                     [](const std::string& text) { Speak(text, 1, 1); }, [] { SapiStop(); },
                     [&](std::chrono::milliseconds pause) {
                       ended = WaitForInput(pause, ends_test);
                       return !ended;
                     }});
  set_test_caption("&test");
  if (ended && ended->event == btn(kTest)) ended.reset();
  return ended;
}

void configure_voice(NotificationForm& form, std::string_view title, bool reader_running) {
  SaveDialog(kNotificationSlot);
  form.voice = SapiConfigDialog(form.voice, title);
  RestoreDialog(kNotificationSlot);
  WaitWithEvents(200, 30, false);
  FocusControl(reader_running ? kOff + typed_form(form, true).kind : kText);
}

// The window of both: true on OK, with `values` read from it.
bool notification_window(SpokenNotification& values, const SpokenNotification* general,
                         std::string_view name) {
  NotificationForm form = notification_form(values);
  const bool reader_running = screen_reader_running();
  const std::string reader = reader_caption();
  const std::string title = notification_title(name, general != nullptr);
  OpenDialog("d", 1, 1, 32, 78, title);
  add_notification_controls(reader, general != nullptr);
  AddCancelButton(0, 0);
  show_form(form);
  focus_start(form, reader_running);
  bool confirmed = false;
  for (std::optional<Input> pending;;) {
    const Input input = pending ? *std::exchange(pending, std::nullopt) : NextInput(-1, true);
    const std::string& e = input.event;
    if (e == "btnok" || e == "btncancel" || e == "winclose") {
      confirmed = e == "btnok";
      break;
    }
    if (e == btn(kHelp) || input.key == "f1") {
      shell_service().show_help("notification.htm");
    } else if (e == btn(kTest)) {
      pending = test_notification_here(form, reader_running);
    } else if (e == btn(kInitial) && general != nullptr) {
      form = notification_form(*general);
      show_form(form);
    } else if (e == btn(kVoiceSetup)) {
      configure_voice(form, title, reader_running);
    }
  }
  SapiStop();
  if (confirmed) values = notification_of_form(typed_form(form, reader_running));
  return confirmed;
}

// The voice is ready again for the notifications, which report when it speaks.
void ready_the_voice_again() {
  SapiInit(1, 1, 0);
  WaitWithEvents(500, 30, false);
}

constexpr int kVoiceList = 3, kVolume = 5, kSpeed = 7, kPitch = 9;
constexpr int kStep = 10;  // the speed and pitch lists run from -10

constexpr ControlSpec kVoiceControls[] = {
    {ControlKind::label, 2, "synthèse vocale", 5, 5},
    {ControlKind::list_box, kVoiceList, "", 8, 5, 30, 10},
    {ControlKind::label, 4, "volume", 10, 40},
    {ControlKind::combo_box, kVolume, "", 10, 47, 10},
    {ControlKind::label, 6, "vitesse", 13, 40},
    {ControlKind::combo_box, kSpeed, "", 13, 48, 10},
    {ControlKind::label, 8, "hauteur", 16, 40},
    {ControlKind::combo_box, kPitch, "", 16, 48, 10},
};

VoiceForm chosen_voice() {
  return {ControlState(kVoiceList), ControlState(kVolume), ControlState(kSpeed),
          ControlState(kPitch)};
}

// The voice of the list, with the volume, speed and pitch of the lists, as the engine's.
void apply_chosen_voice() {
  const VoiceForm form = chosen_voice();
  if (form.voice > 0) SapiSelect(form.voice - 1);
  SapiSetVolume(form.volume);
  SapiSetSpeed(form.speed - kStep);
  SapiSetPitch(form.pitch - kStep);
}

void hear_voice(const std::vector<std::string>& items) {
  SapiStop();
  const int voice = ControlState(kVoiceList);
  if (voice <= 0 || voice >= static_cast<int>(items.size())) {
    Speak(kSynthesisOff, 100);
    return;
  }
  StartQuietPeriod(1000);
  apply_chosen_voice();
  SapiSpeak(items[static_cast<std::size_t>(voice)]);
}

void hear_volume() {
  SapiStop();
  if (ControlState(kVoiceList) <= 0) return;
  StartQuietPeriod(200);
  SapiSetVolume(ControlState(kVolume));
  SapiSpeak(std::to_string(ControlState(kVolume)));
}

void hear_step(int list) {
  SapiStop();
  WaitSilenced(100, 30, false);
  if (ControlState(kVoiceList) <= 0) return;
  const int value = ControlState(list) - kStep;
  StartQuietPeriod(list == kSpeed ? 200 : 100);
  if (list == kSpeed) {
    SapiSetSpeed(value);
  } else {
    SapiSetPitch(value);
  }
  SapiSpeak(std::to_string(value));
}

// The voices on offer, or nothing when there are none (the user is told).
std::optional<std::vector<std::string>> offered_voices() {
  WindowPrompts prompts;
  if (!SapiLoad()) {
    prompts.notice("Attention!\rle service speech-dispatcher est manquant.");
    return std::nullopt;
  }
  if (SapiEngineName(0).empty()) SapiInit(0, 0, 0);
  const int count = SapiEngineCount();
  if (count <= 0) {
    prompts.notice("Attention!\rAucune voix sapi n'a été identifiée.");
    return std::nullopt;
  }
  std::vector<std::string> names;
  for (int voice = 0; voice < count; ++voice) names.push_back(SapiEngineName(voice));
  return voice_list_items(names);
}

void open_voice_window(std::string_view heading, const std::vector<std::string>& items,
                       const VoiceForm& form) {
  OpenDialog("d", 1, 1, 32, 78, "configuration sapi");
  if (!heading.empty()) {
    AddLabel(1, heading, 2, 5);
    Speak(heading, 0);
  }
  AddControls(kVoiceControls);
  AddCancelButton(0, 0);
  FillItems(kVoiceList, items, form.voice);
  FillItems(kVolume, volume_items(), form.volume);
  FillItems(kSpeed, step_items(), form.speed);
  FillItems(kPitch, step_items(), form.pitch);
  apply_chosen_voice();
  FocusControl(kVoiceList);
  WaitWithEvents(100, 30, false);
}

}  // namespace

void NotificationDialog(Settings& settings, const std::filesystem::path& program_folder) {
  if (notification_window(settings.default_spoken, nullptr, "")) {
    WindowPrompts prompts;
    save_settings_telling(program_folder, settings, todaynumber(interface_clock()), prompts);
  }
  ready_the_voice_again();
}

void PlanningNotificationDialog(Planning& planning, const Settings& settings) {
  notification_window(planning.spoken, &settings.default_spoken, planning.subject);
  ready_the_voice_again();
}

std::string SapiConfigDialog(std::string_view profile, std::string_view heading) {
  const std::optional<std::vector<std::string>> items = offered_voices();
  if (!items) return std::string(profile);
  const VoiceProfile given = parse_voice_profile(profile).value_or(
      VoiceProfile{0, SapiGetVolume(), SapiGetSpeed(), SapiGetPitch()});
  open_voice_window(heading, *items, voice_form(given, static_cast<int>(items->size())));
  for (;;) {
    const Input input = NextInput(30);
    const std::string& e = input.event;
    if (e == "btnok" || e == "btncancel" || e == "winclose") {
      SapiStop();
      return e == "btnok" ? voice_profile_of_form(chosen_voice()) : std::string(profile);
    }
    if (e == "lst" + std::to_string(kVoiceList)) {
      hear_voice(*items);
    } else if (e == "cmb" + std::to_string(kVolume)) {
      hear_volume();
    } else if (e == "cmb" + std::to_string(kSpeed) || e == "cmb" + std::to_string(kPitch)) {
      hear_step(e == "cmb" + std::to_string(kSpeed) ? kSpeed : kPitch);
    } else if (input.key == "control") {
      SapiStop();
    }
  }
}

}  // namespace tavelo
