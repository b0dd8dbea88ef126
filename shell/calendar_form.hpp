#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/records.hpp"
#include "platform/files.hpp"
#include "shell/day_index.hpp"

namespace tavelo {

// The calendar shows six weeks, Sunday first, around the month of the selected day.
inline constexpr int kGridWeeks = 6;
inline constexpr int kGridCells = kGridWeeks * 7;

// The first and last days the calendar moves to: 1 January 1901 and 31 December 2999.
inline constexpr int kFirstCalendarDay = 0;
int last_calendar_day();

// The Sunday on or before the first day of the month of `day`: the grid's first cell.
int grid_first_day(int day);

// A cell: the day of the month on two digits, then one "*" per planning up to three, padded
// with blanks to three; "***+" for more than three.
std::string grid_cell(int day, int plannings);
std::vector<std::string> grid_cells(int first_day, const DayIndex& index);

// One line of the day's list: "09:30: (note) subject, (2 de 5)".
std::string day_list_line(std::string_view file_name, const Planning& planning);

// Label 9: "1 planification", "12 planifications".
std::string total_label(int total);

// What the calendar says of the selected day after each move: "Mardi. premier Décembre 2026,
// une planification. total de 12 planification. " (the total while the day list shows).
std::string day_summary(int day, int plannings, int total);

// What the calendar shows for its selected day.
struct CalendarPage {
  int first_day = 0;  // the grid's first cell
  std::vector<std::string> cells;
  int selected_cell = 0;
  std::vector<std::string> files;  // the day's planning files, in time order
  std::vector<std::string> lines;  // their lines in the day's list
  std::string total;               // label 9
  std::string summary;             // what is said after a move
};
CalendarPage calendar_page(int day, const DayIndex& index, const fs::path& program_folder,
                           const Settings& settings);

// The moves of the selection.
enum class CalendarMove {
  kPreviousDay,
  kNextDay,
  kPreviousWeek,
  kNextWeek,
  kBack28Days,
  kForward28Days,
  kYearBack,
  kYearForward,
  kPreviousMonth,
  kNextMonth,
  kToday,
  kFirstPlanningDay,
  kLastPlanningDay,
  kEarlierDayWithPlannings,
  kLaterDayWithPlannings,
  kEarlierWeekdayWithPlannings,
  kLaterWeekdayWithPlannings,
};

// The move an event or key asks for; the keys of the grid move only while it has the focus.
std::optional<CalendarMove> calendar_move(std::string_view event, std::string_view key,
                                          bool grid_focused);

// Where a move takes the selected day. Moves to a day with plannings stay on the day when there
// is none, and never go beyond the first or last planning day.
int moved_day(CalendarMove move, int day, int today, const DayIndex& index);

// A year back (forward): 364 days, then day by day until the day of the month is the same again.
int year_back(int day);
int year_forward(int day);

}  // namespace tavelo
