#include "platform/mixer.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavelo {

VoiceId Mixer::play(std::shared_ptr<const Pcm> sound, const VoiceSettings& settings) {
  std::lock_guard lock(mutex_);
  const VoiceId id = next_++;
  if (sound && sound->frames() > 0) {
    voices_[id] = Voice{std::move(sound), settings, 0};
    if (voice_started_) voice_started_();
  }
  return id;
}

void Mixer::on_voice_started(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  voice_started_ = std::move(listener);
}

void Mixer::stop(VoiceId voice) {
  std::lock_guard lock(mutex_);
  voices_.erase(voice);
}

bool Mixer::playing(VoiceId voice) const {
  std::lock_guard lock(mutex_);
  return voices_.count(voice) != 0;
}

std::size_t Mixer::voices() const {
  std::lock_guard lock(mutex_);
  return voices_.size();
}

// Adds the voice to the mix with linear interpolation between its frames. False once a voice
// that does not loop has run out.
bool Mixer::mix_voice(Voice& voice, double* mix, std::size_t frames, int output_rate) {
  const Pcm& pcm = *voice.sound;
  const std::size_t length = pcm.frames();
  const double rate = voice.settings.rate > 0 ? voice.settings.rate : pcm.rate;
  const double step = rate / output_rate;
  const auto sample = [&](std::size_t frame, int channel) {
    const std::size_t c = pcm.channels == 2 ? static_cast<std::size_t>(channel) : 0;
    return static_cast<double>(pcm.samples[frame * static_cast<std::size_t>(pcm.channels) + c]);
  };
  for (std::size_t i = 0; i < frames; ++i) {
    if (voice.position >= static_cast<double>(length)) {
      if (!voice.settings.looped) return false;
      voice.position = std::fmod(voice.position, static_cast<double>(length));
    }
    const auto frame = static_cast<std::size_t>(voice.position);
    const double fraction = voice.position - static_cast<double>(frame);
    const std::size_t next = frame + 1 < length ? frame + 1 : (voice.settings.looped ? 0 : frame);
    for (int channel = 0; channel < 2; ++channel) {
      const double value =
          sample(frame, channel) * (1 - fraction) + sample(next, channel) * fraction;
      mix[2 * i + static_cast<std::size_t>(channel)] +=
          value * (channel == 0 ? voice.settings.left : voice.settings.right);
    }
    voice.position += step;
  }
  return true;
}

void Mixer::render(std::int16_t* out, std::size_t frames) {
  std::vector<double> mix(2 * frames, 0.0);
  {
    std::lock_guard lock(mutex_);
    for (auto it = voices_.begin(); it != voices_.end();) {
      it = mix_voice(it->second, mix.data(), frames, output_rate_) ? std::next(it)
                                                                   : voices_.erase(it);
    }
  }
  for (std::size_t i = 0; i < mix.size(); ++i) {
    out[i] = static_cast<std::int16_t>(std::clamp(std::lround(mix[i]), -32768L, 32767L));
  }
}

}  // namespace tavelo
