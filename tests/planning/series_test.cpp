#include "planning/series.hpp"

#include <gtest/gtest.h>

#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;

class Reproduction : public ::testing::Test {
 protected:
  Reproduction()
      : clock_({2025, 1, 14, 10, 0, 0, 0}),
        settings_(default_settings(daynumber(2025, 1, 14), false)),
        store_{folder_.path(), settings_, clock_} {
    apply_zero_value_defaults(settings_);
    fs::create_directories(planning_folder(folder_.path()));
  }

  fs::path rdv() const { return planning_folder(folder_.path()); }
  Planning read(const std::string& name) {
    int readerror = 0;
    return loadplanning(rdv() / name, folder_.path(), settings_, readerror);
  }
  std::vector<std::string> files(std::string_view pattern = "*") {
    return list_files(rdv(), pattern);
  }
  void put(const std::string& name, const Planning& p) {
    testing::write_bytes(rdv() / name, write_planning(p));
  }
  std::string link() const { return std::to_string(clock_.epochseconds()); }

  TempFolder folder_;
  FixedClock clock_;
  Settings settings_;
  PlanningStore store_;
  int today_ = daynumber(2025, 1, 14);
};

TEST_F(Reproduction, ASeriesIsWrittenOccurrenceByOccurrence) {
  settings_.own_identifier = "moi";
  Planning p;
  p.subject = "piscine";
  p.type = 3;  // every two weeks
  p.number_of_times = 3;
  p.unique_identifier = "moi_1700000000_42";
  const int day = today_ + 1;
  const auto written = reproduce_series(store_, p, day, "09:30");
  const std::string l = link();
  ASSERT_EQ(written, (std::vector<std::string>{std::to_string(day) + " 09-30.gnd;" + l,
                                               std::to_string(day + 14) + " 09-30.gnd;" + l,
                                               std::to_string(day + 28) + " 09-30.gnd;" + l}));
  for (int i = 0; i < 3; ++i) {
    const Planning occurrence = read(written[std::size_t(i)]);
    EXPECT_EQ(occurrence.series_link, l);
    EXPECT_EQ(occurrence.occurrence_number, i + 1);
    EXPECT_EQ(occurrence.number_of_times, 3);
    EXPECT_EQ(occurrence.unique_identifier, i == 0 ? "moi_1700000000_42" : "");
  }
  EXPECT_EQ(p.series_link, "");
  EXPECT_EQ(p.occurrence_number, 0);

  // Somebody else's identifier is kept by every occurrence; a taken name gets its "a".
  clock_.advance(std::chrono::seconds(5));
  Planning other = p;
  other.unique_identifier = "autre_1_2";
  testing::write_bytes(rdv() / (std::to_string(day) + " 09-30.gnd"), "x");
  const auto second = reproduce_series(store_, other, day, "09:30");
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(second[0], std::to_string(day) + " 09-30.gnda;" + link());
  EXPECT_EQ(read(second[2]).unique_identifier, "autre_1_2");
}

TEST_F(Reproduction, TheQuestionIsPutOnlyForASeries) {
  Planning p;
  p.subject = "cours";
  p.type = 6;
  p.number_of_times = 2;
  ScriptedPrompts no({false});
  EXPECT_TRUE(offer_series_reproduction(store_, p, today_, "08:00", false, no).empty());
  EXPECT_EQ(no.questions, std::vector<std::string>{
                              "Souhaitez-vous reproduire les occurrences dans le calendrier?"});
  ScriptedPrompts none;
  EXPECT_TRUE(offer_series_reproduction(store_, p, today_, "08:00", true, none).empty());
  Planning deadline = p;
  deadline.subject = "rapport LIMITE";
  EXPECT_TRUE(offer_series_reproduction(store_, deadline, today_, "08:00", false, none).empty());
  Planning once = p;
  once.number_of_times = 1;
  EXPECT_TRUE(offer_series_reproduction(store_, once, today_, "08:00", false, none).empty());
  EXPECT_TRUE(none.questions.empty());
  EXPECT_TRUE(files().empty());
  ScriptedPrompts yes({true});
  EXPECT_EQ(offer_series_reproduction(store_, p, today_, "08:00", false, yes).size(), 2u);
  EXPECT_EQ(files().size(), 2u);
}

TEST_F(Reproduction, UpToTheDeadlineWithItsEndMarker) {
  const int deadline = daynumber(2025, 4, 1);  // a Tuesday
  EXPECT_EQ(deadline_reproduction_question(deadline),
            "Souhaitez-vous reproduire les occurrences jusqu'à\rla date limite dans le "
            "calendrier soit,\rMardi, le premier Avril");
  EXPECT_TRUE(
      deadline_reproduction_question(daynumber(2025, 4, 8)).ends_with("soit,\rMardi, le 8 Avril"));

  Planning p;
  p.subject = "réunion";
  p.type = 5;  // every four weeks
  p.number_of_times = 0;
  ScriptedPrompts yes({true});
  const auto written =
      offer_deadline_reproduction(store_, p, today_, "14:00", false, false, deadline, today_, yes);
  const std::string l = link();
  ASSERT_EQ(written.size(), 3u);  // 14 January, 11 February, 11 March
  EXPECT_EQ(written[2], std::to_string(today_ + 56) + " 14-00.gnd;" + l);
  const std::string marker = std::to_string(today_ + 56) + " 14-00.lmt;" + l;
  ASSERT_EQ(files("*.lmt*"), std::vector<std::string>{marker});
  EXPECT_EQ(testing::read_bytes(rdv() / marker), testing::read_bytes(rdv() / written[2]));
  EXPECT_EQ(read(marker).occurrence_number, 3);
  EXPECT_EQ(p.series_link, "");
  // Deleting the series takes the occurrences and the marker, nothing else.
  put(std::to_string(today_) + " 15-00.gnd", p);
  put(std::to_string(today_) + " 16-00.gnd;" + l + "9", p);
  EXPECT_EQ(delete_series(folder_.path(), ""), 0);
  EXPECT_EQ(delete_series(folder_.path(), l), 4);
  EXPECT_EQ(files().size(), 2u);

  // No deadline, a passed one, a template or a counted planning: no question.
  ScriptedPrompts none;
  EXPECT_TRUE(offer_deadline_reproduction(store_, p, today_, "14:00", false, false, 0, today_, none)
                  .empty());
  EXPECT_TRUE(offer_deadline_reproduction(store_, p, today_, "14:00", false, false, today_ - 1,
                                          today_, none)
                  .empty());
  EXPECT_TRUE(
      offer_deadline_reproduction(store_, p, today_, "14:00", true, false, deadline, today_, none)
          .empty());
  p.number_of_times = 4;
  EXPECT_TRUE(
      offer_deadline_reproduction(store_, p, today_, "14:00", false, false, deadline, today_, none)
          .empty());
  EXPECT_TRUE(none.questions.empty());
}

TEST_F(Reproduction, DeadlineMaintenanceKeepsOneDeadlineMovedOnToToday) {
  EXPECT_EQ(maintain_deadline(store_, today_), 0);

  Planning weekly;
  weekly.subject = "rapport LIMITE";
  weekly.type = 3;
  weekly.alarm_state = 1;
  weekly.task.state = 1;
  put(std::to_string(today_ - 20) + " 17-00.gnd limite", weekly);
  put(std::to_string(today_ + 3) + " 17-00.gnd limite", weekly);  // a second one: deleted
  const int moved = today_ - 20 + 28;
  const std::string marker = std::to_string(moved) + " 08-00.lmt;123";
  put(marker, weekly);  // kept: there is a deadline, and the series reaches it
  EXPECT_EQ(maintain_deadline(store_, today_), moved);
  const std::string name = std::to_string(moved) + " 17-00.gnd limite";
  EXPECT_EQ(files("*.gnd*"), std::vector<std::string>{name});
  EXPECT_EQ(read(name).alarm_state, 0);
  EXPECT_EQ(read(name).task.state, 0);
  EXPECT_EQ(files("*.lmt*"), std::vector<std::string>{marker});

  // A passed one-off deadline is deleted, and with it every end marker.
  fs::remove(rdv() / name);
  for (const auto& left : files("*.lmt*")) fs::remove(rdv() / left);
  Planning once;
  once.subject = "déclaration LIMITE";
  put(std::to_string(today_ - 1) + " 17-00.gnd limite", once);
  put(std::to_string(today_ - 1) + " 08-00.lmt;123", weekly);
  EXPECT_EQ(maintain_deadline(store_, today_), 0);
  EXPECT_TRUE(files().empty());
}

TEST_F(Reproduction, DeadlineMaintenanceExtendsTheSeriesUpToIt) {
  Planning deadline;
  deadline.subject = "fin LIMITE";
  put(std::to_string(today_ + 20) + " 18-00.gnd limite", deadline);
  Planning occurrence;
  occurrence.subject = "jogging";
  occurrence.type = 21;  // every three days
  occurrence.number_of_times = 0;
  occurrence.series_link = "777";
  occurrence.occurrence_number = 4;
  put(std::to_string(today_ + 1) + " 07-00.gnd;777", occurrence);
  put(std::to_string(today_ + 1) + " 07-00.lmt;777", occurrence);
  EXPECT_EQ(maintain_deadline(store_, today_), today_ + 20);
  std::vector<std::string> expected;
  for (int d = today_ + 1; d <= today_ + 20; d += 3) {
    expected.push_back(std::to_string(d) + " 07-00.gnd;777");
  }
  expected.push_back(std::to_string(today_ + 20) + " 18-00.gnd limite");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files("*.gnd*"), expected);
  const std::string marker = std::to_string(today_ + 19) + " 07-00.lmt;777";
  EXPECT_EQ(files("*.lmt*"), std::vector<std::string>{marker});
  EXPECT_EQ(read(marker).occurrence_number, 10);
  EXPECT_EQ(read(std::to_string(today_ + 4) + " 07-00.gnd;777").occurrence_number, 5);
  // Run again: nothing more to write.
  EXPECT_EQ(maintain_deadline(store_, today_), today_ + 20);
  EXPECT_EQ(files().size(), expected.size() + 1);
}

TEST_F(Reproduction, ASeriesUpToAFarDeadlineStopsAtTheLastOccurrenceNumber) {
  Planning deadline;
  deadline.subject = "lointaine LIMITE";
  put(std::to_string(daynumber(9000, 1, 1)) + " 18-00.gnd limite", deadline);
  Planning occurrence;
  occurrence.subject = "quotidien";
  occurrence.type = kTypeEveryTwoDays;
  occurrence.number_of_times = 0;
  occurrence.series_link = "55";
  occurrence.occurrence_number = 32764;
  put(std::to_string(today_) + " 07-00.lmt;55", occurrence);
  maintain_deadline(store_, today_);
  EXPECT_EQ(files("*.gnd;55").size(), 3u);
  const std::string marker = std::to_string(today_ + 6) + " 07-00.lmt;55";
  ASSERT_EQ(files("*.lmt*"), std::vector<std::string>{marker});
  EXPECT_EQ(read(marker).occurrence_number, 32767);
}

}  // namespace
}  // namespace tavelo
