#include "platform/sim/rendering_clock.hpp"

namespace tavelo {

void RenderingClock::sleep(std::chrono::milliseconds duration) {
  if (duration.count() <= 0) return;
  owed_frames_ += static_cast<double>(duration.count()) * mixer_.output_rate() / 1000.0;
  const auto frames = static_cast<std::size_t>(owed_frames_);
  owed_frames_ -= static_cast<double>(frames);
  const std::size_t start = rendered_.size();
  rendered_.resize(start + 2 * frames);
  mixer_.render(rendered_.data() + start, frames);
  clock_.advance(duration);
}

}  // namespace tavelo
