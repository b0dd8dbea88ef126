#include "platform/linux/sdl_audio_output.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

namespace tavelo {
namespace {

using std::chrono::milliseconds;

std::shared_ptr<const Pcm> tone(std::size_t frames) {
  return std::make_shared<const Pcm>(Pcm{44100, 1, std::vector<std::int16_t>(frames, 100)});
}

// Any driver pulls a short sound, or opens and closes its device, well within five seconds.
bool within_seconds(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return done();
}

TEST(SdlAudioOutput, PullsTheMixerEvenWithoutASoundCard) {
  Mixer mixer;
  SdlAudioOutput output(mixer);
  ASSERT_TRUE(output.running());
  EXPECT_FALSE(output.driver().empty());
  const VoiceId voice = mixer.play(tone(4410), {});
  EXPECT_TRUE(within_seconds([&] { return !mixer.playing(voice); }));
}

TEST(SdlAudioOutput, ClosesTheDeviceWhenIdleAndLosesNoSoundStartedAroundTheClosing) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  Mixer mixer;
  SdlAudioOutput output(mixer, milliseconds(20));
  ASSERT_TRUE(output.running());
  ASSERT_TRUE(within_seconds([&] { return !output.device_open(); }));

  const VoiceId first = mixer.play(tone(4410), {});
  EXPECT_TRUE(within_seconds([&] { return !mixer.playing(first); }));
  EXPECT_TRUE(within_seconds([&] { return !output.device_open(); }));

  // Sounds that start while the device may be closing, from another thread, each play out.
  std::mt19937 random(16);
  std::uniform_int_distribution<int> pause_ms(0, 80);
  for (int round = 0; round < 30; ++round) {
    std::this_thread::sleep_for(milliseconds(pause_ms(random)));
    VoiceId voice = 0;
    std::thread([&] { voice = mixer.play(tone(441), {}); }).join();
    ASSERT_TRUE(within_seconds([&] { return !mixer.playing(voice); })) << "round " << round;
  }
  EXPECT_TRUE(within_seconds([&] { return !output.device_open(); }));
}

}  // namespace
}  // namespace tavelo
