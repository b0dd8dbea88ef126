#include <gtest/gtest.h>

#include "alarms/alarm_profile.hpp"
#include "alarms/chime_layout.hpp"
#include "planning/planning_layout.hpp"
#include "tests/support/layout_fields.hpp"
#include "tests/support/record_samples.hpp"

namespace tavelo {
namespace {

using namespace testing;

TEST(FieldWalk, EveryAlarmFieldSurvivesAnAlmFile) {
  expect_every_field_survives(kAlarmProfileLayout, kAlarmFileWalk, alarm_sample(),
                              [](const AlarmProfile& alarm) {
                                AlarmProfile back;
                                EXPECT_EQ(read_alarm_profile(write_alarm_profile(alarm), back),
                                          kReadOk);
                                return back;
                              });
}

TEST(FieldWalk, EveryChimeFieldSurvivesACarFile) {
  expect_every_field_survives(kChimeProfileLayout, Walk{}, chime_sample(),
                              [](const ChimeProfile& chime) {
                                ChimeProfile back;
                                EXPECT_EQ(read_chime_profile(write_chime_profile(chime), back),
                                          kReadOk);
                                return back;
                              });
}

}  // namespace
}  // namespace tavelo
