#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/mixer.hpp"
#include "platform/sim/fixed_clock.hpp"

namespace tavelo {

// A clock that stands still until the program waits, and renders the mixer for as long as it
// waits: what the program would have sounded, sample for sample, without a sound card.
//
// The thread that makes the clock is the session's: its sleeps move the time. Work on other
// threads (announced with ClockWork) sleeps until the session's time has come that far. The
// session's time never moves past a moment while announced work still runs at it, so the
// work's sounds start at the same simulated moment on every run, whatever the threads' speed.
class RenderingClock final : public Clock {
 public:
  RenderingClock(LocalTime start, Mixer& mixer);

  LocalTime now() const override;
  std::int64_t epochseconds() const override;
  std::uint32_t tick() const override;
  void sleep(std::chrono::milliseconds duration) override;
  void interruptible_sleep(std::chrono::milliseconds duration, std::stop_token stop) override;
  void work_started() override;
  void work_ended() override;

  // Returns once the work that runs has gone to sleep or ended: a simulated user acts then, so
  // that what the work does before its next sleep comes first on every run.
  void settle();
  // Sets the date and time, once the work that runs has gone to sleep.
  void set(LocalTime time);

  // Stereo frames rendered so far, interleaved; past the capture limit time goes on and the
  // voices play on, but nothing more is kept. Read them once no work runs.
  const std::vector<std::int16_t>& rendered() const { return rendered_; }
  void clear_rendered();
  int rate() const { return mixer_.output_rate(); }

  static constexpr std::size_t kCapturedFrames = 5u * 60u * 44100u;

 private:
  using Lock = std::unique_lock<std::mutex>;

  void advance(std::chrono::milliseconds duration);
  void sleep_as_work(std::chrono::milliseconds duration, std::stop_token stop);
  void wait_while_work_runs(Lock& lock);
  std::optional<std::int64_t> earliest_wake() const;
  void wake_sleepers_at(std::int64_t moment);
  void move_to(std::int64_t moment);
  void render(std::int64_t milliseconds);

  mutable std::mutex mutex_;
  std::condition_variable_any changed_;
  const std::thread::id session_thread_;
  FixedClock clock_;
  Mixer& mixer_;
  std::vector<std::int16_t> rendered_;
  double owed_frames_ = 0;  // fractions of a frame carried to the next wait
  std::int64_t elapsed_ = 0;  // milliseconds the session's time has moved
  int running_work_ = 0;      // announced work that is not asleep
  std::uint64_t next_sleeper_ = 0;
  std::map<std::uint64_t, std::int64_t> sleepers_;  // each sleeping work's wake-up, in `elapsed_`
};

}  // namespace tavelo
