#pragma once

#include "platform/clock.hpp"

namespace tavelo {

// The machine's own clock, in the machine's time zone.
class SystemClock final : public Clock {
 public:
  LocalTime now() const override;
  std::int64_t epochseconds() const override;
  std::uint32_t tick() const override;
  void sleep(std::chrono::milliseconds duration) override;
};

}  // namespace tavelo
