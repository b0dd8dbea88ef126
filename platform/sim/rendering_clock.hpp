#pragma once

#include <vector>

#include "platform/mixer.hpp"
#include "platform/sim/fixed_clock.hpp"

namespace tavelo {

// A clock that stands still until the program waits, and renders the mixer for as long as it
// waits: what the program would have sounded, sample for sample, without a sound card.
class RenderingClock final : public Clock {
 public:
  RenderingClock(LocalTime start, Mixer& mixer) : clock_(start), mixer_(mixer) {}

  LocalTime now() const override { return clock_.now(); }
  std::int64_t epochseconds() const override { return clock_.epochseconds(); }
  std::uint32_t tick() const override { return clock_.tick(); }
  void sleep(std::chrono::milliseconds duration) override;

  // Stereo frames rendered so far, interleaved; past the capture limit time goes on and the
  // voices play on, but nothing more is kept.
  const std::vector<std::int16_t>& rendered() const { return rendered_; }
  void clear_rendered() { rendered_.clear(); }
  int rate() const { return mixer_.output_rate(); }

  // The clock under the rendering, for whoever sets the simulated date.
  FixedClock& base() { return clock_; }

  static constexpr std::size_t kCapturedFrames = 5u * 60u * 44100u;

 private:
  FixedClock clock_;
  Mixer& mixer_;
  std::vector<std::int16_t> rendered_;
  double owed_frames_ = 0;  // fractions of a frame carried to the next wait
};

}  // namespace tavelo
