// The mixer played through waveOut. Under wine the test's ALSA configuration
// (TAVELO_WAVE_SINK, made by CMake and given as ALSA_CONFIG_PATH) sends the default device to a
// file, so what reached the device can be measured.
#include "platform/win32/wave_out_audio.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "tests/support/sound_measure.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

std::shared_ptr<const Pcm> tone(double frequency, int milliseconds) {
  auto pcm = std::make_shared<Pcm>(Pcm{44100, 1, {}});
  for (int i = 0; i < 44100 * milliseconds / 1000; ++i) {
    pcm->samples.push_back(
        static_cast<std::int16_t>(8000 * std::sin(2 * 3.14159265358979 * frequency * i / 44100)));
  }
  return pcm;
}

TEST(WaveOutAudioOutput, WhatTheMixerPlaysReachesTheWaveDevice) {
  std::filesystem::remove(TAVELO_WAVE_SINK);
  Mixer mixer;
  {
    WaveOutAudioOutput output(mixer);
    ASSERT_TRUE(output.running());
    const VoiceId voice = mixer.play(tone(660, 500), {});
    for (int i = 0; i < 300 && mixer.playing(voice); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(mixer.playing(voice));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the queued buffers drain
  }
  const std::string bytes = testing::read_bytes(TAVELO_WAVE_SINK);
  std::vector<std::int16_t> stereo(bytes.size() / 2);
  std::memcpy(stereo.data(), bytes.data(), stereo.size() * 2);
  EXPECT_NEAR(testing::frequency_of(stereo, 44100), 660, 5);
  EXPECT_NEAR(testing::sounding_milliseconds(stereo, 44100), 500, 30);
}

}  // namespace
}  // namespace tavelo
