#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "planning/records.hpp"

namespace tavelo {

// The planning editor's form: what its controls hold, and the decisions behind them, without
// any window (shell/planning_editor_window.cpp shows them).

// The editor's modes: a new planning at a day, or the planning of a file.
inline constexpr int kNewPlanning = 0;
inline constexpr int kModifyPlanning = 1;

// Occurrence numbers and counts are stored in 16 bits.
inline constexpr int kMostTimes = 32767;

// What the occurrence walks of a planning need.
struct Recurrence {
  int type = 1;
  std::array<int, 7> weekday_ticks{};  // Sunday first
  int month_anchor = 1;
  int number_of_times = -1;
};
Recurrence recurrence_of(const Planning& planning);

// What the controls hold, as the user left them.
struct EditorFields {
  std::string category;  // the category box, as typed or chosen
  std::string subject;
  std::string time;  // the time box, as typed or chosen
  int type = 1;      // position in the type list + 1
  int month_anchor = 1;
  std::array<int, 7> weekday_ticks{};
  int forewarning_days = 0;
  std::string number_of_times;  // as typed
  bool journal = false;
};

// The controls' content for a planning at a time of day ("hh:mm").
EditorFields fields_of(const Planning& planning, std::string_view time);

// The entries of the lists: the 78 types, the two month anchors, the weekdays (Sunday first),
// the forewarning days 0 to 255 and the 1440 times of the day.
std::vector<std::string> recurrence_type_names();
inline constexpr std::array<std::string_view, 2> kAnchorNames = {"du début du mois",
                                                                 "de la fin du mois"};
std::vector<std::string> forewarning_day_names();
std::vector<std::string> day_time_names();

// Which controls a type shows: the number of times with "&recalculer" and "date &finale" for
// every type but the one-off, the weekday ticks for the weekly type, the month anchor for the
// nth-weekday types.
struct TypeControls {
  bool count = false;
  bool weekdays = false;
  bool anchor = false;
};
TypeControls controls_of_type(int type);

// The weekday ticks a weekly planning starts with: only the weekday of `day`.
std::array<int, 7> ticks_of_day(int day);

// The working date after a key of the dialog: "home" today, "right"/"left" a day,
// "down"/"up" a week, "pagedown"/"pageup" 28 days, "controlpagedown"/"controlpageup" a year.
// Moves back stop at today. Nothing for any other key.
std::optional<int> moved_working_date(std::string_view key, int day, int today);

// "Lundi, le premier Mars 2027": a date as the editor and the list say it.
std::string spoken_date(int day);

// The "date:" text: the date, the place of a reproduced occurrence (`occurrence_number` from 1),
// then ", dernière occurrence" on the last occurrence of a counted series or ", occurrente
// jusqu'au " and the date of its last one.
std::string date_summary(int day, const Recurrence& recurrence, int occurrence_number);

// The number of times as typed: -1 for the one-off type; otherwise an empty entry is 0, a value
// below -1 is -1 and none is above what 16 bits hold.
int typed_number_of_times(std::string_view typed, int type);

// The time as typed: "hh:mm", or "h:mm" with one digit of hour; a shorter entry is the first
// time of the day that begins with it ("14" is "14:00"). Nothing for anything else.
std::optional<std::string> time_of_entry(std::string_view typed);

// The final date's answer: "jj/mm/aaaa" with any of " /.-:" between the fields. Gives the day
// number, or the notice that refuses it. `day` is the working date.
inline constexpr std::string_view kBadDateFormat = "Tavelo\rLe format n'est pas conforme...";
inline constexpr std::string_view kInvalidDate = "Tavelo\rLa date est invalide...";
inline constexpr std::string_view kDateTooEarly =
    "Tavelo\rLa date doit être suppérieure au jour actuel et à celui de la présente "
    "planification.";
std::variant<int, std::string_view> read_final_date(std::string_view answer, int day, int today);

// The occurrences from `day` up to and including `final_day`, at most kMostTimes.
int occurrences_until(const Recurrence& recurrence, int day, int final_day);

// Step 7 of the confirmation: the controls into the current planning. The alarm and task states
// start again at 0.
void fill_planning(const EditorFields& fields, Planning& planning);

// The options a category's template gives a new planning: journal, forewarning days, alarm,
// task, spoken notification, URL task, mail notification and sharing. The subject, the date and
// time, the recurrence and the note stay the user's.
void take_template_options(const Planning& category_template, Planning& planning,
                           EditorFields& fields);

}  // namespace tavelo
