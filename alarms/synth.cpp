#include "alarms/synth.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavelo {

namespace {

std::int16_t amplitude(double value) { return static_cast<std::int16_t>(std::lround(value)); }

}  // namespace

Pcm tone_sample() {
  Pcm pcm{44000, 1, {}};
  for (int i = 0; i < 44000; ++i) {
    pcm.samples.push_back(amplitude(16000.0 * std::sin(2 * std::numbers::pi * i / kToneSampleRatePerHertz)));
  }
  return pcm;
}

Pcm stop_sound() { return Pcm{44100, 1, std::vector<std::int16_t>(441, 0)}; }

Pcm start_beep() {
  Pcm pcm{44100, 1, {}};
  const int length = 44100 * 3 / 10;
  for (int i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / 44100;
    const double envelope = std::exp(-t * 12) * std::min(1.0, i / 200.0);
    const double bell = std::sin(2 * std::numbers::pi * 880 * t) +
                        0.4 * std::sin(2 * std::numbers::pi * 1760 * t);
    pcm.samples.push_back(amplitude(12000.0 * envelope * bell));
  }
  return pcm;
}

Pcm speaker_beep(int frequency, int milliseconds, int rate) {
  Pcm pcm{rate, 1, {}};
  if (frequency <= 0 || milliseconds <= 0) return pcm;
  const long length = static_cast<long>(rate) * milliseconds / 1000;
  for (long i = 0; i < length; ++i) {
    const double phase = std::fmod(static_cast<double>(i) * frequency / rate, 1.0);
    pcm.samples.push_back(phase < 0.5 ? 8000 : -8000);
  }
  return pcm;
}

}  // namespace tavelo
