#include "platform/linux/sdl_audio_output.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace tavelo {
namespace {

TEST(SdlAudioOutput, PullsTheMixerEvenWithoutASoundCard) {
  Mixer mixer;
  SdlAudioOutput output(mixer);
  ASSERT_TRUE(output.running());
  EXPECT_FALSE(output.driver().empty());
  const VoiceId voice = mixer.play(
      std::make_shared<const Pcm>(Pcm{44100, 1, std::vector<std::int16_t>(4410, 100)}), {});
  // A tenth of a second of sound is pulled well within two seconds by any driver.
  for (int i = 0; i < 200 && mixer.playing(voice); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(mixer.playing(voice));
}

}  // namespace
}  // namespace tavelo
