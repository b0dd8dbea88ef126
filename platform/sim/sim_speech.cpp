#include "platform/sim/sim_speech.hpp"

namespace tavelo {

namespace {

// Readers are cut by speaking blanks; a blank is never heard.
bool is_blank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

SimSpeech::SimSpeech(Transcript& transcript, SimSpeechSetup setup)
    : transcript_(transcript), setup_(std::move(setup)) {}

bool SimSpeech::say(std::string_view text, bool interrupt) {
  if (!setup_.say_style || !setup_.reader_running) return false;
  if (interrupt) {
    ++silencings;
    transcript_.write("silence");
  }
  if (!is_blank(text)) transcript_.write("speak " + in_quotes(text));
  return true;
}

void SimSpeech::run_script(std::string_view name) {
  scripts_run.emplace_back(name);
}

int SimSpeech::speak(std::string_view text) {
  if (!setup_.speak_style || !setup_.reader_running) return 2;
  if (!is_blank(text)) transcript_.write("speak " + in_quotes(text));
  return 0;
}

void SimSpeech::cancel() {
  if (!setup_.speak_style || !setup_.reader_running) return;
  ++silencings;
  transcript_.write("silence");
}

void SimSpeech::voice_init(bool report_speaking) {
  ready_ = setup_.synthesiser;
  report_speaking_ = report_speaking;
}

void SimSpeech::voice_close() {
  ready_ = false;
  speaking_ = false;
}

int SimSpeech::voice_count() {
  return ready_ ? static_cast<int>(setup_.voices.size()) : 0;
}

std::string SimSpeech::voice_name(int index) {
  if (!ready_ || index < 0 || index >= voice_count()) return {};
  return setup_.voices[static_cast<std::size_t>(index)];
}

void SimSpeech::voice_select(int index) {
  if (index >= 0 && index < voice_count()) selected_ = index;
}

void SimSpeech::voice_speak(std::string_view text) {
  if (!ready_) return;
  if (!is_blank(text)) transcript_.write("voice " + in_quotes(text));
  speaking_ = report_speaking_;
}

void SimSpeech::voice_stop() {
  speaking_ = false;
}

}  // namespace tavelo
