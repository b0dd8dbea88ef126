#include "platform/desktop.hpp"

#include "platform/win32/wave_out_audio.hpp"
#include "platform/win32/win32_speech.hpp"
#include "platform/win32/win32_window_system.hpp"

namespace tavelo {

// Windows always has its desktop.
Desktop open_desktop(std::string&) {
  return {std::make_unique<Win32WindowSystem>(), std::make_unique<Win32Speech>()};
}

namespace {

struct WaveOutSound final : SoundOutput {
  explicit WaveOutSound(Mixer& mixer) : output(mixer) {}
  WaveOutAudioOutput output;
};

}  // namespace

std::unique_ptr<SoundOutput> open_sound_output(Mixer& mixer) {
  return std::make_unique<WaveOutSound>(mixer);
}

}  // namespace tavelo
