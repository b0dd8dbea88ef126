#include "platform/desktop.hpp"

#include <stdexcept>

#include "platform/linux/gtk_window_system.hpp"
#include "platform/linux/sdl_audio_output.hpp"
#include "platform/linux/speechd_speech.hpp"
#include "platform/os.hpp"

namespace tavelo {

Desktop open_desktop(std::string& why) {
  const auto display = environment_variable("DISPLAY");
  if (!display || display->empty()) return {};  // the terminal session, nothing to report
  Desktop desktop;
  try {
    desktop.windows = std::make_unique<GtkWindowSystem>();
  } catch (const std::runtime_error& no_display) {
    why = no_display.what();
    return {};
  }
  desktop.speech = std::make_unique<SpeechdSpeech>();
  return desktop;
}

namespace {

struct SdlSound final : SoundOutput {
  explicit SdlSound(Mixer& mixer) : output(mixer) {}
  SdlAudioOutput output;
};

}  // namespace

std::unique_ptr<SoundOutput> open_sound_output(Mixer& mixer) {
  return std::make_unique<SdlSound>(mixer);
}

}  // namespace tavelo
