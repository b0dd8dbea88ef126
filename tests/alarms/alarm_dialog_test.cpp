// The alarm settings' window in its three modes, driven by scripts.
#include "alarms/alarm_dialog.hpp"

#include <gtest/gtest.h>

#include "access/dialog.hpp"
#include "alarms/alarm_profile.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"
#include "platform/sim/transcript.hpp"
#include "platform/sound_decoders.hpp"
#include "tests/support/inspect.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

void write_short_wave(const fs::path& file) {
  ASSERT_TRUE(write_wav(file, Pcm{8000, 1, std::vector<std::int16_t>(800, 1000)}));
}

struct AlarmWindow : ::testing::Test {
  ScriptRunner runner;
  Settings settings = default_settings(45000, false);
  fs::path rdv = runner.folder() / "rdv";
  std::vector<std::string> help;

  AlarmWindow() {
    apply_zero_value_defaults(settings);
    fs::create_directories(rdv);
  }

  // Runs the window; `after` looks at it once it has closed.
  ScriptRun drive(std::string_view script, const std::function<void(SoundPlayers&)>& window,
                  const std::function<void()>& after = {}) {
    return runner.run(script, [&] {
      SoundPlayers players(sound_mixer(), interface_clock(), runner.folder());
      players.report = sound_report();
      const ShownHelp shown;
      window(players);
      help = shown.lines();
      if (after) after();
      return 0;
    });
  }
  ScriptRun drive(int mode, std::string_view script, const std::function<void()>& after = {}) {
    return drive(
        script,
        [&](SoundPlayers& players) {
          OpenAlarmDialog(mode, settings.default_alarm, settings, runner.folder(), players);
        },
        after);
  }
  std::vector<std::string> list_items() const {
    std::vector<std::string> items;
    const SimWindowSystem& windows = session_windows();
    const int window = dialog_state().window;
    for (int i = 0; i < windows.item_count(window, 1); ++i) {
      items.push_back(windows.item(window, 1, i).text);
    }
    return items;
  }
};

TEST_F(AlarmWindow, TheFieldsFollowTheKindAndOkKeepsThemWithinBounds) {
  const std::string gong = (runner.folder() / "gong.wav").string();
  std::vector<bool> shown;
  const ScriptRun run = drive(kDefaultAlarmMode,
                              "answer " + gong +
                                  "\n"
                                  "wait 1s\n"
                                  "focus 11\ntype 99999\n"
                                  "click 42\n"
                                  "click 21\n"
                                  "focus 13\ntype 99999\n"
                                  "key f1\n"
                                  "click ok\n",
                              [&] {
                                for (const int field : {17, 21, 11, 12, 13, 14, 15, 16}) {
                                  shown.push_back(ControlExists(field));
                                }
                              });
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("window \"alarme par défaut\""));
  EXPECT_TRUE(run.has("focus 1 \"alarmes définies:\"")) << run.text();
  EXPECT_TRUE(run.has("open-file \"fichier son\" -> " + in_quotes(gong))) << run.text();
  EXPECT_EQ(shown, (std::vector<bool>{true, true, false, false, true, true, false, false}));
  EXPECT_EQ(help, std::vector<std::string>{"help \"alarme.htm\""});
  auto alarm = inspected_fields(runner.folder() / "agenda.bin")["default_alarm"];
  EXPECT_EQ(alarm["kind"], 2);
  EXPECT_EQ(alarm["sound_file"], gong);
  EXPECT_EQ(alarm["pause"], 32000);
  EXPECT_EQ(alarm["frequency"], 32000) << "what was typed before the change of kind stays";
}

TEST_F(AlarmWindow, NoSoundDefaultAndTheTestRingThroughTheRingCycle) {
  const ScriptRun run = drive(kDefaultAlarmMode,
                              "wait 1s\n"
                              "click 25\n"
                              "click 22\nwait 2s\n"
                              "click 23\n"
                              "click 22\nwait 1s\nclick 22\nwait 2s\n"
                              "click ok\n");
  EXPECT_EQ(run.code, 0) << run.text();
  // The silent alarm rings its one cycle without a sound; the factory alarm rings until stopped.
  const int tones = run.count("tone 1760 50");
  EXPECT_GE(tones, 5) << run.text();
  EXPECT_LE(tones, 12);
  EXPECT_EQ(run.count("stop-sounds"), 2);
  auto alarm = inspected_fields(runner.folder() / "agenda.bin")["default_alarm"];
  EXPECT_EQ(alarm["kind"], 1);
  EXPECT_EQ(alarm["repetitions"], 120);
}

TEST_F(AlarmWindow, AnUndecodableSoundIsToldWhenTested) {
  write_bytes(runner.folder() / "abime.wav", "RIFF rien de lisible");
  settings.default_alarm = {2, "abime.wav", 1760, 50, 50, 3, 0, 0};
  const ScriptRun run = drive(kDefaultAlarmMode, "wait 1s\nclick 22\nwait 1s\nkey escape\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(
      run.has("notice \"Attention...\" \"Le fichier son suivant ne peut pas être "
              "lu:\\rabime.wav\""))
      << run.text();
  EXPECT_EQ(run.count("wave \"abime.wav\""), 0);
  EXPECT_FALSE(file_exists(runner.folder() / "agenda.bin"));
}

TEST_F(AlarmWindow, TheLibraryImportsWavesSavesChoosesAndDeletes) {
  const fs::path sounds = runner.folder() / "sons";
  fs::create_directories(sounds);
  write_short_wave(sounds / "gong.wav");
  write_short_wave(sounds / "pluie.wav");
  write_bytes(sounds / "chant.mp3", "ID3");
  ASSERT_TRUE(SaveAlarmProfile(rdv / "gong.alm", {1, "", 440, 30, 900, 2, 0, 0}));
  std::vector<std::string> items;
  const ScriptRun run = drive(kDefaultAlarmMode,
                              "answer " + sounds.string() +
                                  "\n"
                                  "answer yes\n"
                                  "wait 1s\n"
                                  "click 26\n"
                                  "focus 1\ntype ../x\nclick 26\n"
                                  "focus 1\ntype réveil\nclick 26\n"
                                  "click 28\n"
                                  "select 1 \"gong(1)\"\n"
                                  "click 27\n"
                                  "select 1 \"pluie\"\n"
                                  "click ok\n",
                              [&] { items = list_items(); });
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(
      run.has("notice \"Attention...\" \"La chaîne de texte de la liste d'alarme doit "
              "être modifiée.\""))
      << run.text();
  EXPECT_TRUE(
      run.has("notice \"Attention...\" \"Le nom d'une alarme ne peut être vide ni "
              "contenir \\\"/\\\", \\\"\\\\\\\" ou \\\":\\\".\""))
      << run.text();
  EXPECT_TRUE(run.has("notice \"Tavelo\" \"L'alarme a été enregistrée.\""));
  EXPECT_TRUE(run.has("notice \"Tavelo\" \"Les alarmes ont été ajoutées à la liste.\""));
  EXPECT_TRUE(run.has("question \"Voulez-vous supprimer cette alarme?\" -> yes"));
  EXPECT_TRUE(run.has("notice \"Tavelo\" \"L'alarme a été supprimée.\""));
  EXPECT_EQ(items, (std::vector<std::string>{"[alarme actuelle]", "gong", "pluie", "réveil"}));
  EXPECT_EQ(list_files(rdv, "*"),
            (std::vector<std::string>{"gong.alm", "pluie.alm", "réveil.alm"}));
  EXPECT_TRUE(list_files(runner.folder(), "*.alm").empty()) << "nothing left the folder rdv";
  auto alarm = inspected_fields(runner.folder() / "agenda.bin")["default_alarm"];
  EXPECT_EQ(alarm["sound_file"], (sounds / "pluie.wav").string());
  EXPECT_EQ(alarm["pause"], 2000);
}

TEST_F(AlarmWindow, APlanningsAlarmIsEditedWithoutSavingAndCancelPutsItBack) {
  Planning planning;
  planning.alarm = {1, "", 880, 100, 200, 3, 0, 0};
  const auto window = [&](SoundPlayers& players) {
    PlanningAlarmDialog(planning, settings, runner.folder(), players);
  };
  ScriptRun run = drive("wait 1s\nclick 25\nkey escape\n", window);
  EXPECT_TRUE(run.has("window \"alarme personnalisée\"")) << run.text();
  EXPECT_EQ(planning.alarm.frequency, 880);
  EXPECT_EQ(planning.alarm.kind, 1);
  run = drive("wait 1s\nclick 25\nclick ok\n", window);
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_EQ(planning.alarm.kind, 2);
  EXPECT_EQ(planning.alarm.repetitions, 1);
  EXPECT_EQ(settings.default_alarm.kind, 1);
  EXPECT_FALSE(file_exists(runner.folder() / "agenda.bin"));
}

TEST_F(AlarmWindow, TheNightModeKeepsItsHoursAndAlarmButNotTheDefaultAlarm) {
  ASSERT_TRUE(SaveAlarmProfile(rdv / "douce.alm", {1, "", 440, 30, 100, 2, 0, 0}));
  const ScriptRun run = drive(kNightMode,
                              "wait 1s\n"
                              "check 31\n"
                              "select 2 \"22:00\"\n"
                              "select 3 \"07:00\"\n"
                              "select 1 \"douce\"\n"
                              "click 22\nwait 1s\n"
                              "key f1\n"
                              "click ok\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("window \"paramètre du mode nuit\""));
  EXPECT_TRUE(run.has("focus 31 \"activer le mode nuit\"")) << run.text();
  EXPECT_EQ(run.count("tone 440 30"), 2) << run.text();
  EXPECT_EQ(help, std::vector<std::string>{"help \"nuit.htm\""});
  auto saved = inspected_fields(runner.folder() / "agenda.bin");
  EXPECT_EQ(saved["night_mode"], (std::vector<int>{22, 0, 7, 0}));
  EXPECT_EQ(saved["night_mode_active"], 1);
  EXPECT_EQ(saved["night_alarm"], "douce");
  EXPECT_EQ(saved["default_alarm"]["frequency"], 1760);
  EXPECT_EQ(settings.default_alarm.frequency, 1760);
}

TEST_F(AlarmWindow, NoNightAlarmIsSilence) {
  settings.night_alarm = "douce";
  ASSERT_TRUE(SaveAlarmProfile(rdv / "douce.alm", {1, "", 440, 30, 100, 2, 0, 0}));
  const ScriptRun run = drive(kNightMode, "wait 1s\nselect 1 0\nclick 22\nwait 1s\nclick ok\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_EQ(run.count("tone 440 30"), 0) << run.text();
  EXPECT_EQ(inspected_fields(runner.folder() / "agenda.bin")["night_alarm"], "");
}

}  // namespace
}  // namespace tavelo::testing
