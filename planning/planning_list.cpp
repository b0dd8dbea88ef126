#include "planning/planning_list.hpp"

#include <cstdio>

#include "planning/calendar.hpp"
#include "planning/planning_names.hpp"

namespace tavelo {

namespace {

std::string two_digits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

// Appended piece by piece: GCC 12 at -O3 misreads a literal joined to a temporary string.
std::string series_count(const Planning& planning) {
  std::string count;
  if (!planning.series_link.empty()) {
    count += '(';
    count += std::to_string(planning.occurrence_number);
    count += " de ";
    count += std::to_string(planning.number_of_times);
    count += ")";
  } else if (planning.number_of_times > 0) {
    count += '(';
    count += std::to_string(planning.number_of_times);
    count += " fois)";
  }
  return count;
}

std::string series_suffix(const Planning& planning) {
  const std::string count = series_count(planning);
  if (count.empty()) return count;
  std::string suffix = ", ";
  suffix += count;
  return suffix;
}

std::optional<std::string> planning_list_line(std::string_view file_name,
                                              const Planning& planning) {
  const auto fields = parse_planning_name(file_name);
  if (!fields) return std::nullopt;
  const CalendarDate date = date_of(fields->day);
  return std::string(kDayNames[static_cast<std::size_t>(weekday(fields->day))]) + ", le " +
         std::to_string(date.day) + " " +
         std::string(kMonthNames[static_cast<std::size_t>(date.month)]) + " " +
         std::to_string(date.year) + " à " + two_digits(fields->hour) + ":" +
         two_digits(fields->minute) + "; " + planning.subject + series_suffix(planning);
}

}  // namespace tavelo
