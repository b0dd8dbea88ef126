#pragma once

#include <chrono>
#include <cstdint>

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
};

}  // namespace tavelo
