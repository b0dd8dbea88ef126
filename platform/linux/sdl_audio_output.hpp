#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/mixer.hpp"

namespace tavelo {

// Plays the mixer on the default audio output through SDL. Without a sound device it falls back
// to SDL's dummy driver, so the program runs the same, silently.
//
// An open SDL device wakes its thread for every buffer, silence or not, and a paused one keeps
// waking too: the device is closed once nothing has played for `linger` (checked twice, so the
// last buffer has gone out), and opened again as soon as a voice starts. Opening and closing
// happen on a thread of the output's own, never inside SDL's callback.
class SdlAudioOutput {
 public:
  explicit SdlAudioOutput(Mixer& mixer,
                          std::chrono::milliseconds linger = std::chrono::milliseconds(1000));
  ~SdlAudioOutput();
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  // A driver took the first sound device; `device_open` says whether it is open at the moment.
  bool running() const { return !driver_.empty(); }
  bool device_open() const { return device_ != 0; }
  const std::string& driver() const { return driver_; }

 private:
  static void pull(void* mixer, unsigned char* stream, int bytes);
  bool open();
  void close();
  bool close_if_silent();
  void keep_open_while_playing(std::unique_lock<std::mutex>& lock);
  void run();

  Mixer& mixer_;
  const std::chrono::milliseconds linger_;
  std::atomic<unsigned> device_ = 0;
  std::string driver_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool started_ = false;  // a voice started since the device thread last looked
  bool ending_ = false;
  std::thread device_thread_;
};

}  // namespace tavelo
