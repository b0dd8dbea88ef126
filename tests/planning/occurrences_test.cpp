#include "planning/occurrences.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "planning/calendar.hpp"

namespace tavelo {
namespace {

constexpr std::array<int, 7> kNoTicks{};

int next(int type, int day, int anchor = kAnchorStart, std::array<int, 7> ticks = kNoTicks) {
  return nextoccurrence(type, ticks, anchor, day);
}

int date(int y, int m, int d) {
  return daynumber(y, m, d);
}

TEST(NextOccurrence, MonthlyKeepsTheDayOrTakesTheLastOneTheRulesGive) {
  EXPECT_EQ(next(kTypeMonthly, date(2025, 1, 31)), date(2025, 2, 28));
  EXPECT_EQ(next(kTypeMonthly, date(2028, 1, 31)), date(2028, 2, 28));  // not the 29th
  EXPECT_EQ(next(kTypeMonthly, date(2025, 3, 31)), date(2025, 4, 30));
  EXPECT_EQ(next(kTypeMonthly, date(2025, 4, 30)), date(2025, 5, 30));
  EXPECT_EQ(next(kTypeMonthly, date(2025, 1, 30)), date(2025, 3, 30));
  EXPECT_EQ(next(kTypeMonthly, date(2025, 1, 29)), date(2025, 3, 29));
  EXPECT_EQ(next(kTypeMonthly, date(2028, 1, 29)), date(2028, 2, 29));
  EXPECT_EQ(next(kTypeMonthly, date(2025, 7, 31)), date(2025, 8, 31));
  EXPECT_EQ(next(kTypeMonthly, date(2025, 8, 31)), date(2025, 9, 30));
  EXPECT_EQ(next(kTypeMonthly, date(2025, 12, 31)), date(2026, 1, 31));
  // Types 7 to 10 repeat the step: the 31st, once brought back, stays back.
  EXPECT_EQ(next(7, date(2025, 1, 31)), date(2025, 3, 28));
  EXPECT_EQ(next(8, date(2025, 11, 15)), date(2026, 2, 15));
  EXPECT_EQ(next(9, date(2025, 10, 31)), date(2026, 3, 30));  // by 30 January
  EXPECT_EQ(next(10, date(2025, 8, 31)), date(2026, 3, 30));
}

TEST(NextOccurrence, YearlyGoesFrom29FebruaryTo1March) {
  EXPECT_EQ(next(kTypeYearly, date(2028, 2, 29)), date(2029, 3, 1));
  EXPECT_EQ(next(kTypeYearly, date(2029, 3, 1)), date(2030, 3, 1));
  EXPECT_EQ(next(kTypeYearly, date(2027, 3, 1)), date(2028, 3, 1));
  EXPECT_EQ(next(kTypeYearly, date(2027, 2, 28)), date(2028, 2, 28));
  EXPECT_EQ(next(kTypeYearly, date(2025, 12, 31)), date(2026, 12, 31));
}

// The monthly and yearly steps land, for every day, where a walk forward one day at a time lands:
// the first later day with the same day of the month (a 31st brought back first), and the first
// day a year on with the same day and month (29 February as 1 March).
TEST(NextOccurrence, MonthlyAndYearlyStepsLandWhereADayByDayWalkLands) {
  for (const auto& [first, last] : {std::pair{date(1901, 1, 1), date(2032, 12, 31)},
                                    std::pair{date(9990, 1, 1), date(9998, 12, 31)}}) {
    for (int d = first; d <= last; ++d) {
      const CalendarDate from = date_of(d);
      const int brought_back = from.day == 31 && (from.month == 3 || from.month == 5 ||
                                                  from.month == 8 || from.month == 10)
                                   ? d - 1
                                   : (from.day == 31 && from.month == 1 ? d - 3 : d);
      int walked = brought_back + 1;
      while (dayofmonth(walked) != dayofmonth(brought_back)) ++walked;
      ASSERT_EQ(next(kTypeMonthly, d), walked) << from.year << "-" << from.month << "-" << from.day;

      const bool leap_day = from.month == 2 && from.day == 29;
      int year_on = d + 365;
      while (dayofmonth(year_on) != (leap_day ? 1 : from.day) ||
             monthof(year_on) != (leap_day ? 3 : from.month)) {
        ++year_on;
      }
      ASSERT_EQ(next(kTypeYearly, d), year_on) << from.year << "-" << from.month << "-" << from.day;
    }
  }
}

TEST(NextOccurrence, WeeklyWalksToTheNextTickedWeekday) {
  std::array<int, 7> monday_thursday{};
  monday_thursday[1] = 1;
  monday_thursday[4] = 1;
  const int monday = date(2025, 1, 13);
  ASSERT_EQ(weekday(monday), 1);
  const int thursday = next(kTypeWeekly, monday, kAnchorStart, monday_thursday);
  EXPECT_EQ(thursday, date(2025, 1, 16));
  EXPECT_EQ(next(kTypeWeekly, thursday, kAnchorStart, monday_thursday), date(2025, 1, 20));
  // From a day that is not ticked, the next ticked one.
  EXPECT_EQ(next(kTypeWeekly, date(2025, 1, 18), kAnchorStart, monday_thursday), date(2025, 1, 20));
  // Only its own weekday ticked: a week on.
  std::array<int, 7> monday_only{};
  monday_only[1] = 1;
  EXPECT_EQ(next(kTypeWeekly, monday, kAnchorStart, monday_only), monday + 7);
  // No tick at all (a damaged file): as if ticked on its own weekday, never a loop.
  EXPECT_EQ(next(kTypeWeekly, monday), monday + 7);
  EXPECT_EQ(next(kTypeWeekly, date(2025, 1, 18)), date(2025, 1, 25));
}

TEST(NextOccurrence, MonthWeekCountsFromEitherEndOfTheNextMonth) {
  const int tuesday = date(2025, 1, 14);
  ASSERT_EQ(weekday(tuesday), 2);
  EXPECT_EQ(next(kTypeMonthWeek1, tuesday, kAnchorStart), date(2025, 2, 4));
  EXPECT_EQ(next(kTypeMonthWeek1, tuesday, kAnchorEnd), date(2025, 2, 25));
  EXPECT_EQ(next(12, tuesday, kAnchorStart), date(2025, 2, 11));
  EXPECT_EQ(next(12, tuesday, kAnchorEnd), date(2025, 2, 18));
  EXPECT_EQ(next(14, tuesday, kAnchorStart), date(2025, 2, 25));
  EXPECT_EQ(next(14, tuesday, kAnchorEnd), date(2025, 2, 4));
  // A month with five Saturdays: the last one and the fourth differ.
  const int saturday = date(2025, 2, 1);
  EXPECT_EQ(next(kTypeMonthWeek1, saturday, kAnchorEnd), date(2025, 3, 29));
  EXPECT_EQ(next(14, saturday, kAnchorStart), date(2025, 3, 22));
  EXPECT_EQ(next(14, saturday, kAnchorEnd), date(2025, 3, 8));
  // Any anchor other than 2 counts from the start (a damaged file).
  EXPECT_EQ(next(kTypeMonthWeek1, tuesday, 0), date(2025, 2, 4));
  EXPECT_EQ(next(kTypeMonthWeek1, tuesday, 7), date(2025, 2, 4));
}

TEST(NextOccurrence, YearWeekFindsTheSameMonthNextYear) {
  const int tuesday = date(2025, 1, 14);
  EXPECT_EQ(next(kTypeYearWeek1, tuesday, kAnchorStart), date(2026, 1, 6));
  EXPECT_EQ(next(kTypeYearWeek1, tuesday, kAnchorEnd), date(2026, 1, 27));
  EXPECT_EQ(next(17, date(2025, 11, 27), kAnchorStart), date(2026, 11, 12));  // Thursday
  EXPECT_EQ(next(19, date(2025, 11, 27), kAnchorEnd), date(2026, 11, 5));
  EXPECT_EQ(next(kTypeYearWeek1, date(2025, 12, 29), kAnchorEnd), date(2026, 12, 28));
}

TEST(NextOccurrence, FixedStepsAndOneOff) {
  const int day = date(2025, 6, 10);
  EXPECT_EQ(next(3, day), day + 14);
  EXPECT_EQ(next(4, day), day + 21);
  EXPECT_EQ(next(5, day), day + 28);
  EXPECT_EQ(next(kTypeEveryTwoDays, day), day + 2);
  EXPECT_EQ(next(kLastType, day), day + 60);
  for (int type : {kTypeOneOff, 0, 79, 255, -1}) EXPECT_EQ(next(type, day), day) << type;
  EXPECT_EQ(recurrence_type_name(1), "occasionnel");
  EXPECT_EQ(recurrence_type_name(11), "mois semaine 1");
  EXPECT_EQ(recurrence_type_name(19), "année semaine 4");
  EXPECT_EQ(recurrence_type_name(20), "aux 2 jours");
  EXPECT_EQ(recurrence_type_name(78), "aux 60 jours");
  EXPECT_EQ(recurrence_type_name(79), "");
}

TEST(NextOccurrence, DatesAfter2037AreTrueCalendarDates) {
  // The weekday of a day in 2040 is that of the same date in 2012.
  EXPECT_EQ(weekday(date(2040, 3, 6)), weekday(date(2012, 3, 6)));
  EXPECT_EQ(next(kTypeMonthly, date(2040, 1, 31)), date(2040, 2, 28));
  EXPECT_EQ(next(kTypeYearly, date(2040, 2, 29)), date(2041, 3, 1));
  EXPECT_EQ(next(kTypeMonthWeek1, date(2040, 3, 6), kAnchorEnd), date(2040, 4, 24));
}

// ---- The property: every type, every day of several years, against the calendar itself. ----

namespace ref {

using namespace std::chrono;

constexpr sys_days kDayZero = sys_days{year{1901} / January / 1};

year_month_day ymd(int n) {
  return year_month_day{kDayZero + days{n}};
}
int number(sys_days day) {
  return static_cast<int>((day - kDayZero).count());
}
int number(const year_month_day& d) {
  return number(sys_days{d});
}

// The same day of the month one month later, where the 31st of a month followed by a 30-day
// month is the 30th and the 31st of January is the 28th; a day February lacks goes to March.
int monthly(int n) {
  const year_month_day d = ymd(n);
  unsigned dd = unsigned{d.day()};
  const unsigned m = unsigned{d.month()};
  if (dd == 31 && (m == 3 || m == 5 || m == 8 || m == 10)) dd = 30;
  if (dd == 31 && m == 1) dd = 28;
  year_month ym = d.year() / d.month();
  for (;;) {
    ym += months{1};
    const year_month_day candidate = ym / day{dd};
    if (candidate.ok()) return number(candidate);
  }
}

int nth_weekday(year_month ym, std::chrono::weekday wd, int n, int anchor) {
  if (anchor == kAnchorEnd) {
    return number(sys_days{ym / weekday_last{wd}}) - 7 * (n - 1);
  }
  return number(sys_days{ym / weekday_indexed{wd, static_cast<unsigned>(n)}});
}

int expected(int type, const std::array<int, 7>& ticks, int anchor, int n) {
  const year_month_day d = ymd(n);
  const std::chrono::weekday wd{kDayZero + days{n}};
  if (type == 2) {
    for (int k = 1; k <= 7; ++k) {
      if (ticks[(wd.c_encoding() + static_cast<unsigned>(k)) % 7] != 0) return n + k;
    }
    return n + 7;
  }
  if (type >= 3 && type <= 5) return n + 7 * (type - 1);
  if (type >= 6 && type <= 10) {
    const int times[] = {1, 2, 3, 4, 6};
    int r = n;
    for (int i = 0; i < times[type - 6]; ++i) r = monthly(r);
    return r;
  }
  if (type >= 11 && type <= 14) {
    return nth_weekday(d.year() / d.month() + months{1}, wd, type - 10, anchor);
  }
  if (type == 15) {
    if (d.month() == February && d.day() == day{29}) {
      return number(year_month_day{d.year() + years{1}, March, day{1}});
    }
    return number(year_month_day{d.year() + years{1}, d.month(), d.day()});
  }
  if (type >= 16 && type <= 19) {
    return nth_weekday((d.year() + years{1}) / d.month(), wd, type - 15, anchor);
  }
  if (type >= 20 && type <= 78) return n + (type - 18);
  return n;
}

}  // namespace ref

TEST(NextOccurrence, AgreesWithTheCalendarForEveryTypeOnEveryDay) {
  const int first = date(2023, 1, 1);
  const int last = date(2033, 12, 31);  // three leap years, 2037 and beyond covered below
  for (int type = 0; type <= 79; ++type) {
    if (type == kTypeWeekly) continue;
    for (int anchor : {kAnchorStart, kAnchorEnd}) {
      for (int day = first; day <= last; ++day) {
        ASSERT_EQ(nextoccurrence(type, kNoTicks, anchor, day),
                  ref::expected(type, kNoTicks, anchor, day))
            << "type " << type << " anchor " << anchor << " from " << date_of(day).year << "-"
            << date_of(day).month << "-" << date_of(day).day;
      }
    }
  }
  for (int day = date(2095, 1, 1); day <= date(2105, 12, 31); ++day) {  // over 2100, no leap year
    for (int type : {6, 10, 11, 14, 15, 16, 19}) {
      for (int anchor : {kAnchorStart, kAnchorEnd}) {
        ASSERT_EQ(nextoccurrence(type, kNoTicks, anchor, day),
                  ref::expected(type, kNoTicks, anchor, day))
            << "type " << type << " anchor " << anchor << " day " << day;
      }
    }
  }
}

TEST(NextOccurrence, WeeklyAgreesForEveryTickCombination) {
  const int first = date(2024, 1, 1);
  const int last = date(2025, 12, 31);
  for (unsigned mask = 0; mask < 128; ++mask) {
    std::array<int, 7> ticks{};
    for (unsigned i = 0; i < 7; ++i) ticks[i] = (mask >> i) & 1u ? 1 : 0;
    for (int day = first; day <= last; ++day) {
      ASSERT_EQ(nextoccurrence(kTypeWeekly, ticks, kAnchorStart, day),
                ref::expected(kTypeWeekly, ticks, kAnchorStart, day))
          << "ticks " << mask << " day " << day;
    }
  }
}

TEST(NextOccurrence, CountingDown) {
  Planning p;
  p.type = 6;
  p.number_of_times = 3;
  EXPECT_FALSE(count_down_occurrence(p));
  EXPECT_EQ(p.number_of_times, 2);
  EXPECT_FALSE(count_down_occurrence(p));
  EXPECT_TRUE(count_down_occurrence(p));
  EXPECT_EQ(p.type, kTypeOneOff);
  EXPECT_FALSE(moves_on(p));
  Planning unlimited;
  unlimited.type = 6;
  EXPECT_FALSE(count_down_occurrence(unlimited));
  EXPECT_EQ(unlimited.number_of_times, -1);
  unlimited.number_of_times = 0;  // up to the deadline
  EXPECT_FALSE(count_down_occurrence(unlimited));
  EXPECT_EQ(unlimited.number_of_times, 0);
  EXPECT_TRUE(moves_on(unlimited));
  unlimited.series_link = "1700000000";
  EXPECT_FALSE(moves_on(unlimited));
}

}  // namespace
}  // namespace tavelo
