#pragma once

#include <string>

#include "platform/mixer.hpp"

namespace tavelo {

// Plays the mixer on the default audio output through SDL. Without a sound device it falls back
// to SDL's dummy driver, so the program runs the same, silently.
class SdlAudioOutput {
 public:
  explicit SdlAudioOutput(Mixer& mixer);
  ~SdlAudioOutput();
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  bool running() const { return device_ != 0; }
  const std::string& driver() const { return driver_; }

 private:
  static void pull(void* mixer, unsigned char* stream, int bytes);
  bool open();

  Mixer& mixer_;
  unsigned device_ = 0;
  std::string driver_;
};

}  // namespace tavelo
