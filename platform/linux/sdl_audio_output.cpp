#include "platform/linux/sdl_audio_output.hpp"

#include <SDL2/SDL.h>

#include <utility>

namespace tavelo {

SdlAudioOutput::SdlAudioOutput(Mixer& mixer, std::chrono::milliseconds linger)
    : mixer_(mixer), linger_(linger) {
  if (!open()) {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    open();
  }
  if (device_ != 0) driver_ = SDL_GetCurrentAudioDriver();
  mixer_.on_voice_started([this] {
    const std::lock_guard lock(mutex_);
    started_ = true;
    wake_.notify_one();
  });
  device_thread_ = std::thread([this] { run(); });
}

SdlAudioOutput::~SdlAudioOutput() {
  mixer_.on_voice_started({});
  {
    const std::lock_guard lock(mutex_);
    ending_ = true;
    wake_.notify_one();
  }
  device_thread_.join();
}

bool SdlAudioOutput::open() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec wanted{};
  wanted.freq = mixer_.output_rate();
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = &SdlAudioOutput::pull;
  wanted.userdata = &mixer_;
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(device, 0);
  device_ = device;
  return true;
}

// The audio subsystem goes with the device: some drivers keep a thread of their own that wakes
// to look for new devices.
void SdlAudioOutput::close() {
  const unsigned device = device_.exchange(0);
  if (device == 0) return;
  SDL_CloseAudioDevice(device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Once paused, the callback no longer runs: a voice that starts after the check below is left
// whole in the mixer for the device that opens again.
bool SdlAudioOutput::close_if_silent() {
  SDL_PauseAudioDevice(device_, 1);
  if (mixer_.voices() > 0) {
    SDL_PauseAudioDevice(device_, 0);
    return false;
  }
  close();
  return true;
}

// Returns once the device is closed or the output ends. The mixer is never called with `mutex_`
// held: the mixer calls in with its own lock held when a voice starts.
void SdlAudioOutput::keep_open_while_playing(std::unique_lock<std::mutex>& lock) {
  bool quiet_before = false;
  while (!wake_.wait_for(lock, linger_, [this] { return ending_; })) {
    const bool started = std::exchange(started_, false);
    lock.unlock();
    const bool quiet = !started && mixer_.voices() == 0;
    const bool closed = quiet && quiet_before && close_if_silent();
    lock.lock();
    if (closed) return;
    quiet_before = quiet;
  }
}

void SdlAudioOutput::run() {
  std::unique_lock lock(mutex_);
  while (!ending_) {
    if (device_ != 0) {
      keep_open_while_playing(lock);
      continue;
    }
    wake_.wait(lock, [this] { return ending_ || started_; });
    if (ending_) break;
    started_ = false;
    lock.unlock();
    const bool opened = open();
    lock.lock();
    if (opened) continue;
    // No device for now: try again later while voices wait for one.
    wake_.wait_for(lock, linger_, [this] { return ending_; });
    lock.unlock();
    const bool waiting = mixer_.voices() > 0;
    lock.lock();
    started_ = started_ || waiting;
  }
  lock.unlock();
  close();
  // SDL keeps per-thread data (its error text) for threads it did not start itself.
  SDL_TLSCleanup();
}

void SdlAudioOutput::pull(void* mixer, unsigned char* stream, int bytes) {
  static_cast<Mixer*>(mixer)->render(reinterpret_cast<std::int16_t*>(stream),
                                     static_cast<std::size_t>(bytes) / 4);
}

}  // namespace tavelo
