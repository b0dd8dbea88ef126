#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/speech.hpp"

namespace tavelo {

// Speech through speech-dispatcher: the screen-reader channel is a connection of its own, the
// voice channel a second one, so that the voice's settings never touch the reader's speech.
// The daemon is never started from here: when it cannot be reached (at the address in
// SPEECHD_ADDRESS, or the user's default socket) the channels count as not there.
class SpeechdSpeech final : public Speech {
 public:
  SpeechdSpeech();
  ~SpeechdSpeech() override;
  SpeechdSpeech(const SpeechdSpeech&) = delete;
  SpeechdSpeech& operator=(const SpeechdSpeech&) = delete;

  bool offers_say() const override { return reader_ != nullptr; }
  bool say(std::string_view text, bool interrupt) override;
  void run_script(std::string_view) override {}  // screen-reader scripts exist only on Windows

  bool offers_speak() const override { return reader_ != nullptr; }
  int speak(std::string_view text) override;
  void cancel() override;
  bool reader_running() override { return reader_ != nullptr; }

  bool voice_open() override;
  void voice_init(bool report_speaking) override;
  void voice_close() override;
  int voice_count() override;
  std::string voice_name(int index) override;
  void voice_select(int index) override;
  void voice_set_volume(int volume) override;
  void voice_set_rate(int rate) override;
  void voice_set_pitch(int pitch) override;
  int voice_volume() override { return volume_; }
  int voice_rate() override { return rate_; }
  int voice_pitch() override { return pitch_; }
  void voice_speak(std::string_view text) override;
  void voice_stop() override;
  bool voice_speaking() override;

 public:
  struct Connection;  // one speech-dispatcher connection, closed when it goes

 private:
  std::unique_ptr<Connection> reader_;
  std::unique_ptr<Connection> voice_;
  bool ready_ = false;
  std::vector<std::string> voices_;
  int volume_ = 100;
  int rate_ = 0;
  int pitch_ = 0;
};

}  // namespace tavelo
