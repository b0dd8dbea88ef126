#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/pcm.hpp"

namespace tavelo {

struct VoiceSettings {
  double rate = 0;    // samples per second to play the sound at; 0 plays it at its own rate
  double left = 1.0;  // gain of each side, 0..1
  double right = 1.0;
  bool looped = false;
};

using VoiceId = std::uint32_t;

// Mixes any number of voices into 16-bit stereo. Voices are started and stopped from any
// thread while the output pulls rendered frames from its own.
class Mixer {
 public:
  explicit Mixer(int output_rate = 44100) : output_rate_(output_rate) {}

  int output_rate() const { return output_rate_; }

  VoiceId play(std::shared_ptr<const Pcm> sound, const VoiceSettings& settings);
  void stop(VoiceId voice);
  bool playing(VoiceId voice) const;
  std::size_t voices() const;

  // Called each time a voice starts, under the mixer's lock: an output that closes its device
  // while nothing plays opens it again. It must be quick and must not call the mixer. An empty
  // function removes it.
  void on_voice_started(std::function<void()> listener);

  // Fills `frames` stereo frames (2 * frames samples), advancing every voice.
  void render(std::int16_t* out, std::size_t frames);

 private:
  struct Voice {
    std::shared_ptr<const Pcm> sound;
    VoiceSettings settings;
    double position = 0;  // in frames of the sound
  };
  static bool mix_voice(Voice& voice, double* mix, std::size_t frames, int output_rate);

  int output_rate_;
  mutable std::mutex mutex_;
  std::map<VoiceId, Voice> voices_;
  VoiceId next_ = 1;
  std::function<void()> voice_started_;
};

}  // namespace tavelo
