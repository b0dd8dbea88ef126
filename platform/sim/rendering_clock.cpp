#include "platform/sim/rendering_clock.hpp"

#include <algorithm>

namespace tavelo {

namespace {

constexpr std::size_t kChunk = 4096;

}  // namespace

RenderingClock::RenderingClock(LocalTime start, Mixer& mixer)
    : session_thread_(std::this_thread::get_id()), clock_(start), mixer_(mixer) {}

LocalTime RenderingClock::now() const {
  const std::lock_guard lock(mutex_);
  return clock_.now();
}

std::int64_t RenderingClock::epochseconds() const {
  const std::lock_guard lock(mutex_);
  return clock_.epochseconds();
}

std::uint32_t RenderingClock::tick() const {
  const std::lock_guard lock(mutex_);
  return clock_.tick();
}

void RenderingClock::sleep(std::chrono::milliseconds duration) {
  interruptible_sleep(duration, {});
}

void RenderingClock::interruptible_sleep(std::chrono::milliseconds duration,
                                         std::stop_token stop) {
  if (duration.count() <= 0) return;
  if (std::this_thread::get_id() == session_thread_) {
    advance(duration);
  } else {
    sleep_as_work(duration, std::move(stop));
  }
}

void RenderingClock::work_started() {
  const std::lock_guard lock(mutex_);
  ++running_work_;
}

void RenderingClock::work_ended() {
  const std::lock_guard lock(mutex_);
  --running_work_;
  changed_.notify_all();
}

void RenderingClock::settle() {
  Lock lock(mutex_);
  wait_while_work_runs(lock);
}

void RenderingClock::set(LocalTime time) {
  Lock lock(mutex_);
  wait_while_work_runs(lock);
  clock_.set(time);
}

void RenderingClock::clear_rendered() {
  const std::lock_guard lock(mutex_);
  rendered_.clear();
}

// The session's time moves to each moment at which sleeping work wakes, lets that work run
// until it sleeps again or ends, and goes on.
void RenderingClock::advance(std::chrono::milliseconds duration) {
  Lock lock(mutex_);
  const std::int64_t target = elapsed_ + duration.count();
  for (;;) {
    wait_while_work_runs(lock);
    const std::optional<std::int64_t> wake = earliest_wake();
    if (!wake || *wake > target) break;
    move_to(*wake);
    wake_sleepers_at(*wake);
  }
  move_to(target);
}

// The sleeper leaves the table when the session wakes it; a stop request wakes it early, and it
// then takes itself out.
void RenderingClock::sleep_as_work(std::chrono::milliseconds duration, std::stop_token stop) {
  Lock lock(mutex_);
  const std::uint64_t sleeper = next_sleeper_++;
  sleepers_[sleeper] = elapsed_ + duration.count();
  --running_work_;
  changed_.notify_all();
  changed_.wait(lock, stop, [&] { return !sleepers_.contains(sleeper); });
  if (sleepers_.erase(sleeper) != 0) ++running_work_;
}

void RenderingClock::wait_while_work_runs(Lock& lock) {
  changed_.wait(lock, [this] { return running_work_ <= 0; });
}

std::optional<std::int64_t> RenderingClock::earliest_wake() const {
  std::optional<std::int64_t> earliest;
  for (const auto& [sleeper, wake] : sleepers_) {
    if (!earliest || wake < *earliest) earliest = wake;
  }
  return earliest;
}

void RenderingClock::wake_sleepers_at(std::int64_t moment) {
  std::erase_if(sleepers_, [&](const auto& sleeper) {
    if (sleeper.second != moment) return false;
    ++running_work_;
    return true;
  });
  changed_.notify_all();
}

void RenderingClock::move_to(std::int64_t moment) {
  if (moment <= elapsed_) return;
  render(moment - elapsed_);
  clock_.advance(std::chrono::milliseconds(moment - elapsed_));
  elapsed_ = moment;
}

// Renders in chunks, so that a long wait never needs one large buffer; with nothing playing
// and nothing left to keep, time just moves.
void RenderingClock::render(std::int64_t milliseconds) {
  owed_frames_ += static_cast<double>(milliseconds) * mixer_.output_rate() / 1000.0;
  auto frames = static_cast<std::size_t>(owed_frames_);
  owed_frames_ -= static_cast<double>(frames);
  std::vector<std::int16_t> scratch(2 * kChunk);
  while (frames > 0) {
    const std::size_t captured = rendered_.size() / 2;
    const bool keep = captured < kCapturedFrames;
    if (!keep && mixer_.voices() == 0) break;
    const std::size_t chunk =
        std::min({frames, kChunk, keep ? kCapturedFrames - captured : kChunk});
    mixer_.render(scratch.data(), chunk);
    if (keep) {
      rendered_.insert(rendered_.end(), scratch.begin(),
                       scratch.begin() + static_cast<std::ptrdiff_t>(2 * chunk));
    }
    frames -= chunk;
  }
}

}  // namespace tavelo
