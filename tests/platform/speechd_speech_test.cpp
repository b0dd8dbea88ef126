// Speech through a real speech-dispatcher daemon that the test starts with a private
// configuration: its one output module writes what it is given into a file and waits a little
// as a voice would, and its sound goes to ALSA's null device, which needs no sound card.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/speechd_speech.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using testing::eventually;

constexpr int kPatienceMs = 20000;

class SpeechDaemon {
 public:
  explicit SpeechDaemon(const fs::path& folder) : spoken_(folder / "dit.txt") {
    const fs::path config = folder / "config";
    fs::create_directories(config / "modules");
    fs::create_directories(folder / "journal");
    std::ofstream(config / "speechd.conf")
        << "LogLevel 3\n"
        << "LogDir \"" << (folder / "journal").string() << "\"\n"
        << "AudioOutputMethod \"alsa\"\n"
        << "AudioALSADevice \"null\"\n"
        << "AddModule \"enregistreur\" \"sd_generic\" \"enregistreur.conf\"\n"
        << "DefaultModule enregistreur\n"
        << "LanguageDefaultModule \"fr\" \"enregistreur\"\n";
    std::ofstream(config / "modules" / "enregistreur.conf")
        << "GenericExecuteSynth \"echo \\'$DATA\\' >> " << spoken_.string()
        << "; sleep 0.5\"\n"
        << "AddVoice \"fr\" \"MALE1\" \"voix-essai\"\n"
        << "GenericLanguage \"fr\" \"fr\" \"utf-8\"\n";
    const fs::path socket = folder / "speechd.sock";
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    ::setenv("SPEECHD_ADDRESS", ("unix_socket:" + socket.string()).c_str(), 1);
    daemon_ = std::make_unique<testing::ChildProcess>(std::vector<std::string>{
        "speech-dispatcher", "-s", "-t", "0", "-c", "unix_socket", "-S", socket.string(), "-C",
        config.string(), "-P", (folder / "speechd.pid").string()});
    if (!eventually([&] { return fs::exists(socket); }, kPatienceMs)) {
      throw std::runtime_error("speech-dispatcher did not start");
    }
  }

  // True once the module was given a line holding `text`.
  bool heard(const std::string& text) const {
    std::ifstream in(spoken_);
    const std::string all((std::istreambuf_iterator<char>(in)), {});
    return all.find(text) != std::string::npos;
  }

 private:
  fs::path spoken_;
  std::unique_ptr<testing::ChildProcess> daemon_;
};

TEST(SpeechdSpeech, ReaderAndVoiceSpeakThroughTheDaemon) {
  testing::TempFolder folder;
  SpeechDaemon daemon(folder.path());
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
