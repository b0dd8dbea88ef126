#include "planning/calendar.hpp"

#include <gtest/gtest.h>

#include "platform/sim/fixed_clock.hpp"

namespace tavelo {
namespace {

TEST(Calendar, DayNumbersCountFrom1901) {
  EXPECT_EQ(daynumber(1901, 1, 1), 0);
  EXPECT_EQ(daynumber(1970, 1, 1), kDayNumberOf1970);
  EXPECT_EQ(daynumber(2037, 12, 31), 50038);
  EXPECT_EQ(weekday(0), 2);                          // a Tuesday
  EXPECT_EQ(weekday(daynumber(2026, 12, 7)), 1);     // a Monday
  EXPECT_EQ(date_of(45123).year, 2024);
  EXPECT_FALSE(is_valid_date(2025, 2, 29));
  EXPECT_TRUE(is_valid_date(2028, 2, 29));
  EXPECT_EQ(kMonthNames[8], "Août");
  EXPECT_EQ(kDayNames[0], "Dimanche");
}

TEST(Calendar, TodayComesFromTheLocalDate) {
  FixedClock clock({2026, 12, 7, 23, 59, 59, 999});
  EXPECT_EQ(todaynumber(clock), daynumber(2026, 12, 7));
}

// The old 28-year reduction, written independently: it must agree with the calendar up to
// 2099, and the calendar must be the true one after.
CalendarDate reduced(int number) {
  int reduced_number = number;
  while (reduced_number > 50038) reduced_number -= 10227;
  return date_of(reduced_number);
}

TEST(Calendar, AgreesWithTheOldReductionUntil2099AndStaysTrueAfter) {
  for (int n = 0; n <= daynumber(2099, 12, 31); ++n) {
    const CalendarDate date = date_of(n);
    const CalendarDate old = reduced(n);
    ASSERT_EQ(date.day, old.day) << n;
    ASSERT_EQ(date.month, old.month) << n;
    ASSERT_EQ(daynumber(date), n);
  }
  const int march_2100 = daynumber(2100, 3, 1);
  EXPECT_EQ(date_of(march_2100 - 1).day, 28);  // 2100 is no leap year
  EXPECT_EQ(date_of(march_2100).day, 1);
  EXPECT_EQ(weekday(march_2100), 1);      // a Monday
  EXPECT_EQ(reduced(march_2100).day, 29);  // where the reduction went wrong
}

}  // namespace
}  // namespace tavelo
