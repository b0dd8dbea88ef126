#include "alarms/ring.hpp"

#include <gtest/gtest.h>

namespace tavelo {
namespace {

// Records what a ring cycle asks of the players, on a clock that moves only when waiting.
struct Recorder {
  std::vector<std::string> events;
  std::chrono::milliseconds waited{0};
  std::function<bool()> stop = [] { return false; };

  AlarmPlayer player() {
    return {[this](int f, int ms, int mode, int volume) {
              events.push_back("tone " + std::to_string(f) + " " + std::to_string(ms) + " " +
                               std::to_string(mode) + " " + std::to_string(volume));
            },
            [this](const std::string& file) { events.push_back("file " + file); },
            [this] { events.push_back("stop"); },
            [this](std::chrono::milliseconds ms) { waited += ms; },
            [this] { return stop(); }};
  }
};

TEST(Ring, AMixedAlarmPlaysItsFileOnCyclesOneAndFiveOnly) {
  Recorder r;
  RingAlarm({3, "cloche.wav", 880, 40, 100, 8, 3, 2}, 2, r.player());
  const std::vector<std::string> expected = {
      "file cloche.wav", "tone 880 40 1 50", "tone 880 40 1 50", "tone 880 40 1 50",
      "tone 880 40 1 50", "file cloche.wav", "tone 880 40 1 50", "tone 880 40 1 50",
      "tone 880 40 1 50", "tone 880 40 1 50", "stop"};
  EXPECT_EQ(r.events, expected);
  EXPECT_EQ(r.waited, std::chrono::milliseconds(800));
}

TEST(Ring, ANegativePauseIsInSeconds) {
  Recorder r;
  RingAlarm({2, "son.ogg", 0, 0, -5, 2, 0, 0}, 1, r.player());
  EXPECT_EQ(r.events, (std::vector<std::string>{"file son.ogg", "file son.ogg", "stop"}));
  EXPECT_EQ(r.waited, std::chrono::seconds(10));
}

TEST(Ring, RepetitionsZeroRingUntilTheUserStopsEvenDuringAPause) {
  Recorder r;
  r.stop = [&r] { return r.waited >= std::chrono::milliseconds(12'100); };
  RingAlarm({1, "", 1760, 50, -2, 0, 0, 0}, 1, r.player());
  // Seven cycles started; the stop came 100 ms into the seventh pause and cut it short.
  EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "tone 1760 50 0 50"), 7);
  EXPECT_EQ(r.waited, std::chrono::milliseconds(12'100));
  EXPECT_EQ(r.events.back(), "stop");
}

TEST(Ring, OneCyclePerCallForTheRealTimeAgenda) {
  Recorder r;
  const AlarmProfile profile{1, "", 440, 10, 0, 2, 0, 0};
  RingState state = start_ring(profile);
  EXPECT_TRUE(ring_cycle(profile, 1, state, r.player()));
  EXPECT_FALSE(ring_cycle(profile, 1, state, r.player()));
  EXPECT_TRUE(state.finished);
  EXPECT_FALSE(ring_cycle(profile, 1, state, r.player()));
  EXPECT_EQ(r.events.size(), 3u);
}

TEST(Ring, AlarmFilesGoToThePlayerTheirLowerCasedNameNames) {
  const AlarmFilePlayers wave = alarm_file_players("C:\\Sons\\CLOCHE.WAV");
  EXPECT_TRUE(wave.wave);
  EXPECT_FALSE(wave.mp3 || wave.ogg);
  EXPECT_TRUE(alarm_file_players("a.Mp3").mp3);
  EXPECT_TRUE(alarm_file_players("b.ogg").ogg);
  const AlarmFilePlayers none = alarm_file_players("c.flac");
  EXPECT_FALSE(none.wave || none.mp3 || none.ogg);
}

}  // namespace
}  // namespace tavelo
