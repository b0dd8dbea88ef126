#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/mixer.hpp"
#include "platform/shell.hpp"
#include "platform/speech.hpp"
#include "platform/window_system.hpp"

namespace tavelo {

// The machine's real windows and speech, as this system's desktop backend gives them
// (platform/linux: GTK 3 and speech-dispatcher; platform/win32: Win32, NVDA, JAWS and SAPI).
struct Desktop {
  std::unique_ptr<WindowSystem> windows;
  std::unique_ptr<Speech> speech;
};

// The desktop, or no windows when there is no display to show them on: `why` is then empty for a
// machine without one, and says what failed when a display is there but cannot be opened.
Desktop open_desktop(std::string& why);

// The machine's sound output, playing the mixer for as long as it lives (SDL on Linux, waveOut
// on Windows); silent where there is no sound device.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
};
std::unique_ptr<SoundOutput> open_sound_output(Mixer& mixer);

}  // namespace tavelo
