#include "platform/sim/rendering_clock.hpp"

#include <algorithm>

namespace tavelo {

namespace {

constexpr std::size_t kChunk = 4096;

}  // namespace

// Renders in chunks, so that a long wait never needs one large buffer; with nothing playing
// and nothing left to keep, time just moves.
void RenderingClock::sleep(std::chrono::milliseconds duration) {
  if (duration.count() <= 0) return;
  owed_frames_ += static_cast<double>(duration.count()) * mixer_.output_rate() / 1000.0;
  auto frames = static_cast<std::size_t>(owed_frames_);
  owed_frames_ -= static_cast<double>(frames);
  std::vector<std::int16_t> scratch(2 * kChunk);
  while (frames > 0) {
    const std::size_t captured = rendered_.size() / 2;
    const bool keep = captured < kCapturedFrames;
    if (!keep && mixer_.voices() == 0) break;
    const std::size_t chunk = std::min({frames, kChunk, keep ? kCapturedFrames - captured : kChunk});
    mixer_.render(scratch.data(), chunk);
    if (keep) rendered_.insert(rendered_.end(), scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(2 * chunk));
    frames -= chunk;
  }
  clock_.advance(duration);
}

}  // namespace tavelo
