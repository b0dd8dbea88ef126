#include "shell/management.hpp"

#include <gtest/gtest.h>

#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "shell/journal.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

std::size_t count_of(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

// Tuesday 14 January 2025 at 10:00; the management time is 08:00; the agenda was last active
// yesterday, so the report is wanted.
class Management : public ::testing::Test {
 protected:
  Management()
      : clock_({2025, 1, 14, 10, 0, 0, 0}),
        today_(daynumber(2025, 1, 14)),
        settings_(default_settings(today_, false)) {
    apply_zero_value_defaults(settings_);
    settings_.management_hour = 8;
    settings_.management_minute = 0;
    settings_.last_active_day = today_ - 1;
    settings_.journal_folder = journal().string();
    fs::create_directories(rdv());
  }

  fs::path rdv() const { return planning_folder(folder_.path()); }
  fs::path journal() const { return folder_.path() / "journal"; }

  static Planning planning(std::string subject, int type = kTypeOneOff, int journal = 1) {
    Planning p;
    p.subject = std::move(subject);
    p.type = type;
    p.journal = journal;
    return p;
  }
  static Planning daily(std::string subject) {
    Planning p = planning(std::move(subject), kTypeWeekly);
    p.weekday_ticks = {1, 1, 1, 1, 1, 1, 1};
    return p;
  }

  std::string put(int day, std::string_view time, const Planning& p, std::string suffix = "") {
    const std::string name = planning_base_name(day, time) + suffix;
    write_bytes(rdv() / name, write_planning(p));
    return name;
  }
  Planning read(const std::string& name) {
    int readerror = 0;
    return loadplanning(rdv() / name, folder_.path(), settings_, readerror);
  }
  std::vector<std::string> files() { return list_files(rdv(), "*"); }
  std::string section(std::string_view name = "bilan principal") {
    return read_bytes(journal() / (std::string(name) + ".txt"));
  }

  ManagementReport run() {
    return run_management_pass({folder_.path(), settings_, clock_, prompts_, {}});
  }

  TempFolder folder_;
  FixedClock clock_;
  int today_;
  Settings settings_;
  ScriptedPrompts prompts_;
};

TEST_F(Management, AOneOffOfYesterdayIsDeletedAndJournaled) {
  put(today_ - 1, "09:30", planning("rendez-vous"));
  const ManagementReport report = run();
  EXPECT_EQ(report.text,
            "agenda plannification passée:\r  rendez-vous, \r  était prévue le 13 Janvier 2025, "
            "à 09:30.\r  Elle a été supprimée et inscrite dans le journal.\r");
  EXPECT_FALSE(report.nothing_reported);
  EXPECT_EQ(report.deleted, 1);
  EXPECT_EQ(report.passes, 1);
  EXPECT_TRUE(files().empty());
  EXPECT_EQ(section(), "14 Janvier 2025, \xE0 10:00.\r\n  sujet: rendez-vous\r\n");
}

TEST_F(Management, WithoutJournalOrWithTheBackgroundAgendaTheMessageEndsWithAStop) {
  put(today_ - 1, "09:30", planning("sans journal", kTypeOneOff, 0));
  EXPECT_EQ(count_of(run().text, "Elle a été supprimée.\r"), 1u);
  settings_.background_mode = 1;
  put(today_ - 2, "09:30", planning("en arrière-plan"));
  EXPECT_EQ(count_of(run().text, "Elle a été supprimée.\r"), 1u);
  EXPECT_FALSE(file_exists(journal() / "bilan principal.txt"));

  // A journal folder that cannot be written: the message does not claim the entry.
  settings_.background_mode = 0;
  write_bytes(folder_.path() / "fichier", "");
  settings_.journal_folder = (folder_.path() / "fichier" / "journal").string();
  put(today_ - 1, "09:30", planning("journal impossible"));
  const ManagementReport report = run();
  EXPECT_EQ(count_of(report.text, "Elle a été supprimée.\r"), 1u);
  EXPECT_EQ(report.journal_entries, 0);
}

TEST_F(Management, ADailyPlanningMissedThreeDaysIsJournaledThreeTimesAndReportedOnce) {
  Planning p = daily("sport");
  p.category = "loisirs";
  p.note_kind = 2;
  p.note = "apporter\r\nla serviette";
  put(today_ - 3, "09:00", p);
  const ManagementReport report = run();
  EXPECT_EQ(report.text,
            "agenda plannification passée:\r  sport, \r  était prévue le 13 Janvier 2025, à "
            "09:00.\r  Elle a été reportée et inscrite dans le journal.\r"
            "note:\rapporter\r\nla serviette\r"
            "agenda plannification à signaler:\r  sport, \r  prévue aujourd'hui, à 09:00.\r\r"
            "note:\rapporter\r\nla serviette\r");
  EXPECT_EQ(report.journal_entries, 3);
  EXPECT_EQ(report.passes, 2);
  const std::string entries = section("loisirs");
  EXPECT_EQ(count_of(entries, "  sujet: sport\r\n\r\n  note:\r\napporter\r\nla serviette\r\n"), 3u);
  EXPECT_EQ(count_of(entries, std::string(49, '-') + "\r\n"), 2u);
  const std::string moved = planning_base_name(today_, "09:00");
  EXPECT_EQ(files(), std::vector<std::string>{moved});
  EXPECT_EQ(read(moved).alarm_state, 1);  // reported today: the real-time agenda won't ring it
  EXPECT_EQ(read(moved).subject, "sport");
}

TEST_F(Management, AWeeklyPlanningOfLastWeekTakesAFreeName) {
  Planning weekly = planning("club");
  weekly.type = kTypeWeekly;
  weekly.weekday_ticks[static_cast<std::size_t>(weekday(today_))] = 1;
  weekly.alarm_state = 1;
  weekly.task.state = 1;
  put(today_ - 7, "09:00", weekly);
  put(today_, "09:00", planning("premier"));
  put(today_, "09:00", planning("second"), "a");
  run();
  const std::string moved = planning_base_name(today_, "09:00") + "aa";
  EXPECT_EQ(files(), (std::vector<std::string>{planning_base_name(today_, "09:00"),
                                               planning_base_name(today_, "09:00") + "a", moved}));
  EXPECT_EQ(read(moved).subject, "club");
  EXPECT_EQ(read(moved).task.state, 0);

  // A weekly planning with no tick at all (a damaged file) moves on by one week.
  Planning unticked = planning("sans coche", kTypeWeekly);
  put(today_ - 3, "11:00", unticked);
  run();
  EXPECT_TRUE(file_exists(rdv() / planning_base_name(today_ + 4, "11:00")));
}

TEST_F(Management, PlanningsWithinTheirForewarningDaysAreReported) {
  Planning in_three = planning("dentiste");
  in_three.forewarning_days = 5;
  put(today_ + 3, "15:00", in_three);
  Planning too_far = planning("garage");
  too_far.forewarning_days = 2;
  put(today_ + 3, "16:00", too_far);
  Planning tomorrow = planning("train");
  tomorrow.forewarning_days = 1;
  const std::string tomorrow_name = put(today_ + 1, "07:15", tomorrow);
  Planning counted = daily("dîner");
  counted.number_of_times = 3;
  const std::string today_name = put(today_, "18:00", counted);
  const ManagementReport report = run();
  EXPECT_EQ(report.text,
            "agenda plannification à signaler:\r  dîner, \r  prévue aujourd'hui, à 18:00.\r\r"
            "agenda plannification à signaler:\r  train, \r  prévue demain, à 07:15.\r\r"
            "agenda plannification à signaler:\r  dentiste, \r  prévue dans 3 jours, à 15:00.\r\r");
  EXPECT_EQ(read(today_name).alarm_state, 1);
  EXPECT_EQ(read(today_name).number_of_times, 3);  // counted down only once it has passed
  EXPECT_EQ(read(tomorrow_name).alarm_state, 0);
  EXPECT_EQ(files().size(), 4u);
}

TEST_F(Management, TheReportIsWantedAfterAnAbsenceOrWithTheDailyRepeatedWarning) {
  settings_.last_active_day = today_;
  put(today_ - 1, "09:30", planning("passé"));
  const std::string today_name = put(today_, "18:00", planning("ce soir"));
  ManagementReport report = run();
  EXPECT_EQ(report.text, "");
  EXPECT_TRUE(report.nothing_reported);
  EXPECT_EQ(report.deleted, 1);
  EXPECT_EQ(read(today_name).alarm_state, 1);

  settings_.daily_repeated_warning = 1;
  put(today_ - 1, "09:30", planning("passé"));
  report = run();
  EXPECT_EQ(count_of(report.text, "agenda plannification"), 2u);
  EXPECT_FALSE(report.nothing_reported);
}

TEST_F(Management, HandedOverByTheRealTimeAgendaNothingIsReportedOrMarked) {
  settings_.realtime_running = 2;
  put(today_ - 1, "09:30", daily("passé"));
  const std::string today_name = put(today_, "18:00", planning("ce soir"));
  const ManagementReport report = run();
  EXPECT_EQ(report.text, "");
  EXPECT_TRUE(report.nothing_reported);
  EXPECT_EQ(read(today_name).alarm_state, 0);
  EXPECT_EQ(report.rescheduled, 1);
  EXPECT_EQ(report.journal_entries, 1);

  // A real-time agenda that runs (flag 1) keeps the forewarnings, not the past plannings.
  settings_.realtime_running = 1;
  put(today_ - 1, "09:30", planning("passé"));
  const ManagementReport second = run();
  EXPECT_EQ(count_of(second.text, "agenda plannification passée"), 1u);
  EXPECT_EQ(count_of(second.text, "à signaler"), 0u);
}

TEST_F(Management, WithTheBackgroundAgendaTodayBeforeTheManagementTimeHasPassed) {
  settings_.background_mode = 1;
  put(today_, "07:00", planning("réveil"));  // should have rung before 08:00
  Planning task = planning("sauvegarde");
  task.task.active = 1;
  const std::string task_name = put(today_, "07:30", task);  // a task does not ring
  Planning signalled = planning("journal du matin");
  signalled.alarm_state = 1;  // rung yesterday by the real-time agenda
  put(today_ - 1, "06:00", signalled);
  put(today_ - 1, "07:00", daily("médicament"));
  const ManagementReport report = run();
  EXPECT_EQ(count_of(report.text, "réveil"), 1u);
  EXPECT_EQ(count_of(report.text, "journal du matin"), 0u);
  EXPECT_EQ(count_of(report.text, "sauvegarde, \r  prévue aujourd'hui"), 1u);
  // Its occurrence of today was due before the management time too: reported for today, and
  // moved on to tomorrow.
  EXPECT_EQ(count_of(report.text, "médicament, \r  était prévue le 14 Janvier 2025, à 07:00."), 1u);
  EXPECT_EQ(files(),
            (std::vector<std::string>{task_name, planning_base_name(today_ + 1, "07:00")}));
  EXPECT_FALSE(file_exists(journal()));

  // Before the management time nothing of today has passed.
  clock_.set({2025, 1, 14, 7, 45, 0, 0});
  put(today_, "07:00", planning("réveil"));
  EXPECT_EQ(count_of(run().text, "réveil, \r  prévue aujourd'hui"), 1u);
}

TEST_F(Management, ACountedSeriesEndsWithItsLastOccurrence) {
  Planning p = daily("cure");
  p.number_of_times = 3;
  put(today_ - 3, "09:00", p);
  const ManagementReport report = run();
  EXPECT_EQ(report.journal_entries, 3);
  EXPECT_EQ(count_of(report.text, "Elle a été supprimée et inscrite dans le journal."), 1u);
  EXPECT_EQ(count_of(report.text, "13 Janvier 2025"), 1u);
  EXPECT_TRUE(files().empty());

  p.number_of_times = 5;
  put(today_ - 2, "09:00", p);
  run();
  EXPECT_EQ(read(planning_base_name(today_, "09:00")).number_of_times, 3);

  Planning occurrence = daily("séance");
  occurrence.series_link = "1700000000";
  occurrence.occurrence_number = 2;
  put(today_ - 1, "09:00", occurrence, ";1700000000");
  EXPECT_EQ(count_of(run().text,
                     "séance, \r  était prévue le 13 Janvier 2025, à 09:00.\r  Elle "
                     "a été supprimée"),
            1u);
  EXPECT_FALSE(file_exists(rdv() / (planning_base_name(today_ - 1, "09:00") + ";1700000000")));
}

// Plannings moved on to one day and time take the free names in turn: past the files there,
// past what is in the way though no planning, and past each other.
TEST_F(Management, PlanningsMovedOnToOneTimeTakeTheFreeNamesInTurn) {
  Planning weekly = planning("club");
  weekly.type = kTypeWeekly;
  weekly.weekday_ticks[static_cast<std::size_t>(weekday(today_))] = 1;
  for (const char* suffix : {"", "a", "aa"}) put(today_ - 7, "09:00", weekly, suffix);
  const std::string base = planning_base_name(today_, "09:00");
  put(today_, "09:00", planning("premier"));
  fs::create_directories(rdv() / (base + "aa"));
  EXPECT_EQ(run().rescheduled, 3);
  for (const std::string& moved : {base + "a", base + "aaa", base + "aaaa"}) {
    EXPECT_EQ(read(moved).subject, "club") << moved;
  }
  EXPECT_EQ(read(base).subject, "premier");
}

TEST_F(Management, ADeadlineMovedOnStaysTheDeadline) {
  Planning deadline = planning("impôts LIMITE", 3);
  put(today_ - 1, "12:00", deadline, " limite");
  run();
  EXPECT_EQ(files(),
            std::vector<std::string>{planning_base_name(today_ + 13, "12:00") + " limite"});
}

TEST_F(Management, ANextOccurrenceNeverTakesTheNameOfAnotherFile) {
  put(today_ - 1, "12:00", planning("impôts LIMITE", 3), " limite");
  const fs::path in_the_way = rdv() / (planning_base_name(today_ + 13, "12:00") + " limite");
  fs::create_directories(in_the_way / "dedans");
  EXPECT_EQ(run().deleted, 1);
  EXPECT_TRUE(fs::exists(in_the_way / "dedans"));
  EXPECT_EQ(files(),
            std::vector<std::string>{planning_base_name(today_ + 13, "12:00") + "a limite"});
}

TEST_F(Management, APlanningWhoseNextOccurrenceCannotBeWrittenStaysAsItWasAndUnjournaled) {
  const std::string name = put(today_ - 1, "12:00", planning("impôts", 3));
  const std::string before = read_bytes(rdv() / name);
  {
    const testing::FullDisk full;
    if (!full.works()) GTEST_SKIP() << "no way to fill the disk for one process here";
    EXPECT_EQ(run().deleted, 0);
  }
  EXPECT_EQ(files(), std::vector<std::string>{name});
  EXPECT_EQ(read_bytes(rdv() / name), before);

  // Once there is room the next pass moves it on, and journals its occurrence once.
  EXPECT_EQ(run().deleted, 1);
  EXPECT_EQ(count_of(section(), "  sujet: imp"), 1u);
}

TEST_F(Management, DamagedFilesAreReadWithDefaultsAndThePassGoesOn) {
  write_bytes(rdv() / planning_base_name(today_ - 2, "10:00"), "");
  write_bytes(rdv() / planning_base_name(today_ - 1, "10:00"), std::string("\x01\x02\x03", 3));
  write_bytes(rdv() / "notes.gnd", "not a planning");
  put(today_ - 1, "11:00", planning("suivant"));
  const ManagementReport report = run();
  EXPECT_EQ(report.deleted, 3);
  EXPECT_EQ(count_of(report.text, "suivant"), 1u);
  EXPECT_EQ(files(), std::vector<std::string>{"notes.gnd"});
}

TEST_F(Management, NoJournalFolderAsksOnceAndANoDropsTheJournal) {
  settings_.journal_folder.clear();
  put(today_ - 3, "09:00", daily("yoga"));
  ScriptedPrompts no({false});
  const ManagementReport report = run_management_pass({folder_.path(), settings_, clock_, no, {}});
  EXPECT_EQ(no.questions.size(), 1u);
  EXPECT_EQ(report.journal_entries, 0);
  EXPECT_EQ(count_of(report.text, "Elle a été reportée.\r"), 1u);
  EXPECT_EQ(read(planning_base_name(today_, "09:00")).journal, 0);
}

TEST_F(Management, TenYearsBehindWithATwoDayStepFinishes) {
  const int start = today_ - 3653;
  put(start, "09:00", planning("arrosage", kTypeEveryTwoDays));
  const ManagementReport report = run();
  const int missed = (today_ - start + 1) / 2;  // start, start + 2, … before today
  EXPECT_EQ(report.journal_entries, missed);
  EXPECT_EQ(count_of(report.text, "agenda plannification passée"), 1u);
  const std::string entries = section();
  EXPECT_EQ(count_of(entries, "  sujet: arrosage\r\n"), std::size_t(missed));
  EXPECT_EQ(count_of(entries, std::string(49, '-')), std::size_t(missed - 1));
  int next = start;
  while (next < today_) next += 2;
  EXPECT_EQ(files(), std::vector<std::string>{planning_base_name(next, "09:00")});
}

}  // namespace
}  // namespace tavelo
