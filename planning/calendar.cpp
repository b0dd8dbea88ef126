#include "planning/calendar.hpp"

#include <chrono>

namespace tavelo {

using namespace std::chrono;

namespace {

constexpr sys_days kDayZero = sys_days{year{1901} / January / 1};

year_month_day ymd_of(int number) { return year_month_day{kDayZero + days{number}}; }

}  // namespace

// The calendar is the true Gregorian one. The old program reduced days after 2037 by 28-year
// steps for its 32-bit time functions; that gives the same answers up to 2099 and wrong ones
// from 1 March 2100, so it is not repeated here.
int daynumber(int y, int m, int d) {
  const sys_days day{year{y} / month{static_cast<unsigned>(m)} / std::chrono::day{static_cast<unsigned>(d)}};
  return static_cast<int>((day - kDayZero).count());
}

int daynumber(const CalendarDate& date) { return daynumber(date.year, date.month, date.day); }

CalendarDate date_of(int number) {
  const year_month_day ymd = ymd_of(number);
  return CalendarDate{static_cast<int>(ymd.year()), static_cast<int>(unsigned(ymd.month())),
                      static_cast<int>(unsigned(ymd.day()))};
}

int dayofmonth(int number) { return date_of(number).day; }
int monthof(int number) { return date_of(number).month; }
int yearof(int number) { return date_of(number).year; }

int weekday(int number) {
  return static_cast<int>(std::chrono::weekday{kDayZero + days{number}}.c_encoding());
}

bool is_valid_date(int y, int m, int d) {
  if (m < 1 || m > 12 || d < 1 || d > 31) return false;
  return year_month_day{year{y}, month{static_cast<unsigned>(m)},
                        std::chrono::day{static_cast<unsigned>(d)}}
      .ok();
}

int todaynumber(const Clock& clock) {
  const LocalTime now = clock.now();
  return daynumber(now.year, now.month, now.day);
}

}  // namespace tavelo
