#include "alarms/sound_players.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "alarms/chime_player.hpp"
#include "alarms/synth.hpp"
#include "platform/program_folder.hpp"
#include "platform/sim/rendering_clock.hpp"
#include "platform/sound_decoders.hpp"
#include "platform/system_clock.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/sound_measure.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::frequency_of;
using testing::peak_of;
using testing::sounding_milliseconds;

// A program folder with the sounds the build made, a mixer and a clock that renders it.
struct Bench {
  explicit Bench(bool with_tone_sample = true) {
    const auto built = running_program_folder();
    if (with_tone_sample) std::filesystem::copy(built / "3520.wav", program.path() / "3520.wav");
    std::filesystem::copy(built / "stop.wav", program.path() / "stop.wav");
    players.report = [this](std::string_view what, std::string_view file) {
      reported.push_back(file.empty() ? std::string(what)
                                      : std::string(what) + " \"" + std::string(file) + "\"");
    };
  }
  const std::vector<std::int16_t>& sound() const { return clock.rendered(); }

  TempFolder program;
  Mixer mixer{44100};
  RenderingClock clock{{2026, 1, 1, 8, 0, 0, 0}, mixer};
  SoundPlayers players{mixer, clock, program.path()};
  std::vector<std::string> reported;
};

// Samples of a square wave sit at its two levels; a sine's mostly do not.
bool is_square(const std::vector<std::int16_t>& stereo) {
  const int peak = peak_of(stereo);
  std::size_t at_peak = 0;
  for (std::size_t i = 0; i < stereo.size(); i += 2) at_peak += std::abs(stereo[i]) >= peak - 2;
  return at_peak * 2 > stereo.size() * 9 / 10;
}

TEST(SoundPlayers, TheToneSampleSoundsAtTheAskedPitchForTheAskedTime) {
  Bench bench;
  PlayTone(bench.players, 1760, 50, 1, 50);
  EXPECT_NEAR(frequency_of(bench.sound(), 44100), 1760, 20);
  EXPECT_NEAR(sounding_milliseconds(bench.sound(), 44100), 50, 2);
  EXPECT_FALSE(is_square(bench.sound()));
  EXPECT_EQ(bench.mixer.voices(), 0u);  // the looped sample was stopped
  EXPECT_EQ(bench.reported, std::vector<std::string>{"tone 1760 50"});

  bench.clock.clear_rendered();
  PlayTone(bench.players, 440, 100, 2, 50);  // sample and speaker together
  EXPECT_NEAR(frequency_of(bench.sound(), 44100), 440, 10);
  EXPECT_NEAR(sounding_milliseconds(bench.sound(), 44100), 100, 2);
}

TEST(SoundPlayers, WithoutTheToneSampleEveryModeBeeps) {
  for (int mode : {0, 1, 2, 7}) {
    Bench bench(false);
    PlayTone(bench.players, 1760, 50, mode, 50);
    EXPECT_NEAR(frequency_of(bench.sound(), 44100), 1760, 20) << mode;
    EXPECT_NEAR(sounding_milliseconds(bench.sound(), 44100), 50, 2) << mode;
    EXPECT_TRUE(is_square(bench.sound())) << mode;
  }
  Bench loud;
  PlayTone(loud.players, 880, 30, 100, 50);  // a mode above 2 is the volume
  Bench soft;
  PlayTone(soft.players, 880, 30, 1, 50);
  EXPECT_GT(peak_of(loud.sound()), 3 * peak_of(soft.sound()));
}

// A second of A at 440 Hz, as a wave file, and its OGG and MP3 forms made by the Debian tools.
struct MadeFiles {
  MadeFiles() {
    Pcm a{44100, 2, {}};
    for (int i = 0; i < 44100; ++i) {
      const auto s = static_cast<std::int16_t>(9000 * std::sin(2 * 3.14159265358979 * 440 * i / 44100));
      a.samples.push_back(s);
      a.samples.push_back(s);
    }
    EXPECT_TRUE(write_wav(folder.path() / "a.wav", a));
    const std::string wav = (folder.path() / "a.wav").string();
    EXPECT_TRUE(testing::run_host_program(
        {"/usr/bin/oggenc", "-Q", "-o", (folder.path() / "a.ogg").string(), wav}));
    EXPECT_TRUE(testing::run_host_program(
        {"/usr/bin/lame", "--quiet", wav, (folder.path() / "a.mp3").string()}));
    std::filesystem::copy(folder.path() / "a.wav", folder.path() / "CRI.WAV");
  }
  TempFolder folder;
};

TEST(SoundPlayers, WaveOggAndMp3FilesDecodeToTheirLength) {
  MadeFiles made;
  for (const char* name : {"a.wav", "a.ogg", "a.mp3"}) {
    const auto pcm = decode_sound_file(made.folder.path() / name);
    ASSERT_TRUE(pcm) << name;
    EXPECT_EQ(pcm->channels, 2) << name;
    EXPECT_NEAR(pcm->seconds(), 1.0, 0.06) << name;
  }
  const std::string garbage(5000, '\x42');
  for (const std::string& bad : {std::string(), std::string("RIFF"), std::string("OggS") + garbage,
                                 std::string("ID3") + garbage, std::string("\xFF\xFB") + garbage,
                                 garbage}) {
    testing::write_bytes(made.folder.path() / "bad.wav", bad);
    EXPECT_FALSE(decode_sound_file(made.folder.path() / "bad.wav"));
  }
  EXPECT_FALSE(decode_sound_file(made.folder.path() / "absent.ogg"));
}

TEST(SoundPlayers, AlarmFilesPlayThroughTheirPlayerAndBlockingModesWait) {
  MadeFiles made;
  Bench bench;
  PlayAlarmFile(bench.players, (made.folder.path() / "CRI.WAV").string());
  EXPECT_EQ(bench.reported.back().rfind("wave ", 0), 0u);
  bench.clock.sleep(std::chrono::milliseconds(1500));
  EXPECT_NEAR(sounding_milliseconds(bench.sound(), 44100), 1000, 5);
  EXPECT_NEAR(frequency_of(bench.sound(), 44100), 440, 5);

  bench.clock.clear_rendered();
  PlayMedia(bench.players, (made.folder.path() / "a.mp3").string(), 1, 100, -100);
  EXPECT_GE(bench.sound().size() / 2, 44100u);  // mode 1 waited for the end
  int right_peak = 0;
  for (std::size_t i = 1; i < bench.sound().size(); i += 2) right_peak = std::max(right_peak, std::abs(int(bench.sound()[i])));
  EXPECT_EQ(right_peak, 0);  // balance -100: left side only

  PlayOgg(bench.players, (made.folder.path() / "a.ogg").string(), 2, 100, 0);
  PlayOgg(bench.players, (made.folder.path() / "a.ogg").string(), 2, 100, 0);
  PlayMedia(bench.players, (made.folder.path() / "a.mp3").string(), 2, 100, 0);
  EXPECT_EQ(bench.mixer.voices(), 3u);
  StopAlarmSounds(bench.players);
  EXPECT_EQ(bench.mixer.voices(), 1u);  // only "stop.wav" sounds
  PlayAlarmFile(bench.players, "missing.ogg");
  EXPECT_EQ(bench.mixer.voices(), 1u);
}

TEST(SoundPlayers, AMixedAlarmRingsTheFileAndTonesInSimulatedTime) {
  MadeFiles made;
  Bench bench;
  const AlarmProfile mixed{3, (made.folder.path() / "a.wav").string(), 880, 40, -5, 6, 3, 2};
  RingAlarm(mixed, 2, alarm_player(bench.players, [&](auto ms) { bench.clock.sleep(ms); },
                                   [] { return false; }));
  std::vector<std::string> waves;
  for (const auto& line : bench.reported) {
    if (line.rfind("wave", 0) == 0) waves.push_back(line);
  }
  EXPECT_EQ(waves.size(), 2u);
  EXPECT_EQ(bench.reported[1], "tone 880 40");
  EXPECT_EQ(bench.reported[5], waves[1]);  // the fifth cycle
  EXPECT_NEAR(static_cast<double>(bench.sound().size() / 2) / 44100, 6 * (0.04 + 5), 0.01);
}

TEST(SoundPlayers, AChimeThreadPlaysItsPlanAndStopsWhenAsked) {
  MadeFiles made;
  Bench bench;
  std::filesystem::create_directories(bench.program.path() / "carillons");
  ChimeProfile profile;
  profile.hour_strike_mode = 13;
  profile.hours = {{(made.folder.path() / "a.ogg").string(), 100, 0, 300}};
  play_chime_plan(bench.players, plan_chime(profile, {300, false, {}, {}},
                                            [](std::size_t) -> std::size_t { return 0; }));
  EXPECT_EQ(std::count(bench.reported.begin(), bench.reported.end(),
                       "ogg \"" + profile.hours[0].file + "\""),
            3);
  EXPECT_NEAR(static_cast<double>(bench.sound().size() / 2) / 44100, 0.9, 0.01);

  SystemClock real;
  Mixer mixer;
  SoundPlayers live{mixer, real, bench.program.path()};
  profile.hours[0].duration = 30000;
  ChimeThread thread;
  const auto started = std::chrono::steady_clock::now();
  PlayChime(thread, live, profile, {100, false, {}, {}}, [](std::size_t) -> std::size_t { return 0; });
  stop_chime(thread);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_FALSE(thread.worker.joinable());
}

TEST(Mixer, VoicesAddUpLoopAndResample) {
  Mixer mixer(1000);
  auto level = std::make_shared<const Pcm>(Pcm{1000, 1, std::vector<std::int16_t>(10, 1000)});
  mixer.play(level, {0, 1.0, 0.5, false});
  const VoiceId looped = mixer.play(level, {2000, 1.0, 1.0, true});
  std::vector<std::int16_t> out(2 * 30);
  mixer.render(out.data(), 30);
  EXPECT_EQ(out[0], 2000);
  EXPECT_EQ(out[1], 1500);
  EXPECT_EQ(out[2 * 15], 1000);  // the first voice ended after 10 frames, the loop goes on
  EXPECT_TRUE(mixer.playing(looped));
  auto loud = std::make_shared<const Pcm>(Pcm{1000, 1, std::vector<std::int16_t>(10, 32000)});
  mixer.play(loud, {});
  mixer.render(out.data(), 5);
  EXPECT_EQ(out[0], 32767);  // clipped, never wrapped
  mixer.stop(looped);
  EXPECT_EQ(mixer.voices(), 1u);
}

}  // namespace
}  // namespace tavelo
