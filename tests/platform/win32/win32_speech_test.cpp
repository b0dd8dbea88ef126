// Speech on Windows against stand-ins of the readers' libraries, of the same names and exports,
// that record what they are asked to say; and the SAPI voice through wine's COM.
#include "platform/win32/win32_speech.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/speech.hpp"
#include "platform/services.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "platform/sim/transcript.hpp"
#include "platform/win32/wide.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

using Lines = std::vector<std::string>;

// The stand-ins of one reader or both, in their own folder, which the library search is given.
class Readers {
 public:
  explicit Readers(std::initializer_list<const char*> stubs, bool running = true) {
    for (const char* stub : stubs) {
      std::filesystem::copy_file(std::filesystem::path(TAVELO_SPEECH_STUBS) / stub,
                                 folder_.path() / stub);
    }
    SetDllDirectoryW(folder_.path().c_str());
    SetEnvironmentVariableW(L"TAVELO_SPEECH_RECORD", (folder_.path() / "record.txt").c_str());
    SetEnvironmentVariableW(L"TAVELO_STUB_RUNNING", running ? L"1" : L"0");
  }
  ~Readers() {
    SetDllDirectoryW(nullptr);
    SetEnvironmentVariableW(L"TAVELO_SPEECH_RECORD", nullptr);
    SetEnvironmentVariableW(L"TAVELO_STUB_RUNNING", nullptr);
  }
  Readers(const Readers&) = delete;
  Readers& operator=(const Readers&) = delete;

  // What the readers were asked, one call a line.
  Lines record() const {
    Lines lines;
    std::string text = read_bytes(folder_.path() / "record.txt");
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

 private:
  TempFolder folder_;
};

constexpr const char* kNvda = "nvdaControllerClient64.dll";
constexpr const char* kJaws = "jfwapi.dll";

TEST(Win32Speech, WithoutTheReadersLibrariesNeitherStyleIsOffered) {
  Win32Speech speech;
  EXPECT_FALSE(speech.offers_say());
  EXPECT_FALSE(speech.offers_speak());
  EXPECT_FALSE(speech.say("personne", true));
  EXPECT_GT(speech.speak("personne"), 0);
  EXPECT_FALSE(speech.reader_running());
}

TEST(Win32Speech, NvdaHearsWideTextsAndTellsWhetherItRuns) {
  Readers readers{kNvda};
  Win32Speech speech;
  EXPECT_TRUE(speech.offers_speak());
  EXPECT_FALSE(speech.offers_say());
  EXPECT_TRUE(speech.reader_running());
  EXPECT_EQ(speech.speak("Réunion à 9 h, « salle été »"), 0);
  speech.cancel();
  EXPECT_EQ(readers.record(), (Lines{"nvda speak Réunion à 9 h, « salle été »", "nvda cancel"}));

  SetEnvironmentVariableW(L"TAVELO_STUB_RUNNING", L"0");
  EXPECT_FALSE(speech.reader_running());
  EXPECT_EQ(speech.speak("perdu"), static_cast<int>(RPC_S_UNKNOWN_IF));
}

TEST(Win32Speech, JawsHearsAnsiTextsWithTheInterruptFlagAndRunsScripts) {
  Readers readers{kJaws};
  Win32Speech speech;
  EXPECT_TRUE(speech.offers_say());
  EXPECT_FALSE(speech.offers_speak());
  EXPECT_TRUE(speech.say("Noël à l'école", true));
  EXPECT_TRUE(speech.say("suite", false));
  speech.run_script("SayAll");
  EXPECT_EQ(readers.record(),
            (Lines{"jaws say 1 Noël à l'école", "jaws say 0 suite", "jaws script SayAll"}));
  SetEnvironmentVariableW(L"TAVELO_STUB_RUNNING", L"0");
  EXPECT_FALSE(speech.say("silence", false));
}

// The dialog layer's speech on the real readers' calls: JAWS is asked first; when it does not
// speak, NVDA is cancelled and given the text.
TEST(Win32Speech, TheDialogLayerSpeaksThroughTheReadersInItsOrder) {
  Readers readers{kNvda, kJaws};
  FixedClock clock({2026, 12, 7, 9, 0, 0, 0});
  Transcript transcript(clock);
  SimWindowSystem windows(clock, transcript);
  Win32Speech speech;
  const InterfaceServices services(windows, speech, clock);
  reset_interface();
  LoadSpeechLibraries();
  EXPECT_EQ(Speak("bonjour", 0), 1);
  EXPECT_EQ(readers.record(), (Lines{"jaws say 0 bonjour"}));

  SetEnvironmentVariableW(L"TAVELO_STUB_RUNNING", L"0");
  EXPECT_EQ(Speak("personne", 1), 0);
}

TEST(Win32Speech, TheSapiVoiceListsNamedVoicesAndStopsWhenClosed) {
  Win32Speech speech;
  ASSERT_TRUE(speech.voice_open());
  speech.voice_init(false);
  for (int i = 0; i < speech.voice_count(); ++i) EXPECT_FALSE(speech.voice_name(i).empty());
  EXPECT_EQ(speech.voice_name(speech.voice_count()), "");
  speech.voice_set_volume(80);
  speech.voice_set_rate(3);
  speech.voice_set_pitch(-2);
  EXPECT_EQ(speech.voice_volume(), 80);
  EXPECT_EQ(speech.voice_rate(), 3);
  EXPECT_EQ(speech.voice_pitch(), -2);
  speech.voice_stop();
  EXPECT_FALSE(speech.voice_speaking());
  speech.voice_close();
  EXPECT_EQ(speech.voice_count(), 0);
  EXPECT_FALSE(speech.voice_speaking());
}

}  // namespace
}  // namespace tavelo::testing
