#include "planning/occurrences.hpp"

#include <algorithm>
#include <cstdio>

#include "planning/calendar.hpp"
#include "planning/planning_names.hpp"
#include "platform/files.hpp"

namespace tavelo {

int last_planning_day() {
  static const int last = daynumber(9999, 12, 31);
  return last;
}

std::string recurrence_type_name(int type) {
  static constexpr std::array<std::string_view, 19> kNamed = {
      "occasionnel",        "à la semaine",        "aux deux semaines",
      "aux trois semaines", "aux quatre semaines", "mensuel",
      "aux deux mois",      "trimestriel",         "aux quatre mois",
      "semestriel",         "mois semaine 1",      "mois semaine 2",
      "mois semaine 3",     "mois semaine 4",      "annuel",
      "année semaine 1",    "année semaine 2",     "année semaine 3",
      "année semaine 4"};
  if (type >= 1 && type <= 19) return std::string(kNamed[static_cast<std::size_t>(type - 1)]);
  if (type >= kTypeEveryTwoDays && type <= kLastType) {
    return "aux " + std::to_string(type - 18) + " jours";
  }
  return {};
}

bool is_recurring_type(int type) {
  return type >= kTypeWeekly && type <= kLastType;
}

namespace {

// Type 2: the next ticked weekday. With no tick set the step has no answer; the planning is then
// taken as ticked on its own weekday, one week on.
int next_ticked_day(const std::array<int, 7>& ticks, int d) {
  const bool any = std::any_of(ticks.begin(), ticks.end(), [](int tick) { return tick != 0; });
  if (!any) return d + 7;
  do {
    ++d;
  } while (ticks[static_cast<std::size_t>(weekday(d))] == 0);
  return d;
}

// Types 11 to 14: the nth weekday of the next month, counted from its start or its end.
int month_week_step(int d, int n, int anchor) {
  int m = monthof(d);
  do {
    d += 7;
  } while (monthof(d) == m);
  if (anchor != kAnchorEnd) return d + 7 * (n - 1);
  m = monthof(d);
  do {
    d += 7;
  } while (monthof(d) == m);
  return d - 7 * n;
}

// Type 15: the same day and month next year; 29 February goes on as 1 March.
int yearly_step(int d) {
  CalendarDate date = date_of(d);
  if (date.month == 2 && date.day == 29) date = {date.year, 3, 1};
  return daynumber(date.year + 1, date.month, date.day);
}

// Types 16 to 19: the nth weekday of the same month next year, from its start or its end.
int year_week_step(int d, int n, int anchor) {
  const int y = yearof(d);
  const int m = monthof(d);
  do {
    d += 7;
  } while (yearof(d) == y);
  // Not a do-while: for January, the first weekday of the new year is already the one sought.
  while (monthof(d) != m) d += 7;
  if (anchor != kAnchorEnd) return d + 7 * (n - 1);
  do {
    d += 7;
  } while (monthof(d) == m);
  return d - 7 * n;
}

}  // namespace

int monthly_step(int d) {
  if (dayofmonth(d) == 31) {
    const int m = monthof(d);
    if (m == 3 || m == 5 || m == 8 || m == 10) d -= 1;  // the next month has 30 days
    if (monthof(d) == 1) d -= 3;                        // the next month is February
  }
  // The same day of the next month that has it: a 29th or a 30th may pass over February.
  const CalendarDate date = date_of(d);
  int year = date.year;
  int month = date.month;
  do {
    if (++month > 12) {
      month = 1;
      ++year;
    }
  } while (!is_valid_date(year, month, date.day));
  return daynumber(year, month, date.day);
}

int nextoccurrence(int type, const std::array<int, 7>& weekday_ticks, int month_anchor, int d) {
  switch (type) {
    case 2:
      return next_ticked_day(weekday_ticks, d);
    case 3:
    case 4:
    case 5:
      return d + 7 * (type - 1);  // 14, 21 or 28 days
    case 6:
    case 7:
    case 8:
    case 9:
    case 10: {
      static constexpr std::array<int, 5> kSteps = {1, 2, 3, 4, 6};
      for (int i = 0; i < kSteps[static_cast<std::size_t>(type - 6)]; ++i) d = monthly_step(d);
      return d;
    }
    case 11:
    case 12:
    case 13:
    case 14:
      return month_week_step(d, type - 10, month_anchor);
    case 15:
      return yearly_step(d);
    case 16:
    case 17:
    case 18:
    case 19:
      return year_week_step(d, type - 15, month_anchor);
    default:
      if (type >= kTypeEveryTwoDays && type <= kLastType) return d + (type - 18);
      return d;  // type 1, or a value no type has
  }
}

int nextoccurrence(const Planning& planning, int day) {
  return nextoccurrence(planning.type, planning.weekday_ticks, planning.month_anchor, day);
}

bool count_down_occurrence(Planning& planning) {
  if (planning.number_of_times == 1) {
    planning.type = kTypeOneOff;
    return true;
  }
  if (planning.number_of_times > 1) --planning.number_of_times;
  return false;
}

bool moves_on(const Planning& planning) {
  return is_recurring_type(planning.type) && planning.series_link.empty();
}

}  // namespace tavelo
