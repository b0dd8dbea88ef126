#pragma once

#include <cstdint>
#include <vector>

namespace tavelo {

// A decoded sound: 16-bit samples, interleaved when it has two channels.
struct Pcm {
  int rate = 44100;
  int channels = 1;  // 1 or 2
  std::vector<std::int16_t> samples;

  std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
  double seconds() const { return static_cast<double>(frames()) / rate; }
};

}  // namespace tavelo
