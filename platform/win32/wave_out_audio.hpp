#pragma once

#include <atomic>
#include <thread>

#include "platform/mixer.hpp"

namespace tavelo {

// Plays the mixer on the default wave output of Windows (waveOut), from a thread of its own
// that keeps a few short buffers queued. Without a wave device it does not run and the program
// goes on silently.
class WaveOutAudioOutput {
 public:
  explicit WaveOutAudioOutput(Mixer& mixer);
  ~WaveOutAudioOutput();
  WaveOutAudioOutput(const WaveOutAudioOutput&) = delete;
  WaveOutAudioOutput& operator=(const WaveOutAudioOutput&) = delete;

  bool running() const { return running_; }

 private:
  void play(void* device, void* ready);

  Mixer& mixer_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace tavelo
