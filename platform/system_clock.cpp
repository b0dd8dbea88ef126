#include "platform/system_clock.hpp"

#include <ctime>
#include <thread>

#include "platform/os.hpp"

namespace tavelo {

using namespace std::chrono;

LocalTime SystemClock::now() const {
  const auto moment = system_clock::now() + ahead_;
  const std::time_t seconds_now = system_clock::to_time_t(moment);
  const std::tm local = local_calendar(seconds_now);
  const auto millis = duration_cast<milliseconds>(moment.time_since_epoch()).count() % 1000;
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,   local.tm_hour,
                   local.tm_min,         local.tm_sec,     static_cast<int>(millis)};
}

std::int64_t SystemClock::epochseconds() const {
  return duration_cast<seconds>((system_clock::now() + ahead_).time_since_epoch()).count();
}

std::uint32_t SystemClock::tick() const {
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::sleep(milliseconds duration) { std::this_thread::sleep_for(duration); }

}  // namespace tavelo
