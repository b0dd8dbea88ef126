#include "shell/due_alarm.hpp"

#include <gtest/gtest.h>

#include "alarms/alarm_profile.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;

LocalTime at(int hour, int minute) {
  return {2026, 3, 6, hour, minute, 0, 0};
}

Settings night(int start_hour, int end_hour, std::string alarm = {}) {
  Settings s = default_settings(0, false);
  s.night_mode_active = 1;
  s.night_mode = {start_hour, 0, end_hour, 0};
  s.night_alarm = std::move(alarm);
  return s;
}

TEST(DueAlarm, TheNightRunsPastMidnightAndNeverWhenItStartsAsItEnds) {
  const Settings s = night(22, 7);
  EXPECT_TRUE(night_applies(s, at(23, 30)));
  EXPECT_TRUE(night_applies(s, at(6, 59)));
  EXPECT_FALSE(night_applies(s, at(7, 0)));
  EXPECT_FALSE(night_applies(s, at(21, 59)));
  EXPECT_TRUE(night_applies(night(1, 5), at(1, 0)));
  EXPECT_FALSE(night_applies(night(1, 5), at(5, 0)));
  EXPECT_FALSE(night_applies(night(7, 7), at(7, 0)));
  Settings off = night(22, 7);
  off.night_mode_active = 0;
  EXPECT_FALSE(night_applies(off, at(23, 0)));
}

TEST(DueAlarm, AtNightThePlanningRingsTheNamedNightAlarmOrNothing) {
  TempFolder folder;
  fs::create_directories(planning_folder(folder.path()));
  AlarmProfile soft{1, "", 440, 100, 1000, 3, 0, 0};
  ASSERT_TRUE(SaveAlarmProfile(planning_folder(folder.path()) / "douce.alm", soft));
  Planning p;
  p.alarm = AlarmProfile{1, "", 1760, 50, 50, 120, 0, 0};
  DueAlarm alarm = planning_alarm("f.gnd", p);
  apply_night_rule(alarm, folder.path(), night(22, 7, "douce"), at(12, 0));
  EXPECT_FALSE(alarm.night);
  EXPECT_EQ(alarm.profile.frequency, 1760);
  apply_night_rule(alarm, folder.path(), night(22, 7, "douce"), at(23, 0));
  EXPECT_TRUE(alarm.night);
  EXPECT_EQ(alarm.profile.frequency, 440);
  for (const char* unusable : {"", "absente", "../douce"}) {
    apply_night_rule(alarm, folder.path(), night(22, 7, unusable), at(23, 0));
    EXPECT_EQ(alarm.profile.kind, silent_alarm().kind) << unusable;
    EXPECT_EQ(alarm.profile.repetitions, 1) << unusable;
  }
}

TEST(DueAlarm, TheJournalTellsWhatRangAndWhetherTheUserHeardIt) {
  Planning p;
  p.subject = "Dentiste";
  p.note_kind = 2;
  p.note = "carte vitale\r\nordonnance";
  DueAlarm alarm = planning_alarm("f.gnd", p);
  alarm.night = true;
  EXPECT_EQ(
      alarm_journal_lines(alarm, {true, "", "", ""}),
      (std::vector<std::string>{"  sujet:  Dentiste", "", "  note:", "carte vitale\r\nordonnance",
                                "  À cette heure, le mode nuit était actif.",
                                "  L'avertissement a été reçu par l'utilisateur."}));
  const Settings s = default_settings(0, false);
  EXPECT_EQ(alarm_journal_lines(default_alarm(DueAlarm::Kind::kForewarning, s),
                                {true, "leftshiftrightshift", "", forewarning_time_text(8, 5)}),
            (std::vector<std::string>{"  détection de la touche \"leftshiftrightshift\"",
                                      "  signalement de préavis...  initialement prévu à 08:05",
                                      "  L'avertissement a été reçu par l'utilisateur."}));
  EXPECT_EQ(
      alarm_journal_lines(default_alarm(DueAlarm::Kind::kForewarning, s), {false, "a", "", ""}),
      (std::vector<std::string>{"  détection de la touche \"a\"",
                                "  signalement de préavis sur disponibilité de l'utilisateur...",
                                "  L'avertissement n'a pas été reçu par l'utilisateur."}));
  EXPECT_EQ(alarm_journal_lines(default_alarm(DueAlarm::Kind::kLateSignalling, s),
                                {false, "", "\r\n  9:5, Courrier", ""}),
            (std::vector<std::string>{"  sujet:  signalement en retard...\r\n  9:5, Courrier",
                                      "  L'avertissement n'a pas été reçu par l'utilisateur."}));
}

}  // namespace
}  // namespace tavelo
