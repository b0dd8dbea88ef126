#include <gtest/gtest.h>

#include "planning/planning_file.hpp"
#include "planning/settings.hpp"
#include "planning/settings_layout.hpp"
#include "tests/support/layout_fields.hpp"
#include "tests/support/record_samples.hpp"

namespace tavelo {
namespace {

using namespace testing;

TEST(FieldWalk, EveryPlanningFieldSurvivesThePlanningFile) {
  const Settings settings = settings_sample();
  expect_every_field_survives(kPlanningLayout, Walk{}, planning_sample(), [&](const Planning& p) {
    int readerror = -1;
    Planning back = read_planning(write_planning(p), settings, readerror);
    EXPECT_EQ(readerror, kReadOk);
    return back;
  });
}

TEST(FieldWalk, EverySettingSurvivesAgendaBin) {
  expect_every_field_survives(kSettingsLayout, Walk{}, settings_sample(), [](const Settings& s) {
    Settings back;
    EXPECT_EQ(read_settings(write_settings(s, s.last_active_day), back), kReadOk);
    return back;
  });
}

// Backup archives store the mixed-alarm counts of the settings whatever the alarm kind.
TEST(FieldWalk, EverySettingSurvivesTheBlocksOfABackupArchive) {
  const Walk archive{"version: 6.40", true};
  expect_every_field_survives(kSettingsLayout, archive, settings_sample(), [&](const Settings& s) {
    RecordWriter out;
    write_settings_first_block(out, s, s.last_active_day, true);
    write_settings_second_block(out, s);
    Settings back;
    FieldReader in(out.bytes);
    read_settings_first_block(in, back, archive);
    read_settings_second_block(in, back, archive);
    EXPECT_EQ(in.in.readerror, kReadOk);
    EXPECT_TRUE(in.at_end());
    return back;
  });
}

}  // namespace
}  // namespace tavelo
