#include "access/speech.hpp"

#include <gtest/gtest.h>

#include "tests/access/sim_session.hpp"

namespace tavelo::testing {
namespace {

using Lines = std::vector<std::string>;

SimSpeechSetup say_reader() {
  SimSpeechSetup setup;
  setup.say_style = true;
  setup.speak_style = false;
  return setup;
}

TEST(Speech, AnEmptyTextSilencesAndSaysNothing) {
  SimSession sim;
  EXPECT_EQ(Speak("", 1), 2);
  EXPECT_EQ(sim.heard(), (Lines{"silence"}));
  EXPECT_EQ(Speak("bonjour", 0), 2);
  EXPECT_EQ(sim.heard(), (Lines{"silence", "speak \"bonjour\""}));
}

TEST(Speech, TheBackgroundIsQuietUnlessForced) {
  SimSession sim;
  OpenDialog("", 0, 0, 10, 40, "fenêtre");
  sim.windows.activate(false);
  EXPECT_EQ(Speak("caché", 1, 0), 0);
  EXPECT_EQ(Speak("forcé", 0, 1), 2);
  EXPECT_EQ(sim.heard(), (Lines{"window \"fenêtre\"", "speak \"forcé\""}));
}

TEST(Speech, TheSayReaderSpeaksFirstAndReportsIt) {
  SimSession sim(say_reader());
  EXPECT_EQ(Speak("un", 1), 1);
  EXPECT_EQ(Speak("deux", 0), 1);
  EXPECT_EQ(sim.heard(), (Lines{"silence", "speak \"un\"", "speak \"deux\""}));
  sim.speech.set_reader_running(false);
  EXPECT_EQ(Speak("trois", 0), 0);
  RunScreenReaderScript("SayAll");
  EXPECT_EQ(sim.speech.scripts_run, (Lines{"SayAll"}));
}

TEST(Speech, NoReaderMeansNothingSpoken) {
  SimSpeechSetup none;
  none.speak_style = false;
  SimSession sim(none);
  EXPECT_EQ(Speak("personne", 1), 0);
  EXPECT_EQ(Speak("plus tard", 1500), 0);
  EXPECT_TRUE(sim.heard().empty());
  EXPECT_EQ(TestScreenReader(3, false), 0);
}

TEST(Speech, ADelayedAnnouncementComesAfterItsQuietPeriod) {
  for (const bool say_style : {false, true}) {
    SimSession sim(say_style ? say_reader() : SimSpeechSetup{});
    OpenDialog("", 0, 0, 10, 40, "agenda");
    sim.events();
    const std::size_t before = sim.transcript.lines().size();
    const std::uint32_t start = sim.clock.tick();
    Speak("trois rendez-vous", 1500);
    EXPECT_LT(sim.clock.tick() - start, 100u);  // returns at once
    const int silenced_at_start = sim.speech.silencings;
    while (sim.transcript.lines().size() == before ||
           sim.transcript.lines().back().find("speak") == std::string::npos) {
      WaitDialogEvent(1000);
    }
    // Spoken 1.5 s later (after the cut of the speak-style reader, a 60 ms key tap).
    const std::string& spoken = sim.transcript.lines().back();
    EXPECT_EQ(spoken.substr(0, 10), "09:00:01.5");
    EXPECT_EQ(spoken.substr(12), " speak \"trois rendez-vous\"");
    EXPECT_GE(sim.speech.silencings - silenced_at_start, 1500 / 30 - 2);
    EXPECT_TRUE(dialog_state().pending_announcement.empty());
    const std::uint32_t after = sim.clock.tick();
    EXPECT_EQ(WaitDialogEvent(1000), "");
    EXPECT_EQ(sim.clock.tick() - after, 1000u);  // the period is over: the wait is the caller's
  }
}

TEST(Speech, ScreenReaderTestFindsTheRunningReaderOrGivesUp) {
  SimSession sim;
  EXPECT_EQ(TestScreenReader(0, false), 2);
  EXPECT_TRUE(speech_state().speak_reader_running);
  sim.speech.set_reader_running(false);
  OpenDialog("", 0, 0, 10, 40, "démarrage");
  const std::uint32_t start = sim.clock.tick();
  EXPECT_EQ(TestScreenReader(2, false), 0);
  EXPECT_GE(sim.clock.tick() - start, 2000u);
  EXPECT_THROW(TestScreenReader(1, true), ProgramEnd);
  SimSession with_say(say_reader());
  EXPECT_EQ(TestScreenReader(1, false), 1);
}

TEST(Speech, VoiceProfilesSelectAndTuneTheVoice) {
  SimSession sim;
  SapiSpeak("rien");  // not loaded yet: nothing happens
  EXPECT_EQ(SapiEngineCount(), 0);
  EXPECT_EQ(SapiInit(1, 2, 0), 1);
  EXPECT_EQ(SapiEngineCount(), 2);
  EXPECT_EQ(SapiEngineName(1), "Voix B");
  ApplySapiProfile("2_80_3_-4");
  EXPECT_EQ(sim.speech.selected_voice(), 1);
  EXPECT_EQ(SapiGetVolume(), 80);
  EXPECT_EQ(SapiGetSpeed(), 3);
  EXPECT_EQ(SapiGetPitch(), -4);
  ApplySapiProfile("1_20_5");  // three fields: ignored
  EXPECT_EQ(SapiGetVolume(), 80);
  SapiSpeak("Réunion à dix heures");
  EXPECT_TRUE(sim.speech.voice_speaking());
  SapiStop();
  EXPECT_FALSE(sim.speech.voice_speaking());
  ApplySapiProfile("0_50_1_2");
  EXPECT_FALSE(speech_state().sapi_loaded);
  EXPECT_EQ(SapiGetVolume(), 0);
  // A profile brings the engine back with the remembered start values.
  ApplySapiProfile("1_60_0_0");
  EXPECT_TRUE(speech_state().sapi_loaded);
  EXPECT_EQ(sim.speech.selected_voice(), 0);
  EXPECT_EQ(SapiGetVolume(), 60);
  EXPECT_EQ(sim.heard(), (Lines{"voice \"Réunion à dix heures\""}));
}

TEST(Speech, NoSynthesiserLeavesEveryVoiceOperationIdle) {
  SimSpeechSetup setup;
  setup.synthesiser = false;
  SimSession sim(setup);
  EXPECT_EQ(SapiInit(0, 0, 0), 0);
  ApplySapiProfile("1_60_0_0");
  SapiSpeak("rien");
  EXPECT_EQ(SapiEngineCount(), 0);
  EXPECT_TRUE(sim.heard().empty());
}

}  // namespace
}  // namespace tavelo::testing
