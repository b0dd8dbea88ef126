#pragma once

#include "platform/clock.hpp"

namespace tavelo {

// The machine's own clock, in the machine's time zone. A clock set ahead reads that much later
// while its time passes as the machine's does (the benchmarks reach a due minute this way).
class SystemClock final : public Clock {
 public:
  explicit SystemClock(std::chrono::milliseconds ahead = {}) : ahead_(ahead) {}
  LocalTime now() const override;
  std::int64_t epochseconds() const override;
  std::uint32_t tick() const override;
  void sleep(std::chrono::milliseconds duration) override;

 private:
  std::chrono::milliseconds ahead_;
};

}  // namespace tavelo
