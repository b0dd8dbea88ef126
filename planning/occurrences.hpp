#pragma once

#include <array>
#include <string>

#include "planning/records.hpp"

namespace tavelo {

// Recurrence types: the position of the entry in the editor's type list.
inline constexpr int kTypeOneOff = 1;         // "occasionnel"
inline constexpr int kTypeWeekly = 2;         // "à la semaine": the ticked weekdays
inline constexpr int kTypeMonthly = 6;        // "mensuel"
inline constexpr int kTypeMonthWeek1 = 11;    // "mois semaine 1" .. 14 "mois semaine 4"
inline constexpr int kTypeYearly = 15;        // "annuel"
inline constexpr int kTypeYearWeek1 = 16;     // "année semaine 1" .. 19 "année semaine 4"
inline constexpr int kTypeEveryTwoDays = 20;  // "aux 2 jours" .. 78 "aux 60 jours"
inline constexpr int kLastType = 78;

inline constexpr int kAnchorStart = 1;  // "du début du mois"
inline constexpr int kAnchorEnd = 2;    // "de la fin du mois"

// The last day the occurrence walks go to (31 December 9999). A date beyond it only comes from a
// damaged or hand-made file name; walks stop there instead of running through the calendar's end.
int last_planning_day();

// "occasionnel", "à la semaine", …, "aux 60 jours": the editor's type list.
std::string recurrence_type_name(int type);

// Types 2 to 78 move on; type 1 and any value outside 1..78 (a damaged file) happen once.
bool is_recurring_type(int type);

// The day after `day` on which the recurrence falls next. Type 1, and any type outside 2..78,
// gives `day` back. A weekly planning with no weekday ticked (a damaged or hand-made file) is
// taken as ticked on the weekday of `day`, so it moves on by one week; the month anchor is 2 only
// for "de la fin du mois", any other value counts from the start. `day` must lie between 0 and
// last_planning_day().
int nextoccurrence(int type, const std::array<int, 7>& weekday_ticks, int month_anchor, int day);
int nextoccurrence(const Planning& planning, int day);

// The monthly step alone (type 6), which types 7 to 10 repeat.
int monthly_step(int day);

// The remaining count of a passed occurrence: a count of 1 makes this occurrence the last one
// (the planning becomes type 1, and true is returned); a larger count is decreased by one; 0
// ("jusqu'à la date limite") and -1 (unlimited) stay.
bool count_down_occurrence(Planning& planning);

// Whether a passed planning moves on to another occurrence: a recurring type, not a reproduced
// occurrence of a series (whose series link is set).
bool moves_on(const Planning& planning);

}  // namespace tavelo
