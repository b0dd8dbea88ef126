#pragma once

#include "platform/clock.hpp"

namespace tavelo {

// A clock that stands still until it is moved: sleeping moves it by the time slept.
// Its local time is taken as UTC, so that results do not depend on the machine's zone.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(LocalTime start);

  LocalTime now() const override;
  std::int64_t epochseconds() const override;
  std::uint32_t tick() const override;
  void sleep(std::chrono::milliseconds duration) override;

  void set(LocalTime time);
  void advance(std::chrono::milliseconds duration);

 private:
  std::chrono::sys_time<std::chrono::milliseconds> current_;
  std::chrono::milliseconds ticks_{0};
};

}  // namespace tavelo
