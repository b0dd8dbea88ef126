#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/speech.hpp"

namespace tavelo {

// Speech on Windows. The screen-reader channel goes to the readers' own libraries, loaded by
// name when this is made: NVDA's controller client of the process's width
// (nvdaControllerClient64.dll in a 64-bit program, nvdaControllerClient32.dll in a 32-bit one)
// for the "speak" style, and JAWS's jfwapi.dll for the "say" style. A library that cannot be
// loaded leaves its style unoffered. The voice channel is a SAPI 5 voice through COM, made
// when it is first opened.
class Win32Speech final : public Speech {
 public:
  Win32Speech();
  ~Win32Speech() override;
  Win32Speech(const Win32Speech&) = delete;
  Win32Speech& operator=(const Win32Speech&) = delete;

  bool offers_say() const override;
  bool say(std::string_view text, bool interrupt) override;
  void run_script(std::string_view name) override;

  bool offers_speak() const override;
  int speak(std::string_view text) override;
  void cancel() override;
  bool reader_running() override;
  std::string reader_name(int style) const override;

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

  struct Readers;  // the two readers' libraries and their functions
  struct Voice;    // the SAPI voice and its voice tokens

 private:
  std::unique_ptr<Readers> readers_;
  std::unique_ptr<Voice> voice_;
  int volume_ = 100;
  int rate_ = 0;
  int pitch_ = 0;
};

}  // namespace tavelo
