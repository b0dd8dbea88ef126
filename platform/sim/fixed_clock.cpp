#include "platform/sim/fixed_clock.hpp"

namespace tavelo {

using namespace std::chrono;

namespace {

sys_time<milliseconds> to_time_point(const LocalTime& t) {
  const sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                      std::chrono::day{static_cast<unsigned>(t.day)}};
  return day + hours{t.hour} + minutes{t.minute} + seconds{t.second} + milliseconds{t.millisecond};
}

}  // namespace

FixedClock::FixedClock(LocalTime start) : current_(to_time_point(start)) {}

LocalTime FixedClock::now() const {
  const sys_days day = floor<days>(current_);
  const year_month_day ymd{day};
  const hh_mm_ss<milliseconds> clock_time{current_ - day};
  return LocalTime{static_cast<int>(ymd.year()),
                   static_cast<int>(static_cast<unsigned>(ymd.month())),
                   static_cast<int>(static_cast<unsigned>(ymd.day())),
                   static_cast<int>(clock_time.hours().count()),
                   static_cast<int>(clock_time.minutes().count()),
                   static_cast<int>(clock_time.seconds().count()),
                   static_cast<int>(clock_time.subseconds().count())};
}

std::int64_t FixedClock::epochseconds() const {
  return floor<seconds>(current_).time_since_epoch().count();
}

std::uint32_t FixedClock::tick() const { return static_cast<std::uint32_t>(ticks_.count()); }

void FixedClock::sleep(milliseconds duration) { advance(duration); }

void FixedClock::set(LocalTime time) { current_ = to_time_point(time); }

void FixedClock::advance(milliseconds duration) {
  if (duration.count() <= 0) return;
  current_ += duration;
  ticks_ += duration;
}

}  // namespace tavelo
