#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <stop_token>
#include <utility>

namespace tavelo {

// A local date and time as the wall clock shows it.
struct LocalTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Everything the program asks of time. The real clock reads the system; tests and scripted
// sessions use clocks that move only when told to.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() const = 0;
  virtual std::int64_t epochseconds() const = 0;  // seconds since 1970-01-01 00:00 UTC
  virtual std::uint32_t tick() const = 0;         // milliseconds, wraps like a 32-bit counter
  virtual void sleep(std::chrono::milliseconds duration) = 0;

  // Sleeps as sleep() does; a request to stop ends the sleep within 50 ms.
  virtual void interruptible_sleep(std::chrono::milliseconds duration, std::stop_token stop) {
    for (auto left = duration; left.count() > 0 && !stop.stop_requested(); left -= kStopSlice) {
      sleep(std::min(left, kStopSlice));
    }
  }

  // Work on another thread that sleeps on this clock is announced by the thread that starts it
  // and ends on its own thread (see ClockWork). A simulated clock then never moves past a moment
  // while such work still has something to do at it, so that the work's sounds and lines land at
  // the same simulated time on every run. The real clock needs nothing.
  virtual void work_started() {}
  virtual void work_ended() {}

 private:
  static constexpr std::chrono::milliseconds kStopSlice{50};
};

// The announcement of one piece of work: made by the thread that starts the work, before it
// starts it, then moved into the work, whose end ends it.
class ClockWork {
 public:
  explicit ClockWork(Clock& clock) : clock_(&clock) { clock.work_started(); }
  ClockWork(ClockWork&& other) noexcept : clock_(std::exchange(other.clock_, nullptr)) {}
  ClockWork& operator=(ClockWork&&) = delete;
  ClockWork(const ClockWork&) = delete;
  ClockWork& operator=(const ClockWork&) = delete;
  ~ClockWork() {
    if (clock_ != nullptr) clock_->work_ended();
  }

 private:
  Clock* clock_;
};

}  // namespace tavelo
