#include "access/speech.hpp"

#include "access/dialog.hpp"
#include "access/layer_variant.hpp"
#include "planning/chain.hpp"
#include "planning/text.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

// What silences the say-style reader: a blank, or in the dialog library an empty text.
constexpr std::string_view kSilent = kDialogLibrary ? "" : " ";

// Cuts the speak-style reader: cancel, a tap of Shift, then a tab, which it says as nothing.
// The dialog library only cancels.
void cut_speak_reader() {
  speech_service().cancel();
  if constexpr (kDialogLibrary) return;
  SimulateKey(vk::shift, 0);
  speech_service().speak("\t");
}

bool current_window_in_front() {
  const DialogState& d = dialog_state();
  WindowSystem& ws = window_system();
  return d.window == 0 || (ws.program_in_foreground() && ws.foreground_window() == d.window);
}

int speak_now(std::string_view given, std::string_view text, int mode) {
  SpeechState& s = speech_state();
  int result = 0;
  if (s.say_reader_loaded) result = speech_service().say(text, mode == 1) ? 1 : 0;
  if (!s.speak_reader_loaded || result != 0) return result;
  if (mode == 1 || text == " ") cut_speak_reader();
  if (!given.empty() && given != " " && speech_service().speak(given) > 0) return 0;
  return 2;
}

int announce_later(std::string_view text, int mode) {
  SpeechState& s = speech_state();
  DialogState& d = dialog_state();
  d.pending_announcement = text;
  d.quiet_deadline = interface_clock().tick() + static_cast<std::uint32_t>(mode);
  int result = 0;
  if (s.say_reader_loaded) result = speech_service().say(kSilent, true) ? 1 : 0;
  if (s.speak_reader_loaded && result == 0) {
    cut_speak_reader();
    result = 2;
  }
  return result;
}

}  // namespace

void LoadSpeechLibraries() {
  SpeechState& s = speech_state();
  s.readers_looked_for = true;
  s.speak_reader_loaded = speech_service().offers_speak();
  dialog_state().quiet_deadline = interface_clock().tick();
  s.say_reader_loaded = speech_service().offers_say();
}

int Speak(std::string_view text, int mode, int force) {
  const SpeechState& s = speech_state();
  if (!s.say_reader_loaded && !s.speak_reader_loaded) return 0;
  if (mode >= 2) return announce_later(text, mode);
  // The dialog library speaks whatever window is in front, and says an empty text as it is.
  if constexpr (kDialogLibrary) return speak_now(text, text, mode);
  const std::string_view said = text.empty() ? std::string_view(" ") : text;
  if (force != 1 && !current_window_in_front()) return 0;
  return speak_now(text, said, mode);
}

void StartQuietPeriod(int ms) {
  dialog_state().quiet_deadline = interface_clock().tick() + static_cast<std::uint32_t>(ms);
}

void SilenceScreenReaders() {
  const SpeechState& s = speech_state();
  bool said = false;
  if (s.say_reader_loaded) said = speech_service().say(kSilent, true);
  if (s.speak_reader_loaded && !said) speech_service().cancel();
}

void RunScreenReaderScript(std::string_view name) {
  if (speech_state().say_reader_loaded) speech_service().run_script(name);
}

int TestScreenReader(int rounds, bool exit_when_none) {
  SpeechState& s = speech_state();
  if (rounds == 0) rounds = 1;
  if (!s.say_reader_loaded && !s.speak_reader_loaded) return 0;
  for (int round = 0; round < rounds; ++round) {
    if (s.say_reader_loaded && speech_service().say(" ", false)) {
      s.say_reader_running = true;
      return 1;
    }
    if (s.speak_reader_loaded && speech_service().reader_running()) {
      s.speak_reader_running = true;
      return 2;
    }
    WaitWithEvents(1000, 30, false);
  }
  if (exit_when_none) throw ProgramEnd{0};
  return 0;
}

bool SapiLoad() {
  SpeechState& s = speech_state();
  if (!s.sapi_loaded) s.sapi_loaded = speech_service().voice_open();
  return s.sapi_loaded;
}

int SapiInit(int started_routine, int ended_routine, int reserved) {
  SpeechState& s = speech_state();
  s.sapi_init[0] = started_routine;
  s.sapi_init[1] = ended_routine;
  s.sapi_init[2] = reserved;
  if (!SapiLoad()) return 0;
  Speech& voice = speech_service();
  voice.voice_init(false);
  voice.voice_speak(" ");
  voice.voice_stop();
  voice.voice_init(started_routine != 0 || ended_routine != 0);
  return 1;
}

void SapiSpeak(std::string_view text) {
  if (speech_state().sapi_loaded) speech_service().voice_speak(text);
}

void SapiStop() {
  if (speech_state().sapi_loaded) speech_service().voice_stop();
}

void SapiEnd() {
  SpeechState& s = speech_state();
  if (!s.sapi_loaded) return;
  speech_service().voice_close();
  s.sapi_loaded = false;
}

int SapiEngineCount() {
  return speech_state().sapi_loaded ? speech_service().voice_count() : 0;
}

std::string SapiEngineName(int index) {
  return speech_state().sapi_loaded ? speech_service().voice_name(index) : std::string();
}

void SapiSelect(int index) {
  if (speech_state().sapi_loaded) speech_service().voice_select(index);
}

void SapiSetVolume(int volume) {
  if (speech_state().sapi_loaded) speech_service().voice_set_volume(volume);
}

void SapiSetSpeed(int speed) {
  if (speech_state().sapi_loaded) speech_service().voice_set_rate(speed);
}

void SapiSetPitch(int pitch) {
  if (speech_state().sapi_loaded) speech_service().voice_set_pitch(pitch);
}

int SapiGetVolume() {
  return speech_state().sapi_loaded ? speech_service().voice_volume() : 0;
}

int SapiGetSpeed() {
  return speech_state().sapi_loaded ? speech_service().voice_rate() : 0;
}

int SapiGetPitch() {
  return speech_state().sapi_loaded ? speech_service().voice_pitch() : 0;
}

void ApplySapiProfile(std::string_view profile) {
  if (chaincount(profile, "_") != 4) return;
  const auto field = [&](int n) {
    return static_cast<int>(leading_integer(chain(profile, "_", n)));
  };
  const int voice = field(1);
  if (voice == 0) {
    SapiEnd();
    return;
  }
  const SpeechState& s = speech_state();
  if (SapiEngineName(0).empty()) SapiInit(s.sapi_init[0], s.sapi_init[1], s.sapi_init[2]);
  SapiSelect(voice - 1);
  SapiSetVolume(field(2));
  SapiSetSpeed(field(3));
  SapiSetPitch(field(4));
}

}  // namespace tavelo
