#include "planning/editor_form.hpp"

#include <algorithm>

#include "planning/calendar.hpp"
#include "planning/chain.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"

namespace tavelo {

Recurrence recurrence_of(const Planning& planning) {
  return {planning.type, planning.weekday_ticks, planning.month_anchor, planning.number_of_times};
}

namespace {

bool one_off(int type) {
  return !is_recurring_type(type);
}

std::string count_text(const Planning& planning) {
  if (one_off(planning.type) || planning.number_of_times == 0) return {};
  return std::to_string(planning.number_of_times);
}

}  // namespace

EditorFields fields_of(const Planning& planning, std::string_view time) {
  EditorFields f;
  f.category = std::string(trim_spaces(planning.category));
  f.subject = planning.subject;
  f.time = time;
  f.type = std::clamp(planning.type, 1, kLastType);
  f.month_anchor = planning.month_anchor == kAnchorEnd ? kAnchorEnd : kAnchorStart;
  f.weekday_ticks = planning.weekday_ticks;
  f.forewarning_days = std::clamp(planning.forewarning_days, 0, 255);
  f.number_of_times = count_text(planning);
  f.journal = planning.journal != 0;
  return f;
}

std::vector<std::string> recurrence_type_names() {
  std::vector<std::string> names;
  for (int type = 1; type <= kLastType; ++type) names.push_back(recurrence_type_name(type));
  return names;
}

std::vector<std::string> forewarning_day_names() {
  std::vector<std::string> names;
  for (int days = 0; days <= 255; ++days) names.push_back(std::to_string(days));
  return names;
}

std::vector<std::string> day_time_names() {
  std::vector<std::string> times;
  times.reserve(24 * 60);
  for (int minute = 0; minute < 24 * 60; ++minute) {
    times.push_back(time_text(minute / 60, minute % 60));
  }
  return times;
}

TypeControls controls_of_type(int type) {
  const bool anchored = (type >= kTypeMonthWeek1 && type < kTypeMonthWeek1 + 4) ||
                        (type >= kTypeYearWeek1 && type < kTypeYearWeek1 + 4);
  return {!one_off(type), type == kTypeWeekly, anchored};
}

std::array<int, 7> ticks_of_day(int day) {
  std::array<int, 7> ticks{};
  ticks[static_cast<std::size_t>(weekday(day))] = 1;
  return ticks;
}

namespace {

// The same day and month `years` away; a 29 February that the year lacks becomes the 1 March
// going forward and the 28 February going back.
int years_away(int day, int years) {
  CalendarDate date = date_of(day);
  date.year += years;
  if (date.year < 1901 || date.year > 9999) return day;
  if (!is_valid_date(date.year, date.month, date.day)) {
    if (years > 0) return daynumber(date.year, 3, 1);
    return daynumber(date.year, 2, 28);
  }
  return daynumber(date);
}

}  // namespace

std::optional<int> moved_working_date(std::string_view key, int day, int today) {
  int moved = 0;
  if (key == "home") {
    return today;
  } else if (key == "right") {
    moved = day + 1;
  } else if (key == "left") {
    moved = day - 1;
  } else if (key == "down") {
    moved = day + 7;
  } else if (key == "up") {
    moved = day - 7;
  } else if (key == "pagedown") {
    moved = day + 28;
  } else if (key == "pageup") {
    moved = day - 28;
  } else if (key == "controlpagedown") {
    moved = years_away(day, 1);
  } else if (key == "controlpageup") {
    moved = years_away(day, -1);
  } else {
    return std::nullopt;
  }
  if (moved < day) return std::max(moved, today);
  return std::min(moved, last_planning_day());
}

std::string spoken_date(int day) {
  const CalendarDate date = date_of(day);
  return std::string(kDayNames[static_cast<std::size_t>(weekday(day))]) + ", le " +
         (date.day == 1 ? std::string("premier") : std::to_string(date.day)) + " " +
         std::string(kMonthNames[static_cast<std::size_t>(date.month)]) + " " +
         std::to_string(date.year);
}

namespace {

// The day `steps` occurrences after `day`; the walk stops where the recurrence does not move on.
int day_after(const Recurrence& r, int day, int steps) {
  for (int step = 0; step < steps; ++step) {
    const int next = nextoccurrence(r.type, r.weekday_ticks, r.month_anchor, day);
    if (next <= day || next > last_planning_day()) break;
    day = next;
  }
  return day;
}

}  // namespace

std::string date_summary(int day, const Recurrence& recurrence, int occurrence_number) {
  std::string summary = "date: " + spoken_date(day);
  if (occurrence_number >= 1) {
    summary += ", (" + std::to_string(occurrence_number) + " de " +
               std::to_string(recurrence.number_of_times) + ")";
  }
  if (one_off(recurrence.type) || recurrence.number_of_times < 1) return summary;
  const int remaining = recurrence.number_of_times - std::max(occurrence_number, 1);
  if (remaining == 0) return summary + ", dernière occurrence";
  if (remaining > 0) {
    summary += ", occurrente jusqu'au " + spoken_date(day_after(recurrence, day, remaining));
  }
  return summary;
}

int typed_number_of_times(std::string_view typed, int type) {
  if (one_off(type)) return -1;
  return static_cast<int>(std::clamp<std::int64_t>(leading_integer(typed), -1, kMostTimes));
}

namespace {

bool all_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool is_hh_mm(std::string_view text) {
  return text.size() == 5 && text[2] == ':' && all_digits(text.substr(0, 2)) &&
         all_digits(text.substr(3)) && (text[0] - '0') * 10 + (text[1] - '0') < 24 &&
         (text[3] - '0') * 10 + (text[4] - '0') < 60;
}

}  // namespace

std::optional<std::string> time_of_entry(std::string_view typed) {
  const std::string_view text = trim_spaces(typed);
  if (is_hh_mm(text)) return std::string(text);
  if (text.empty() || text.size() >= 5) return std::nullopt;
  // Built piece by piece: GCC 12 warns falsely (-Wrestrict) on "0" + string at -O3.
  std::string padded(1, '0');
  padded += text;
  if (is_hh_mm(padded)) return padded;
  for (int minute = 0; minute < 24 * 60; ++minute) {
    std::string time = time_text(minute / 60, minute % 60);
    if (time.starts_with(text)) return time;
  }
  return std::nullopt;
}

std::variant<int, std::string_view> read_final_date(std::string_view answer, int day, int today) {
  constexpr std::string_view separators = " /.-:";
  const std::string text(trim_spaces(answer));
  if (chaincount(text, separators) != 3) return kBadDateFormat;
  const std::string d = chain(text, separators, 1);
  const std::string m = chain(text, separators, 2);
  const std::string y = chain(text, separators, 3);
  if (!all_digits(d) || !all_digits(m) || !all_digits(y) || d.size() > 2 || m.size() > 2 ||
      y.size() > 4) {
    return kInvalidDate;
  }
  const int year = std::stoi(y);
  const int month = std::stoi(m);
  const int day_of_month = std::stoi(d);
  if (year < 1901 || !is_valid_date(year, month, day_of_month)) return kInvalidDate;
  const int final_day = daynumber(year, month, day_of_month);
  if (final_day < day || final_day < today) return kDateTooEarly;
  return final_day;
}

int occurrences_until(const Recurrence& r, int day, int final_day) {
  int count = 1;
  while (count < kMostTimes) {
    const int next = nextoccurrence(r.type, r.weekday_ticks, r.month_anchor, day);
    if (next <= day || next > final_day) break;
    day = next;
    ++count;
  }
  return count;
}

void fill_planning(const EditorFields& f, Planning& p) {
  p.subject = std::string(trim_spaces(f.subject));
  p.type = std::clamp(f.type, 1, kLastType);
  p.weekday_ticks = p.type == kTypeWeekly ? f.weekday_ticks : std::array<int, 7>{};
  p.journal = f.journal ? 1 : 0;
  p.forewarning_days = std::clamp(f.forewarning_days, 0, 255);
  p.number_of_times = typed_number_of_times(f.number_of_times, p.type);
  p.month_anchor = controls_of_type(p.type).anchor ? f.month_anchor : kAnchorStart;
  const std::string_view category = trim_spaces(f.category);
  p.category = category.empty() ? std::string(" ") : as_stored(category);
  p.alarm_state = 0;
  p.task.state = 0;
}

void take_template_options(const Planning& t, Planning& p, EditorFields& fields) {
  fields.journal = t.journal != 0;
  fields.forewarning_days = std::clamp(t.forewarning_days, 0, 255);
  p.alarm = t.alarm;
  p.task = t.task;
  p.spoken = t.spoken;
  p.url_task_link = t.url_task_link;
  p.url_task_active = t.url_task_active;
  p.mail = t.mail;
  p.mail_approved = t.mail_approved;
  p.sharing_identifiers = t.sharing_identifiers;
}

}  // namespace tavelo
