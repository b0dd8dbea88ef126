#include "alarms/alarm_profile.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::read_bytes;
using testing::write_bytes;

TEST(AlarmProfile, AnAlmFileHoldsExactlyTheEightFields) {
  TempFolder folder;
  const AlarmProfile mixed{3, "cloche.wav", 440, 80, -5, 0, 3, 2};
  ASSERT_TRUE(SaveAlarmProfile(folder.path() / "x.alm", mixed));
  const std::string bytes = read_bytes(folder.path() / "x.alm");
  EXPECT_EQ(bytes, std::string("\x03"
                               "cloche.wav\0"
                               "\xB8\x01\x50\x00\xFB\xFF\x00\x00\x03\x00\x02\x00",
                               24));
  AlarmProfile back;
  ASSERT_TRUE(LoadAlarmProfile(folder.path() / "x.alm", back));
  EXPECT_EQ(write_alarm_profile(back), bytes);

  // A tone-only alarm still carries the two mixed-alarm counts.
  EXPECT_EQ(write_alarm_profile(AlarmProfile{}).size(), 1u + 1u + 12u);
}

TEST(AlarmProfile, ACutFileGivesWhatItHoldsAndFails) {
  TempFolder folder;
  const std::string bytes = write_alarm_profile({2, "son.mp3", 440, 80, 90, 7, 1, 1});
  write_bytes(folder.path() / "cut.alm", bytes.substr(0, 12));
  AlarmProfile back;
  EXPECT_FALSE(LoadAlarmProfile(folder.path() / "cut.alm", back));
  EXPECT_EQ(back.kind, 2);
  EXPECT_EQ(back.sound_file, "son.mp3");
  EXPECT_EQ(back.frequency, 440);
  EXPECT_EQ(back.length, 50);  // cut inside it: keeps its default
  EXPECT_FALSE(LoadAlarmProfile(folder.path() / "absent.alm", back));
}

TEST(AlarmProfile, TheNamedProfilesAndThePauseBounds) {
  const AlarmProfile current{3, "x.wav", 1, 2, 3, 4, 5, 6};
  const AlarmProfile factory = factory_alarm(current);
  EXPECT_EQ(write_alarm_profile(factory),
            write_alarm_profile({1, "", 1760, 50, 50, 120, 5, 6}));
  const AlarmProfile silent = silent_alarm();
  EXPECT_EQ(silent.kind, 2);
  EXPECT_EQ(silent.sound_file, "");
  EXPECT_EQ(silent.pause, 50);
  EXPECT_EQ(silent.repetitions, 1);
  const AlarmProfile imported = imported_sound_alarm(current, "son.ogg");
  EXPECT_EQ(write_alarm_profile(imported), write_alarm_profile({2, "son.ogg", 1, 2, 2000, 10, 5, 6}));
  EXPECT_EQ(clamp_pause(40000), 32000);
  EXPECT_EQ(clamp_pause(-99999), -32000);
  EXPECT_EQ(clamp_pause(-5), -5);
}

}  // namespace
}  // namespace tavelo
