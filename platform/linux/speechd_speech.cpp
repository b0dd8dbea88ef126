#include "platform/linux/speechd_speech.hpp"

#include <libspeechd.h>

#include <algorithm>
#include <atomic>

namespace tavelo {

namespace {

// speech-dispatcher calls back from its own thread without a user pointer; the process has one
// voice channel, so one flag records whether it speaks.
std::atomic<bool> voice_is_speaking{false};

void on_voice_begin(size_t, size_t, SPDNotificationType) {
  voice_is_speaking = true;
}

void on_voice_end(size_t, size_t, SPDNotificationType) {
  voice_is_speaking = false;
}

bool is_blank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

// Opens a connection to the running daemon only: autospawning would start the system daemon,
// whose default module blocks on a machine without a sound card.
SPDConnection* open_connection(const char* connection_name) {
  char* error = nullptr;
  SPDConnectionAddress* address = spd_get_default_address(&error);
  free(error);
  if (address == nullptr) return nullptr;
  error = nullptr;
  SPDConnection* connection =
      spd_open2("tavelo", connection_name, nullptr, SPD_MODE_THREADED, address, 0, &error);
  free(error);
  SPDConnectionAddress__free(address);
  if (connection != nullptr) spd_set_language(connection, "fr");
  return connection;
}


// The program's scales (volume 0..100, rate and pitch -10..10) onto speech-dispatcher's -100..100.
int scaled_volume(int volume) {
  return std::clamp(volume, 0, 100) * 2 - 100;
}

int scaled_step(int value) {
  return std::clamp(value, -10, 10) * 10;
}

}  // namespace

struct SpeechdSpeech::Connection {
  SPDConnection* spd;
  ~Connection() { spd_close(spd); }
};

namespace {

std::unique_ptr<SpeechdSpeech::Connection> connect(const char* connection_name) {
  SPDConnection* spd = open_connection(connection_name);
  if (spd == nullptr) return nullptr;
  return std::make_unique<SpeechdSpeech::Connection>(spd);
}

}  // namespace

SpeechdSpeech::SpeechdSpeech() : reader_(connect("lecteur")) {}

SpeechdSpeech::~SpeechdSpeech() = default;

bool SpeechdSpeech::say(std::string_view text, bool interrupt) {
  if (reader_ == nullptr) return false;
  if (interrupt) spd_cancel(reader_->spd);
  if (is_blank(text)) return true;
  return spd_say(reader_->spd, SPD_TEXT, std::string(text).c_str()) >= 0;
}

int SpeechdSpeech::speak(std::string_view text) {
  if (reader_ == nullptr) return 2;
  if (is_blank(text)) return 0;
  return spd_say(reader_->spd, SPD_TEXT, std::string(text).c_str()) >= 0 ? 0 : 2;
}

void SpeechdSpeech::cancel() {
  if (reader_ != nullptr) spd_cancel(reader_->spd);
}

bool SpeechdSpeech::voice_open() {
  if (voice_ == nullptr) voice_ = connect("voix");
  return voice_ != nullptr;
}

void SpeechdSpeech::voice_init(bool report_speaking) {
  if (!voice_open()) return;
  voice_is_speaking = false;
  voice_->spd->callback_begin = report_speaking ? on_voice_begin : nullptr;
  voice_->spd->callback_end = report_speaking ? on_voice_end : nullptr;
  voice_->spd->callback_cancel = report_speaking ? on_voice_end : nullptr;
  const SPDNotification events = static_cast<SPDNotification>(SPD_BEGIN | SPD_END | SPD_CANCEL);
  if (report_speaking) {
    spd_set_notification_on(voice_->spd, events);
  } else {
    spd_set_notification_off(voice_->spd, events);
  }
  voices_.clear();
  if (SPDVoice** list = spd_list_synthesis_voices(voice_->spd)) {
    for (SPDVoice** v = list; *v != nullptr; ++v) voices_.emplace_back((*v)->name);
    free_spd_voices(list);
  }
  ready_ = true;
}

void SpeechdSpeech::voice_close() {
  voice_.reset();
  ready_ = false;
  voice_is_speaking = false;
}

int SpeechdSpeech::voice_count() {
  return ready_ ? static_cast<int>(voices_.size()) : 0;
}

std::string SpeechdSpeech::voice_name(int index) {
  if (index < 0 || index >= voice_count()) return {};
  return voices_[static_cast<std::size_t>(index)];
}

void SpeechdSpeech::voice_select(int index) {
  if (index >= 0 && index < voice_count()) {
    spd_set_synthesis_voice(voice_->spd, voices_[static_cast<std::size_t>(index)].c_str());
  }
}

void SpeechdSpeech::voice_set_volume(int volume) {
  volume_ = volume;
  if (voice_ != nullptr) spd_set_volume(voice_->spd, scaled_volume(volume));
}

void SpeechdSpeech::voice_set_rate(int rate) {
  rate_ = rate;
  if (voice_ != nullptr) spd_set_voice_rate(voice_->spd, scaled_step(rate));
}

void SpeechdSpeech::voice_set_pitch(int pitch) {
  pitch_ = pitch;
  if (voice_ != nullptr) spd_set_voice_pitch(voice_->spd, scaled_step(pitch));
}

void SpeechdSpeech::voice_speak(std::string_view text) {
  if (!ready_ || is_blank(text)) return;
  spd_say(voice_->spd, SPD_MESSAGE, std::string(text).c_str());
}

void SpeechdSpeech::voice_stop() {
  if (voice_ != nullptr) spd_cancel(voice_->spd);
}

bool SpeechdSpeech::voice_speaking() {
  return ready_ && voice_is_speaking;
}

}  // namespace tavelo
