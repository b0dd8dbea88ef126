// The spoken notification's windows, driven by scripts.
#include "access/notification_dialog.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "access/speech.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "tests/support/inspect.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

constexpr int kToday = 45000;

struct NotificationWindow : ::testing::Test {
  ScriptRunner runner;
  Settings settings = default_settings(kToday, false);
  std::vector<std::string> help;

  NotificationWindow() { apply_zero_value_defaults(settings); }

  // The general window, as the start-up leaves the speech: the readers looked for and, when
  // `reader` is set, found running.
  ScriptRun drive(std::string_view script, bool reader = true) {
    return runner.run(script, [&] {
      LoadSpeechLibraries();
      if (reader) TestScreenReader(1, false);
      const ShownHelp shown;
      NotificationDialog(settings, runner.folder());
      help = shown.lines();
      return 0;
    });
  }
};

TEST_F(NotificationWindow, TheTestSaysTheTextAtItsIntervalsAndOkSaves) {
  const ScriptRun run = drive(
      "wait 1s\n"
      "click 3\n"
      "focus 12\ntype 2\n"
      "focus 10\ntype 5\n"
      "click 8\n"
      "wait 12s\n"
      "key f1\n"
      "click ok\n"
      "wait 1s\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("window \"notification verbale\""));
  EXPECT_TRUE(run.has("focus 1 \"notification désactivée\"")) << run.text();
  // The voice is off in the default profile: the screen reader says the text instead.
  EXPECT_EQ(run.count("speak \"notification de Tavelo, \""), 3) << run.text();
  EXPECT_EQ(help, std::vector<std::string>{"help \"notification.htm\""}) << run.text();
  auto saved = inspected_fields(runner.folder() / "agenda.bin");
  EXPECT_EQ(saved["default_spoken"]["mode"], 2);
  EXPECT_EQ(saved["default_spoken"]["repetitions"], 2);
  EXPECT_EQ(saved["default_spoken"]["interval"], 5);
}

TEST_F(NotificationWindow, StopEndsTheTestDuringAPause) {
  settings.default_spoken = {1, "0_100_0_0", "réunion", 5, 10};
  const ScriptRun run = drive("wait 1s\nclick 8\nwait 3s\nclick 8\nwait 20s\nkey escape\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_EQ(run.count("speak \"réunion\""), 1) << run.text();
  EXPECT_FALSE(file_exists(runner.folder() / "agenda.bin")) << "Cancel saves nothing";
}

TEST_F(NotificationWindow, WithoutAScreenReaderTheKindStaysAndTheVoiceSpeaks) {
  settings.default_spoken = {0, "2_100_0_0", "réunion", 0, 0};
  const ScriptRun run = drive("wait 1s\nclick 2\nclick 8\nwait 1s\nclick ok\nwait 1s\n", false);
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("focus 7 \"texte initial:\"")) << run.text();
  EXPECT_TRUE(run.has("voice \"réunion\"")) << run.text();
  EXPECT_EQ(inspected_fields(runner.folder() / "agenda.bin")["default_spoken"]["mode"], 0);
}

TEST_F(NotificationWindow, TheVoiceIsChosenInItsOwnWindowAndHeard) {
  const ScriptRun run = drive(
      "wait 1s\n"
      "click 4\nwait 1s\n"
      "select 3 \"Voix B\"\nwait 1s\n"
      "select 5 80\nwait 1s\n"
      "select 7 \"-3\"\nwait 1s\n"
      "click ok\nwait 1s\n"
      "click ok\nwait 1s\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("window \"configuration sapi\""));
  EXPECT_TRUE(run.has("voice \"Voix B\"")) << run.text();
  EXPECT_TRUE(run.has("voice \"80\""));
  EXPECT_TRUE(run.has("voice \"-3\""));
  EXPECT_EQ(run.count("window \"notification verbale\""), 2) << "the window comes back whole";
  EXPECT_EQ(inspected_fields(runner.folder() / "agenda.bin")["default_spoken"]["voice"],
            "2_80_-3_0");
}

TEST_F(NotificationWindow, SynthesisSwitchedOffGivesAProfileThatStartsWithZero) {
  settings.default_spoken.voice = "2_60_1_1";
  const ScriptRun run = drive(
      "wait 1s\nclick 4\nwait 1s\nselect 3 0\nwait 1s\nclick ok\nwait 1s\nclick ok\nwait 1s\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("speak \"synthèse désactivée\"")) << run.text();
  EXPECT_EQ(inspected_fields(runner.folder() / "agenda.bin")["default_spoken"]["voice"],
            "0_60_1_1");
}

TEST(SapiConfigWindow, WithoutSpeechDispatcherTheProfileStays) {
  ScriptRunner runner;
  std::string chosen;
  const ScriptRun run = runner.run("wait 1s\n", [&] {
    std::ostringstream unheard;
    Transcript voices(interface_clock(), &unheard);
    SimSpeechSetup setup;
    setup.synthesiser = false;
    SimSpeech no_daemon(voices, setup);
    const InterfaceServices services(window_system(), no_daemon, interface_clock());
    chosen = SapiConfigDialog("2_80_0_0", "titre");
    return 0;
  });
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("notice \"Attention!\" \"le service speech-dispatcher est manquant.\""))
      << run.text();
  EXPECT_EQ(chosen, "2_80_0_0");
}

TEST(PlanningNotificationWindow, TheInitialSettingsAndCancel) {
  ScriptRunner runner;
  Settings settings = default_settings(45000, false);
  settings.default_spoken = {2, "1_90_0_0", "notification de Tavelo, ", 3, 7};
  Planning planning;
  planning.subject = "Dentiste";
  planning.spoken = {1, "0_100_0_0", "dentiste", 0, 0};
  const auto window = [&] {
    LoadSpeechLibraries();
    TestScreenReader(1, false);
    PlanningNotificationDialog(planning, settings);
    return 0;
  };
  ScriptRun run = runner.run("wait 1s\nclick 5\nkey escape\n", window);
  EXPECT_TRUE(run.has("window \"notification verbale personalisée, Dentiste\"")) << run.text();
  EXPECT_EQ(planning.spoken.text, "dentiste") << "Cancel leaves the planning as it was";
  run = runner.run("wait 1s\nclick 5\nclick ok\nwait 1s\n", window);
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_EQ(planning.spoken.mode, 2);
  EXPECT_EQ(planning.spoken.voice, "1_90_0_0");
  EXPECT_EQ(planning.spoken.text, "notification de Tavelo, ");
  EXPECT_EQ(planning.spoken.repetitions, 3);
  EXPECT_EQ(planning.spoken.interval, 7);
  EXPECT_EQ(settings.default_spoken.text, "notification de Tavelo, ");
  EXPECT_FALSE(file_exists(runner.folder() / "agenda.bin"));
}

}  // namespace
}  // namespace tavelo::testing
