#include "platform/linux/sdl_audio_output.hpp"

#include <SDL2/SDL.h>

namespace tavelo {

SdlAudioOutput::SdlAudioOutput(Mixer& mixer) : mixer_(mixer) {
  if (open()) return;
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
  open();
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
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  driver_ = SDL_GetCurrentAudioDriver();
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

SdlAudioOutput::~SdlAudioOutput() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioOutput::pull(void* mixer, unsigned char* stream, int bytes) {
  static_cast<Mixer*>(mixer)->render(reinterpret_cast<std::int16_t*>(stream),
                                     static_cast<std::size_t>(bytes) / 4);
}

}  // namespace tavelo
