#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>

#include "alarms/alarm_profile.hpp"
#include "platform/sim/transcript.hpp"
#include "platform/sound_decoders.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/sound_measure.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::frequency_of;
using testing::amplitude_at;
using testing::peak_of;

struct Line {
  double seconds;  // since the session's start at 09:00
  std::string event;
};

std::vector<Line> transcript_of(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<Line> lines;
  const std::regex form(R"((\d\d):(\d\d):(\d\d)\.(\d\d\d) (.*))");
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_match(text, m, form)) continue;
    const double seconds = (std::stoi(m[1]) - 9) * 3600 + std::stoi(m[2]) * 60 +
                           std::stoi(m[3]) + std::stoi(m[4]) / 1000.0;
    lines.push_back({seconds, m[5]});
  }
  return lines;
}

// The left channel's stretch of the rendered session from `from` for `length` seconds.
std::vector<std::int16_t> stretch(const Pcm& sound, double from, double length) {
  const auto first = static_cast<std::size_t>(from * sound.rate) * 2;
  const auto count = static_cast<std::size_t>(length * sound.rate) * 2;
  if (first >= sound.samples.size()) return {};
  const auto end = std::min(sound.samples.size(), first + count);
  return {sound.samples.begin() + static_cast<std::ptrdiff_t>(first),
          sound.samples.begin() + static_cast<std::ptrdiff_t>(end)};
}

TEST(RingSession, TheTranscriptAndTheRenderedSoundAgreeForEveryKind) {
  TempFolder folder;
  Pcm a{44100, 1, {}};
  for (int i = 0; i < 44100 / 4; ++i) {
    a.samples.push_back(static_cast<std::int16_t>(9000 * std::sin(2 * 3.14159265358979 * 440 * i / 44100)));
  }
  const std::string wave = (folder.path() / "la.wav").string();
  ASSERT_TRUE(write_wav(folder.path() / "la.wav", a));
  ASSERT_TRUE(SaveAlarmProfile(folder.path() / "1-tones.alm", {1, "", 880, 100, 200, 3, 0, 0}));
  ASSERT_TRUE(SaveAlarmProfile(folder.path() / "2-wave.alm", {2, wave, 0, 0, -1, 2, 0, 0}));
  ASSERT_TRUE(SaveAlarmProfile(folder.path() / "3-mixed.alm", {3, wave, 1760, 50, 100, 0, 2, 2}));
  // The mixed alarm rings until stopped: its window's button stops it.
  testing::write_bytes(folder.path() / "script.txt", "wait 4s\nclick 1\nwait 1s\n");

  const auto transcript = folder.path() / "transcript.txt";
  const auto rendered = folder.path() / "session.wav";
  ASSERT_EQ(testing::run_program({TAVELO_RING_DEMO, folder.path().string()},
                                 {"TAVELO_UI=script:" + (folder.path() / "script.txt").string(),
                                  "TAVELO_TRANSCRIPT=" + transcript.string(),
                                  "TAVELO_SOUND_OUT=" + rendered.string()})
                .status,
            0);

  const std::vector<Line> lines = transcript_of(transcript);
  const auto sound = decode_sound_file(rendered);
  ASSERT_TRUE(sound);
  std::vector<std::string> events;
  for (const Line& line : lines) events.push_back(line.event);
  EXPECT_EQ(std::count(events.begin(), events.end(), "tone 880 100"), 3);
  EXPECT_EQ(std::count(events.begin(), events.end(), "wave " + in_quotes(wave)), 2 + 2);
  EXPECT_EQ(std::count(events.begin(), events.end(), "stop-sounds"), 3);
  EXPECT_EQ(events.back(), "exit 0");
  EXPECT_NEAR(sound->seconds(), lines.back().seconds, 0.01);

  // Each sound the transcript names is in the rendering at that moment, over whatever else
  // still sounds (a wave plays on into the tones of a mixed alarm).
  int tones = 0, waves = 0;
  for (const Line& line : lines) {
    if (line.event.rfind("tone ", 0) == 0) {
      const int frequency = std::stoi(line.event.substr(5));
      const int ms = std::stoi(line.event.substr(line.event.rfind(' ') + 1));
      EXPECT_GT(amplitude_at(stretch(*sound, line.seconds, ms / 1000.0), 44100, frequency), 1000)
          << line.seconds;
      ++tones;
    } else if (line.event.rfind("wave ", 0) == 0) {
      EXPECT_GT(amplitude_at(stretch(*sound, line.seconds, 0.2), 44100, 440), 4000)
          << line.seconds;
      ++waves;
    }
  }
  EXPECT_GE(tones, 3 + 6);
  EXPECT_EQ(waves, 4);
  // The first alarm's tones alone are pure: 880 Hz, and silence in the pauses between them.
  EXPECT_NEAR(frequency_of(stretch(*sound, lines[2].seconds, 0.1), 44100), 880, 15);
  EXPECT_LT(peak_of(stretch(*sound, lines[2].seconds + 0.12, 0.15)), 10);
  // Once stopped, nothing sounds: the click's stop comes right after the last tone.
  const auto last_stop = std::find_if(lines.rbegin(), lines.rend(),
                                      [](const Line& l) { return l.event == "stop-sounds"; });
  ASSERT_NE(last_stop, lines.rend());
  EXPECT_LT(last_stop->seconds, 4.2);
}

}  // namespace
}  // namespace tavelo
