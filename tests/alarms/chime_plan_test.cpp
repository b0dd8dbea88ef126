#include "alarms/chime_plan.hpp"

#include <gtest/gtest.h>

namespace tavelo {
namespace {

ChimeProfile westminster() {
  ChimeProfile p;
  p.hour_strike_mode = 13;  // "répéter selon l'heure (12)"
  p.quarter_cycle = 3;
  p.quarters = {{"w\\q1.wav", 90, 0, 2000}, {"w\\q2.wav", 90, 0, 3000},
                {"w\\q3.wav", 90, 0, 4000}, {"w\\q4.wav", 90, 0, 5000}};
  p.hours = {{"w\\heure.ogg", 100, -20, 1500}};
  return p;
}

ChimeRequest at(int time, bool forced = false) { return {time, forced, {}, {}}; }

// The plan in short: "stop", "play FILE", "wait MS".
std::vector<std::string> plan_of(const ChimeProfile& p, ChimeRequest r,
                                 const RandomIndex& random = [](std::size_t) -> std::size_t {
                                   return 0;
                                 }) {
  std::vector<std::string> out;
  for (const ChimeStep& s : plan_chime(p, r, random)) {
    switch (s.kind) {
      case ChimeStep::Kind::kStopPlayers: out.push_back("stop"); break;
      case ChimeStep::Kind::kPlay: out.push_back("play " + s.entry.file); break;
      case ChimeStep::Kind::kWait: out.push_back("wait " + std::to_string(s.milliseconds)); break;
    }
  }
  return out;
}

std::size_t plays(const std::vector<std::string>& plan) {
  return static_cast<std::size_t>(std::count_if(plan.begin(), plan.end(), [](const auto& s) {
    return s.rfind("play", 0) == 0;
  }));
}

TEST(ChimePlan, QuartersThenTheHourStruckModuloTwelve) {
  const ChimeProfile p = westminster();
  EXPECT_EQ(plan_of(p, at(1530)), (std::vector<std::string>{"stop", "play w\\q2.wav", "wait 3000"}));
  EXPECT_EQ(plan_of(p, at(1545))[1], "play w\\q3.wav");
  const auto three = plan_of(p, at(300));
  EXPECT_EQ(three[1], "play w\\q4.wav");
  EXPECT_EQ(plays(three), 1u + 3u);
  EXPECT_EQ(plays(plan_of(p, at(1500))), 1u + 3u);
  EXPECT_EQ(plays(plan_of(p, at(0))), 1u + 12u);
  EXPECT_EQ(plays(plan_of(p, at(1200))), 1u + 12u);
  EXPECT_EQ(plays(plan_of(p, at(1300))), 1u + 1u);
}

TEST(ChimePlan, TheQuarterCycleChoosesWhichQuartersSound) {
  ChimeProfile p = westminster();
  p.hour_strike_mode = 0;
  p.quarter_cycle = 2;
  EXPECT_EQ(plays(plan_of(p, at(1000))), 1u);
  EXPECT_EQ(plays(plan_of(p, at(1030))), 1u);
  EXPECT_EQ(plays(plan_of(p, at(1015))), 0u);
  p.quarter_cycle = 1;
  EXPECT_EQ(plays(plan_of(p, at(1000))), 1u);
  EXPECT_EQ(plays(plan_of(p, at(1030))), 0u);
  EXPECT_EQ(plays(plan_of(p, at(1030, true))), 1u);  // a test play ignores the cycle
  p.hour_with_fourth_quarter = 1;
  EXPECT_EQ(plays(plan_of(p, at(1000, true))), 0u);
}

TEST(ChimePlan, TheActiveWindowMayRunPastMidnight) {
  ChimeProfile p = westminster();
  p.start = 2200;
  p.end = 600;
  EXPECT_GT(plays(plan_of(p, at(2300))), 0u);
  EXPECT_GT(plays(plan_of(p, at(545))), 0u);
  EXPECT_EQ(plan_of(p, at(1200)), std::vector<std::string>{"stop"});
  EXPECT_GT(plays(plan_of(p, at(1200, true))), 0u);
  p.start = 800;
  p.end = 1800;
  EXPECT_EQ(plays(plan_of(p, at(745))), 0u);
  EXPECT_GT(plays(plan_of(p, at(1800))), 0u);
}

TEST(ChimePlan, OneFilePerHourTakesTheHourModuloTheFiles) {
  ChimeProfile p;
  p.hour_strike_mode = 1;
  p.hours = {{"un.wav", 100, 0, 0}, {"deux.wav", 100, 0, 700}};
  EXPECT_EQ(plan_of(p, at(1400)), (std::vector<std::string>{"stop", "play un.wav"}));
  EXPECT_EQ(plan_of(p, at(1500)),
            (std::vector<std::string>{"stop", "play deux.wav", "wait 700", "stop"}));
}

TEST(ChimePlan, RandomModesAndPreviews) {
  ChimeProfile p = westminster();
  p.hours = {{"a", 100, 0, 0}, {"b", 100, 0, 0}, {"c", 100, 0, 0}};
  p.hour_random_mode = 2;
  std::size_t next = 0;
  const auto cycling = [&next](std::size_t count) { return next++ % count; };
  const auto strikes = plan_of(p, at(200), cycling);  // quarter 4 first, then two strikes
  EXPECT_EQ(strikes[3], "play a");
  EXPECT_EQ(strikes[4], "play b");
  p.quarter_random = 1;
  next = 2;
  EXPECT_EQ(plan_of(p, at(1015), cycling)[1], "play w\\q3.wav");

  ChimeRequest preview = at(1015);
  preview.preview_quarter = 3;
  EXPECT_EQ(plan_of(p, preview),
            (std::vector<std::string>{"stop", "play w\\q4.wav", "wait 5000", "stop"}));
  preview.preview_quarter.reset();
  preview.preview_hour = 9;  // beyond the list: nothing but the stop
  EXPECT_EQ(plan_of(p, preview), std::vector<std::string>{"stop"});
}

}  // namespace
}  // namespace tavelo
