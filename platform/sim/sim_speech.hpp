#pragma once

#include <string>
#include <vector>

#include "platform/sim/transcript.hpp"
#include "platform/speech.hpp"

namespace tavelo {

// Speech written to the transcript: "speak" for what a screen reader says, "silence" when it is
// cut, "voice" for the synthesiser. Which styles of reader it offers, and whether the reader and
// the synthesiser are there, are chosen by the test.
struct SimSpeechSetup {
  bool say_style = false;   // a reader that takes texts with an interrupt flag
  bool speak_style = true;  // a reader with speak, cancel and a running test
  bool reader_running = true;
  bool synthesiser = true;
  std::vector<std::string> voices = {"Voix A", "Voix B"};
  std::string say_reader_name{};  // the readers' own names, none by default
  std::string speak_reader_name{};
};

class SimSpeech final : public Speech {
 public:
  SimSpeech(Transcript& transcript, SimSpeechSetup setup = {});

  bool offers_say() const override { return setup_.say_style; }
  bool say(std::string_view text, bool interrupt) override;
  void run_script(std::string_view name) override;

  bool offers_speak() const override { return setup_.speak_style; }
  int speak(std::string_view text) override;
  void cancel() override;
  bool reader_running() override { return setup_.reader_running; }
  std::string reader_name(int style) const override {
    return style == 1 ? setup_.say_reader_name : style == 2 ? setup_.speak_reader_name : "";
  }

  bool voice_open() override { return setup_.synthesiser; }
  void voice_init(bool report_speaking) override;
  void voice_close() override;
  int voice_count() override;
  std::string voice_name(int index) override;
  void voice_select(int index) override;
  void voice_set_volume(int volume) override { volume_ = volume; }
  void voice_set_rate(int rate) override { rate_ = rate; }
  void voice_set_pitch(int pitch) override { pitch_ = pitch; }
  int voice_volume() override { return volume_; }
  int voice_rate() override { return rate_; }
  int voice_pitch() override { return pitch_; }
  void voice_speak(std::string_view text) override;
  void voice_stop() override;
  bool voice_speaking() override { return speaking_; }

  void set_reader_running(bool running) { setup_.reader_running = running; }
  int selected_voice() const { return selected_; }
  bool voice_ready() const { return ready_; }
  std::vector<std::string> scripts_run;
  int silencings = 0;  // times a reader was cut, whether or not it was saying anything

 private:
  Transcript& transcript_;
  SimSpeechSetup setup_;
  bool ready_ = false;
  bool report_speaking_ = false;
  bool speaking_ = false;
  int selected_ = 0;
  int volume_ = 100;
  int rate_ = 0;
  int pitch_ = 0;
};

}  // namespace tavelo
