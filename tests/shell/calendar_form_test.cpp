#include "shell/calendar_form.hpp"

#include <gtest/gtest.h>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::write_bytes;

class CalendarForm : public ::testing::Test {
 protected:
  CalendarForm() { fs::create_directories(rdv()); }

  fs::path rdv() const { return planning_folder(folder_.path()); }
  void add(int day, std::string_view time) {
    write_bytes(rdv() / free_planning_name(rdv(), day, time), write_planning(Planning{}));
  }
  // The folder's change is older than any the index could miss, so that it lists once only.
  void settle() {
    fs::last_write_time(rdv(), fs::file_time_type::clock::now() - std::chrono::minutes(1));
  }

  TempFolder folder_;
  DayIndex index_{rdv()};
};

TEST_F(CalendarForm, TheGridShowsSixWeeksFromTheSundayWithAStarPerPlanning) {
  const int first_of_december = daynumber(2026, 12, 1);  // a Tuesday
  for (const char* time : {"08:00", "09:00", "10:00", "11:00"}) add(first_of_december, time);
  add(first_of_december + 1, "08:00");
  add(first_of_december + 1, "08:00");
  add(first_of_december + 2, "08:00");
  index_.refresh();

  const int first = grid_first_day(daynumber(2026, 12, 17));
  EXPECT_EQ(first, daynumber(2026, 11, 29));
  const std::vector<std::string> cells = grid_cells(first, index_);
  ASSERT_EQ(cells.size(), 42u);
  EXPECT_EQ(cells[0], "29   ");
  EXPECT_EQ(cells[2], "01***+");
  EXPECT_EQ(cells[3], "02** ");
  EXPECT_EQ(cells[4], "03*  ");
  EXPECT_EQ(cells[41], "09   ");
  EXPECT_EQ(index_.total(), 7);
  EXPECT_EQ(total_label(7), "7 planifications");
  EXPECT_EQ(total_label(1), "1 planification");
  EXPECT_EQ(total_label(0), "0 planification");
}

TEST_F(CalendarForm, AMonthThatStartsOnSundayStartsTheGrid) {
  EXPECT_EQ(grid_first_day(daynumber(2026, 2, 20)), daynumber(2026, 2, 1));
}

TEST_F(CalendarForm, TheIndexSeesWhatAnotherProgramAddsOrDeletes) {
  add(46000, "09:30");
  settle();
  EXPECT_TRUE(index_.refresh());
  EXPECT_FALSE(index_.refresh());
  EXPECT_EQ(index_.count(46000), 1);

  add(46001, "10:00");
  EXPECT_TRUE(index_.refresh());
  EXPECT_EQ(index_.count(46001), 1);
  fs::remove(rdv() / planning_base_name(46000, "09:30"));
  EXPECT_TRUE(index_.refresh());
  EXPECT_EQ(index_.count(46000), 0);
  EXPECT_EQ(index_.first_day(), 46001);

  settle();
  index_.refresh();
  EXPECT_FALSE(index_.refresh());
  index_.invalidate();
  EXPECT_TRUE(index_.refresh());
}

TEST_F(CalendarForm, StrayFilesCountInTheTotalButInNoDay) {
  write_bytes(rdv() / "notes.gnd", "x");
  add(46000, "09:30");
  index_.refresh();
  EXPECT_EQ(index_.total(), 2);
  EXPECT_EQ(index_.first_day(), 46000);
  EXPECT_EQ(index_.last_day(), 46000);
}

TEST_F(CalendarForm, TheDaysWithPlanningsAreReachedBothWays) {
  const int monday = daynumber(2026, 3, 2);
  add(monday - 14, "08:00");  // a Monday, two weeks before
  add(monday - 3, "08:00");   // a Friday
  add(monday + 2, "08:00");   // a Wednesday
  add(monday + 21, "08:00");  // a Monday, three weeks after
  index_.refresh();
  using M = CalendarMove;
  const int today = monday;
  EXPECT_EQ(moved_day(M::kEarlierDayWithPlannings, monday, today, index_), monday - 3);
  EXPECT_EQ(moved_day(M::kLaterDayWithPlannings, monday, today, index_), monday + 2);
  EXPECT_EQ(moved_day(M::kEarlierWeekdayWithPlannings, monday, today, index_), monday - 14);
  EXPECT_EQ(moved_day(M::kLaterWeekdayWithPlannings, monday, today, index_), monday + 21);
  EXPECT_EQ(moved_day(M::kEarlierDayWithPlannings, monday - 14, today, index_), monday - 14);
  EXPECT_EQ(moved_day(M::kLaterWeekdayWithPlannings, monday + 21, today, index_), monday + 21);
  EXPECT_EQ(moved_day(M::kEarlierWeekdayWithPlannings, monday - 3, today, index_), monday - 3);
  EXPECT_EQ(moved_day(M::kFirstPlanningDay, monday, today, index_), monday - 14);
  EXPECT_EQ(moved_day(M::kLastPlanningDay, monday, today, index_), monday + 21);
  EXPECT_EQ(moved_day(M::kToday, monday + 5, today, index_), today);
}

TEST_F(CalendarForm, WithoutPlanningsTheFirstAndLastPlanningDaysAreToday) {
  index_.refresh();
  EXPECT_EQ(moved_day(CalendarMove::kFirstPlanningDay, 46100, 46000, index_), 46000);
  EXPECT_EQ(moved_day(CalendarMove::kLastPlanningDay, 46100, 46000, index_), 46000);
  EXPECT_EQ(moved_day(CalendarMove::kLaterDayWithPlannings, 46100, 46000, index_), 46100);
}

TEST_F(CalendarForm, AYearMoveKeepsTheDayOfTheMonth) {
  EXPECT_EQ(year_forward(daynumber(2028, 2, 29)), daynumber(2029, 3, 29));
  EXPECT_EQ(year_back(daynumber(2028, 2, 29)), daynumber(2027, 1, 29));
  EXPECT_EQ(year_forward(daynumber(2026, 12, 7)), daynumber(2027, 12, 7));
  EXPECT_EQ(year_back(daynumber(2027, 3, 31)), daynumber(2026, 3, 31));
  index_.refresh();
  EXPECT_EQ(moved_day(CalendarMove::kYearBack, 100, 100, index_), 100);
  EXPECT_EQ(moved_day(CalendarMove::kYearForward, last_calendar_day() - 10, 100, index_),
            last_calendar_day() - 10);
}

TEST_F(CalendarForm, TheKeypadMovesByMonthsAndStaysInShortMonths) {
  index_.refresh();
  const int today = daynumber(2026, 1, 31);
  EXPECT_EQ(moved_day(CalendarMove::kNextMonth, today, today, index_), daynumber(2026, 2, 28));
  EXPECT_EQ(moved_day(CalendarMove::kPreviousMonth, today, today, index_), daynumber(2025, 12, 31));
  EXPECT_EQ(moved_day(CalendarMove::kNextMonth, daynumber(2026, 12, 15), today, index_),
            daynumber(2027, 1, 15));
  EXPECT_EQ(moved_day(CalendarMove::kPreviousDay, kFirstCalendarDay, today, index_),
            kFirstCalendarDay);
  EXPECT_EQ(moved_day(CalendarMove::kForward28Days, today, today, index_), today + 28);
}

TEST_F(CalendarForm, ThePageOfADayListsItsPlanningsAndSaysThem) {
  const int day = daynumber(2026, 12, 7);
  Planning dentist;
  dentist.subject = "dentiste";
  dentist.note = "carte vitale";
  dentist.note_kind = 2;
  write_bytes(rdv() / planning_base_name(day, "14:05"), write_planning(dentist));
  add(day, "09:30");
  add(day + 1, "09:30");
  index_.refresh();
  Settings settings;
  const CalendarPage page = calendar_page(day, index_, folder_.path(), settings);
  EXPECT_EQ(page.first_day, daynumber(2026, 11, 29));
  EXPECT_EQ(page.selected_cell, 8);
  EXPECT_EQ(page.cells[8], "07** ");
  EXPECT_EQ(page.files, (std::vector<std::string>{planning_base_name(day, "09:30"),
                                                  planning_base_name(day, "14:05")}));
  EXPECT_EQ(page.lines, (std::vector<std::string>{"09:30: ", "14:05: (note) dentiste"}));
  EXPECT_EQ(page.total, "3 planifications");
  EXPECT_EQ(page.summary, "Lundi 7 Décembre 2026, 2 planifications. total de 3 planification. ");
}

TEST(CalendarKeys, TheGridKeysMoveOnlyWhileTheGridHasTheFocus) {
  using M = CalendarMove;
  EXPECT_EQ(calendar_move("", "left", true), M::kPreviousDay);
  EXPECT_EQ(calendar_move("", "left", false), std::nullopt);
  EXPECT_EQ(calendar_move("", "shiftj", true), M::kEarlierDayWithPlannings);
  EXPECT_EQ(calendar_move("", "pagedown", false), M::kForward28Days);
  EXPECT_EQ(calendar_move("", "controlpageup", false), M::kYearBack);
  EXPECT_EQ(calendar_move("btn13", "", false), M::kYearForward);
  EXPECT_EQ(calendar_move("menu3001", "", false), M::kNextMonth);
  EXPECT_EQ(calendar_move("menu3000", "", true), M::kPreviousMonth);
  EXPECT_EQ(calendar_move("lst21", "", true), std::nullopt);
}

TEST(CalendarTexts, TheSummarySaysTheDayAndItsPlannings) {
  EXPECT_EQ(day_summary(daynumber(2026, 12, 1), 0, 5),
            "Mardi. premier Décembre 2026, aucune "
            "planification.");
  EXPECT_EQ(day_summary(daynumber(2026, 12, 7), 1, 5),
            "Lundi 7 Décembre 2026, une planification. total de 5 planification. ");
  EXPECT_EQ(day_summary(daynumber(2026, 12, 8), 3, 5),
            "Mardi 8 Décembre 2026, 3 planifications. total de 5 planification. ");
}

TEST(CalendarTexts, ADayListLineGivesTimeNoteSubjectAndSeries) {
  Planning p;
  p.subject = "dentiste";
  EXPECT_EQ(day_list_line("46000 09-30.gnd", p), "09:30: dentiste");
  p.note = "apporter la carte";
  p.number_of_times = 4;
  EXPECT_EQ(day_list_line("46000 14-05.gnda", p), "14:05: (note) dentiste, (4 fois)");
  p.series_link = "1700000000";
  p.occurrence_number = 2;
  p.number_of_times = 5;
  EXPECT_EQ(day_list_line("46000 14-05.gnd;1700000000", p), "14:05: (note) dentiste, (2 de 5)");
}

}  // namespace
}  // namespace tavelo
