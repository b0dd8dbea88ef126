#include "shell/speaking_clock.hpp"

#include <gtest/gtest.h>

namespace tavelo {
namespace {

TEST(SpeakingClock, TheFieldTheSpeechAndTheComingMinute) {
  const LocalTime time{2026, 12, 7, 9, 5, 7, 0};
  EXPECT_EQ(clock_field_text(time), "09:05:07");
  EXPECT_EQ(spoken_time(9, 5, 7), "9 heure, 5 minute, et 7 seconde.");
  EXPECT_EQ(coming_minute_announcement(time),
            "au son du long bip, il sera: 9 heure, 6 minute, et 0 seconde.");
  EXPECT_EQ(coming_minute_announcement({2026, 12, 7, 23, 59, 50, 0}),
            "au son du long bip, il sera: 0 heure, 0 minute, et 0 seconde.");
}

TEST(SpeakingClock, TheMinuteIsAnnouncedTenSecondsBeforeAndMarkedAsItBegins) {
  EXPECT_TRUE(clock_second({2026, 12, 7, 9, 5, 50, 0}).announce);
  EXPECT_FALSE(clock_second({2026, 12, 7, 9, 5, 50, 0}).long_tone);
  EXPECT_TRUE(clock_second({2026, 12, 7, 9, 6, 0, 0}).long_tone);
  EXPECT_FALSE(clock_second({2026, 12, 7, 9, 6, 1, 0}).announce);
}

}  // namespace
}  // namespace tavelo
