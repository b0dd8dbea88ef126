#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "planning/planning_file.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

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

// Where planning files are read and written.
struct PlanningStore {
  fs::path program_folder;
  const Settings& settings;
  const Clock& clock;
  bool share = false;       // saveplanning's share argument
  SendSharedCopies send{};  // receives the copies of shared plannings

  fs::path folder() const;
  bool save(const std::string& name, Planning& planning) const;
};

// "hh:mm" from an hour and a minute.
std::string time_text(int hour, int minute);

// Reproducing a series, without the question: the planning is written once per occurrence,
// `number_of_times` files named after their date and time followed by ";" and the series link
// (the current time in seconds). Each occurrence after the first loses a unique identifier that
// holds the own sharing identifier. In memory the series link is cleared and the occurrence
// number set to 0 afterwards. Returns the names written, in order.
std::vector<std::string> reproduce_series(const PlanningStore& store, Planning& planning, int day,
                                          std::string_view time);

// The editor's save: when the number of times is above 1, the planning is neither a category
// template nor a deadline subject ("LIMITE") and recurs, asks "Souhaitez-vous reproduire les
// occurrences dans le calendrier?" and on yes reproduces the series. Returns the names written
// (none when nothing was reproduced).
std::vector<std::string> offer_series_reproduction(const PlanningStore& store, Planning& planning,
                                                   int day, std::string_view time, bool is_template,
                                                   Prompts& prompts);

// Deletes every file of a series: the occurrences (".gnd…;" + link) and its end marker
// (".lmt;" + link). Returns how many were deleted; an empty link deletes nothing.
int delete_series(const fs::path& program_folder, std::string_view series_link);

// The question put before reproducing up to a deadline on `deadline_day`.
std::string deadline_reproduction_question(int deadline_day);

// Reproducing up to the deadline, without the question: one occurrence file for every date from
// `day` that is not after `deadline_day`; the last one also gets its end marker ".lmt;" + link.
// Returns the occurrence names written (the marker is not among them).
std::vector<std::string> reproduce_until_deadline(const PlanningStore& store, Planning& planning,
                                                  int day, std::string_view time, int deadline_day);

// The editor's save for a planning whose number of times is 0: when it is neither a template nor
// a deadline, recurs, and a deadline exists at or after today, asks the question and on yes
// reproduces up to the deadline.
std::vector<std::string> offer_deadline_reproduction(const PlanningStore& store, Planning& planning,
                                                     int day, std::string_view time,
                                                     bool is_template, bool is_deadline,
                                                     int deadline_day, int today, Prompts& prompts);

// The deadline maintenance (start-up and every save of the editor): one deadline at most, moved on
// to today or later (a passed one-off deadline is deleted), and the series that run up to it
// reproduced as far as it. Returns the deadline's day number, 0 when there is none.
int maintain_deadline(const PlanningStore& store, int today);

}  // namespace tavelo
