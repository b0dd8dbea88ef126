#include "tests/support/sound_measure.hpp"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace tavelo::testing {

double frequency_of(const std::vector<std::int16_t>& stereo, int rate) {
  std::size_t first = 0, last = 0, crossings = 0;
  for (std::size_t i = 2; i < stereo.size(); i += 2) {
    if (stereo[i - 2] < 0 && stereo[i] >= 0) {
      if (crossings == 0) first = i / 2;
      last = i / 2;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return static_cast<double>(crossings - 1) * rate / static_cast<double>(last - first);
}

double sounding_milliseconds(const std::vector<std::int16_t>& stereo, int rate, int threshold) {
  std::size_t first = 0, last = 0;
  bool found = false;
  for (std::size_t i = 0; i < stereo.size(); i += 2) {
    if (std::abs(stereo[i]) > threshold || std::abs(stereo[i + 1]) > threshold) {
      if (!found) first = i / 2;
      last = i / 2;
      found = true;
    }
  }
  return found ? static_cast<double>(last - first + 1) * 1000.0 / rate : 0;
}

std::vector<double> onset_milliseconds(const std::vector<std::int16_t>& stereo, int rate,
                                       int threshold) {
  std::vector<double> onsets;
  const std::size_t quiet_end = static_cast<std::size_t>(rate) / 100;
  std::size_t quiet = quiet_end;
  for (std::size_t frame = 0; frame < stereo.size() / 2; ++frame) {
    const bool loud = std::abs(stereo[2 * frame]) > threshold ||
                      std::abs(stereo[2 * frame + 1]) > threshold;
    if (loud && quiet >= quiet_end) {
      onsets.push_back(static_cast<double>(frame) * 1000.0 / rate);
    }
    quiet = loud ? 0 : quiet + 1;
  }
  return onsets;
}

int peak_of(const std::vector<std::int16_t>& stereo) {
  int peak = 0;
  for (std::int16_t s : stereo) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

double amplitude_at(const std::vector<std::int16_t>& stereo, int rate, double frequency) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
  double previous = 0, before = 0;
  std::size_t n = 0;
  for (std::size_t i = 0; i < stereo.size(); i += 2, ++n) {
    const double current = stereo[i] + coefficient * previous - before;
    before = previous;
    previous = current;
  }
  if (n == 0) return 0;
  const double power = previous * previous + before * before - coefficient * previous * before;
  return 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(n);
}

}  // namespace tavelo::testing
