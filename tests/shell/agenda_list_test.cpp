#include "shell/agenda_list.hpp"

#include <gtest/gtest.h>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::write_bytes;

const int kToday = daynumber(2026, 3, 6);

Planning planning(std::string subject, int journal = 1) {
  Planning p;
  p.subject = std::move(subject);
  p.journal = journal;
  return p;
}

AgendaPlanning at(int day, int hour, int minute, Planning p) {
  return {planning_base_name(day, time_text(hour, minute)), day, hour, minute, std::move(p)};
}

AgendaList pass(std::vector<AgendaPlanning>& plannings, int hour, int minute, bool shown,
                AlarmState& state, const std::vector<std::string>& filter = {}) {
  return list_pass(plannings, {kToday, hour * 60 + minute, &filter, shown}, state);
}

TEST(AgendaList, APlanningOfTodayIsPreparedUntilItsTimeAndMissedAfter) {
  std::vector<AgendaPlanning> plannings = {at(kToday, 14, 30, planning("Dentiste"))};
  AlarmState state = AlarmState::kIdle;
  AgendaList list = pass(plannings, 14, 0, false, state);
  EXPECT_EQ(list.next_alarm, 14 * 60 + 30);
  EXPECT_EQ(list.prepared, 0u);
  EXPECT_EQ(state, AlarmState::kIdle);
  // At its own minute it is still due, not missed.
  list = pass(plannings, 14, 30, false, state);
  EXPECT_EQ(list.prepared, 0u);
  EXPECT_TRUE(list.now_signalled.empty());
  // Found past and never signalled (the computer was off): the default alarm rings for it.
  list = pass(plannings, 15, 5, false, state);
  EXPECT_EQ(list.now_signalled, (std::vector<std::size_t>{0}));
  EXPECT_EQ(plannings[0].planning.alarm_state, 1);
  EXPECT_TRUE(list.late_signalling);
  EXPECT_EQ(state, AlarmState::kDefaultAlarm);
  EXPECT_FALSE(list.prepared);
  EXPECT_EQ(list.missed_today, "\r\n  14:30, Dentiste");
  // Signalled, it is neither missed again nor due.
  state = AlarmState::kHandled;
  list = pass(plannings, 15, 6, false, state);
  EXPECT_EQ(list.next_alarm, -1);
  EXPECT_TRUE(list.missed_today.empty());
}

TEST(AgendaList, WithTheWindowShownAMissedPlanningRingsItsOwnAlarm) {
  std::vector<AgendaPlanning> plannings = {at(kToday, 9, 5, planning("Courrier")),
                                           at(kToday, 10, 0, planning("Sans journal", 0)),
                                           at(kToday, 16, 0, planning("Réunion"))};
  AlarmState state = AlarmState::kIdle;
  const AgendaList list = pass(plannings, 12, 0, true, state);
  EXPECT_EQ(state, AlarmState::kIdle);
  EXPECT_FALSE(list.late_signalling);
  EXPECT_EQ(list.prepared, 0u);  // the first one not signalled
  EXPECT_EQ(list.next_alarm, 9 * 60 + 5);
  EXPECT_EQ(list.now_signalled, (std::vector<std::size_t>{0, 1}));
  // Only plannings kept in the journal are named in the late signalling.
  EXPECT_EQ(list.missed_today, "\r\n  9:5, Courrier");
  EXPECT_EQ(list.selected, 1);  // the last planning of today already passed
}

TEST(AgendaList, FilteredCategoriesTasksAndFarPlanningsStayOutOfTheAlarms) {
  Planning work = planning("Rapport");
  work.category = "travail";
  Planning task = planning("Sauvegarde");
  task.task.active = 1;
  Planning next_week = planning("Anniversaire");
  next_week.forewarning_days = 7;
  std::vector<AgendaPlanning> plannings = {at(kToday, 10, 0, work), at(kToday, 11, 0, task),
                                           at(kToday + 3, 8, 0, planning("Loin")),
                                           at(kToday + 7, 8, 0, next_week)};
  AlarmState state = AlarmState::kIdle;
  const AgendaList list = pass(plannings, 9, 0, false, state, {"travail"});
  EXPECT_EQ(list.lines,
            (std::vector<std::string>{"11:00: Sauvegarde", "dans 7 jours, à 08:00: Anniversaire"}));
  EXPECT_EQ(list.line_plannings, (std::vector<std::size_t>{1, 3}));
  EXPECT_EQ(list.next_alarm, -1);  // a planning with a task runs its task instead of ringing
  EXPECT_EQ(list.with_tasks, (std::vector<std::size_t>{1}));
}

TEST(AgendaList, LinesTellTheDayTheNoteAndTheSeries) {
  Planning noted = planning("Dentiste");
  noted.note_kind = 2;
  noted.note = "prendre la carte";
  noted.forewarning_days = 1;
  Planning series = planning("Cours");
  series.type = 2;
  series.series_link = "1700000000";
  series.occurrence_number = 2;
  series.number_of_times = 5;
  series.forewarning_days = 3;
  Planning counted = planning("Piscine");
  counted.type = 2;
  counted.number_of_times = 4;
  std::vector<AgendaPlanning> plannings = {at(kToday, 8, 0, counted), at(kToday + 1, 9, 30, noted),
                                           at(kToday + 3, 18, 0, series)};
  AlarmState state = AlarmState::kIdle;
  const AgendaList list = pass(plannings, 7, 0, false, state);
  EXPECT_EQ(list.lines,
            (std::vector<std::string>{"08:00: Piscine (4 fois)", "demain: à 09:30: (note) Dentiste",
                                      "dans 3 jours, à 18:00: Cours (2 de 5)"}));
  EXPECT_EQ(list.selected, 0);
  std::vector<AgendaPlanning> none;
  EXPECT_EQ(pass(none, 7, 0, false, state).lines, (std::vector<std::string>{kNothingToReport}));
}

TEST(AgendaList, OnlyPlanningFilesFromTodayOnAreRead) {
  TempFolder folder;
  const Settings settings = default_settings(kToday, false);
  const fs::path rdv = planning_folder(folder.path());
  fs::create_directories(rdv);
  for (const auto& [day, subject] :
       {std::pair{kToday - 1, "hier"}, {kToday, "aujourd'hui"}, {kToday + 300, "trop loin"}}) {
    write_bytes(rdv / planning_base_name(day, "10:00"), write_planning(planning(subject)));
  }
  write_bytes(rdv / "notes.gnd", "pas une planification");
  write_bytes(rdv / (planning_base_name(kToday, "11:00") + "a"), "\x01");  // cut short
  const std::vector<AgendaPlanning> read = read_agenda_plannings(folder.path(), settings, kToday);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].planning.subject, "aujourd'hui");
  EXPECT_EQ(read[1].minutes(), 11 * 60);
}

}  // namespace
}  // namespace tavelo
