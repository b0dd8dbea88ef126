// Speech through a real speech-dispatcher daemon that the test starts with a private
// configuration (tests/platform/speech_daemon.hpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/linux/speechd_speech.hpp"
#include "tests/platform/speech_daemon.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using testing::eventually;

constexpr int kPatienceMs = 20000;

TEST(SpeechdSpeech, ReaderAndVoiceSpeakThroughTheDaemon) {
  testing::TempFolder folder;
  testing::SpeechDaemon daemon(folder.path());
  SpeechdSpeech speech;

  ASSERT_TRUE(speech.offers_say());
  EXPECT_TRUE(speech.reader_running());
  EXPECT_TRUE(speech.say("rendez-vous chez le médecin", false));
  EXPECT_TRUE(eventually([&] { return daemon.heard("rendez-vous chez le médecin"); }, kPatienceMs));
  EXPECT_EQ(speech.speak("réunion à dix heures"), 0);
  EXPECT_TRUE(eventually([&] { return daemon.heard("réunion à dix heures"); }, kPatienceMs));

  ASSERT_TRUE(speech.voice_open());
  speech.voice_init(true);
  ASSERT_GE(speech.voice_count(), 1);
  EXPECT_FALSE(speech.voice_name(0).empty());
  EXPECT_TRUE(speech.voice_name(speech.voice_count()).empty());
  speech.voice_select(0);
  speech.voice_set_volume(80);
  speech.voice_set_rate(-4);
  speech.voice_set_pitch(3);
  EXPECT_EQ(speech.voice_volume(), 80);
  EXPECT_EQ(speech.voice_rate(), -4);
  EXPECT_EQ(speech.voice_pitch(), 3);
  speech.voice_speak("il est midi");
  // The started notification arrives while the module works, the ended one after it.
  EXPECT_TRUE(eventually([&] { return speech.voice_speaking(); }, kPatienceMs));
  EXPECT_TRUE(eventually([&] { return daemon.heard("il est midi"); }, kPatienceMs));
  EXPECT_TRUE(eventually([&] { return !speech.voice_speaking(); }, kPatienceMs));

  speech.voice_close();
  EXPECT_EQ(speech.voice_count(), 0);
  EXPECT_FALSE(speech.voice_speaking());
}

TEST(SpeechdSpeech, WithoutTheDaemonTheChannelsAreOff) {
  testing::TempFolder folder;
  ::setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  ::setenv("SPEECHD_ADDRESS", ("unix_socket:" + (folder.path() / "absent.sock").string()).c_str(),
           1);
  SpeechdSpeech speech;
  EXPECT_FALSE(speech.offers_say());
  EXPECT_FALSE(speech.offers_speak());
  EXPECT_FALSE(speech.reader_running());
  EXPECT_FALSE(speech.say("bonjour", true));
  EXPECT_GT(speech.speak("bonjour"), 0);
  EXPECT_FALSE(speech.voice_open());
  speech.voice_init(true);
  speech.voice_speak("bonjour");
  EXPECT_EQ(speech.voice_count(), 0);
  EXPECT_FALSE(speech.voice_speaking());
  EXPECT_FALSE(fs::exists(folder.path() / "speech-dispatcher")) << "a daemon was spawned";
}

}  // namespace
}  // namespace tavelo

// libspeechd keeps a copy of a string when a connection fails; that is its leak, not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:spd_open2\n";
}

// GLib has no frame pointers: the slow unwinder is needed to see that the allocation is theirs.
extern "C" const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}
