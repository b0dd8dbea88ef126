#include "shell/calendar_form.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"

namespace tavelo {

namespace {

std::string two_digits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value % 100);
  return text;
}

int clamped(int day) {
  return std::clamp(day, kFirstCalendarDay, last_calendar_day());
}

// The same day of the next (previous) month, or that month's last day when it is shorter.
int month_step(int day, int months) {
  const CalendarDate date = date_of(day);
  int month = date.month - 1 + months;
  const int year = date.year + (month < 0 ? -1 : month / 12);
  month = (month % 12 + 12) % 12 + 1;
  int day_of_month = date.day;
  while (!is_valid_date(year, month, day_of_month)) --day_of_month;
  return daynumber(year, month, day_of_month);
}

// The nearest day with plannings found by steps of `step` days, not past `limit`.
int stepped_day_with_plannings(int day, int step, int limit, const DayIndex& index) {
  for (int probe = day + step; step < 0 ? probe >= limit : probe <= limit; probe += step) {
    if (index.count(probe) > 0) return probe;
  }
  return day;
}

int earlier_day_with_plannings(int day, const DayIndex& index) {
  return index.day_before(day).value_or(day);
}

int later_day_with_plannings(int day, const DayIndex& index) {
  return index.day_after(day).value_or(day);
}

}  // namespace

int last_calendar_day() {
  return daynumber(2999, 12, 31);
}

int grid_first_day(int day) {
  const CalendarDate date = date_of(day);
  const int first_of_month = daynumber(date.year, date.month, 1);
  return first_of_month - weekday(first_of_month);
}

std::string grid_cell(int day, int plannings) {
  if (plannings > 3) return two_digits(dayofmonth(day)) + "***+";
  const auto marks = static_cast<std::size_t>(std::max(plannings, 0));
  return two_digits(dayofmonth(day)) + std::string(marks, '*') + std::string(3 - marks, ' ');
}

std::vector<std::string> grid_cells(int first_day, const DayIndex& index) {
  std::vector<std::string> cells;
  cells.reserve(kGridCells);
  for (int day = first_day; day < first_day + kGridCells; ++day) {
    cells.push_back(grid_cell(day, index.count(day)));
  }
  return cells;
}

std::string day_list_line(std::string_view file_name, const Planning& planning) {
  const auto fields = parse_planning_name(file_name);
  const std::string time = fields ? time_text(fields->hour, fields->minute) : "--:--";
  return time + ": " + (planning.note.empty() ? "" : "(note) ") + planning.subject +
         series_suffix(planning);
}

std::string total_label(int total) {
  return std::to_string(total) + " planification" + (total > 1 ? "s" : "");
}

std::string day_summary(int day, int plannings, int total) {
  const CalendarDate date = date_of(day);
  const std::string_view month = kMonthNames[static_cast<std::size_t>(date.month)];
  std::string said(kDayNames[static_cast<std::size_t>(weekday(day))]);
  if (date.day == 1) {
    said += ". premier";
  } else {
    said.append(" ").append(std::to_string(date.day));
  }
  said.append(" ").append(month).append(" ").append(std::to_string(date.year));
  if (plannings == 0) return said + ", aucune planification.";
  if (plannings == 1) {
    said += ", une planification.";
  } else {
    said += ", " + std::to_string(plannings) + " planifications.";
  }
  return said + " total de " + std::to_string(total) + " planification. ";
}

std::optional<CalendarMove> calendar_move(std::string_view event, std::string_view key,
                                          bool grid_focused) {
  using M = CalendarMove;
  struct Binding {
    std::string_view name;
    bool grid_only;
    M move;
  };
  static constexpr std::array<Binding, 6> kEvents = {{
      {"btn6", false, M::kBack28Days},
      {"btn7", false, M::kForward28Days},
      {"btn12", false, M::kYearBack},
      {"btn13", false, M::kYearForward},
      {"menu3000", false, M::kPreviousMonth},
      {"menu3001", false, M::kNextMonth},
  }};
  static constexpr std::array<Binding, 15> kKeys = {{
      {"pageup", false, M::kBack28Days},
      {"pagedown", false, M::kForward28Days},
      {"controlpageup", false, M::kYearBack},
      {"controlpagedown", false, M::kYearForward},
      {"left", true, M::kPreviousDay},
      {"right", true, M::kNextDay},
      {"up", true, M::kPreviousWeek},
      {"down", true, M::kNextWeek},
      {"home", true, M::kToday},
      {"controlhome", true, M::kFirstPlanningDay},
      {"controlend", true, M::kLastPlanningDay},
      {"shiftj", true, M::kEarlierDayWithPlannings},
      {"j", true, M::kLaterDayWithPlannings},
      {"shifts", true, M::kEarlierWeekdayWithPlannings},
      {"s", true, M::kLaterWeekdayWithPlannings},
  }};
  for (const Binding& binding : kEvents) {
    if (binding.name == event) return binding.move;
  }
  for (const Binding& binding : kKeys) {
    if (binding.name == key && (grid_focused || !binding.grid_only)) {
      return binding.move;
    }
  }
  return std::nullopt;
}

CalendarPage calendar_page(int day, const DayIndex& index, const fs::path& program_folder,
                           const Settings& settings) {
  CalendarPage page;
  page.first_day = grid_first_day(day);
  page.cells = grid_cells(page.first_day, index);
  page.selected_cell = day - page.first_day;
  const fs::path plannings = planning_folder(program_folder);
  for (const std::string& file : index.files(day)) {
    int readerror = 0;
    page.files.push_back(file);
    page.lines.push_back(
        day_list_line(file, loadplanning(plannings / file, program_folder, settings, readerror)));
  }
  page.total = total_label(index.total());
  page.summary = day_summary(day, static_cast<int>(page.files.size()), index.total());
  return page;
}

int year_back(int day) {
  const int day_of_month = dayofmonth(day);
  int moved = day - 364;
  while (dayofmonth(moved) != day_of_month) --moved;
  return moved;
}

int year_forward(int day) {
  const int day_of_month = dayofmonth(day);
  int moved = day + 364;
  while (dayofmonth(moved) != day_of_month) ++moved;
  return moved;
}

int moved_day(CalendarMove move, int day, int today, const DayIndex& index) {
  using M = CalendarMove;
  const int first = index.first_day().value_or(today);
  const int last = index.last_day().value_or(today);
  switch (move) {
    case M::kPreviousDay:
      return clamped(day - 1);
    case M::kNextDay:
      return clamped(day + 1);
    case M::kPreviousWeek:
      return clamped(day - 7);
    case M::kNextWeek:
      return clamped(day + 7);
    case M::kBack28Days:
      return clamped(day - 28);
    case M::kForward28Days:
      return clamped(day + 28);
    case M::kYearBack:
      return day - 400 < kFirstCalendarDay ? day : year_back(day);
    case M::kYearForward:
      return day + 400 > last_calendar_day() ? day : year_forward(day);
    case M::kPreviousMonth:
      return clamped(month_step(day, -1));
    case M::kNextMonth:
      return clamped(month_step(day, 1));
    case M::kToday:
      return today;
    case M::kFirstPlanningDay:
      return first;
    case M::kLastPlanningDay:
      return last;
    case M::kEarlierDayWithPlannings:
      return earlier_day_with_plannings(day, index);
    case M::kLaterDayWithPlannings:
      return later_day_with_plannings(day, index);
    case M::kEarlierWeekdayWithPlannings:
      return stepped_day_with_plannings(day, -7, first, index);
    case M::kLaterWeekdayWithPlannings:
      return stepped_day_with_plannings(day, 7, last, index);
  }
  return day;
}

}  // namespace tavelo
