// The management settings' window, driven by scripts.
#include "shell/management_dialog.hpp"

#include <gtest/gtest.h>

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/transcript.hpp"
#include "shell/journal.hpp"
#include "tests/support/inspect.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

constexpr int kToday = 45000;

struct ManagementDialog : ::testing::Test {
  ScriptRunner runner;
  Settings settings = default_settings(kToday, false);
  std::vector<std::string> help;

  ManagementDialog() { apply_zero_value_defaults(settings); }

  ScriptRun drive(std::string_view script, bool writable = true) {
    return runner.run(script, [&] {
      LoadSpeechLibraries();
      const ShownHelp shown;
      ManagementSettingsDialog(settings, runner.folder(), writable);
      help = shown.lines();
      return 0;
    });
  }
};

TEST_F(ManagementDialog, OkStoresTheChoicesWithinTheirFieldsAndSaves) {
  const ScriptRun run = drive(
      "wait 1s\n"
      "select 1 \"09:30\"\n"
      "focus 13\ntype 300\n"
      "focus 11\ntype -5\n"
      "focus 102\ntype 40000\n"
      "select 3 \"aucun\"\n"
      "select 4 \"dialogue\"\n"
      "check 31\n"
      "key f1\n"
      "click 22\n"
      "click ok\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("window \"gestion des planifications\""));
  EXPECT_TRUE(run.has("speak \"gestion des planification\""));
  EXPECT_TRUE(run.has("focus 1 \"heure de la gestion:\"")) << run.text();
  EXPECT_TRUE(run.has("focus 13 \"délai d'exécution au redémarrage du système: \""));
  EXPECT_EQ(help, (std::vector<std::string>{"help \"gestion.htm\"", "help \"gestion.htm\""}));

  auto saved = inspected_fields(runner.folder() / "agenda.bin");
  EXPECT_EQ(saved["management_hour"], 9);
  EXPECT_EQ(saved["management_minute"], 30);
  EXPECT_EQ(saved["restart_delay"], 255);
  EXPECT_EQ(saved["screen_reader_wait"], 0);
  EXPECT_EQ(saved["inactivity_days"], 32000);
  EXPECT_EQ(saved["forewarning_hour"], 255);
  EXPECT_EQ(saved["forewarning_mode"], 2);
  EXPECT_EQ(saved["daily_repeated_warning"], 1);
  EXPECT_EQ(saved["update_check"], 2);
}

TEST_F(ManagementDialog, CancelKeepsTheFolderAndBoxesInMemoryButSavesNothing) {
  const std::string chosen = (runner.folder() / "journaux").string() + "/";
  const ScriptRun run = drive("answer " + chosen +
                              "\n"
                              "wait 1s\n"
                              "click 21\n"
                              "check 32\n"
                              "select 1 \"23:59\"\n"
                              "key escape\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("folder \"dossier des fichiers journal\" -> " + in_quotes(chosen)))
      << run.text();
  EXPECT_FALSE(file_exists(runner.folder() / "agenda.bin"));
  EXPECT_EQ(settings.journal_folder, (runner.folder() / "journaux").string());
  EXPECT_EQ(settings.background_mode, 1);
  EXPECT_EQ(settings.management_hour, 0) << "the lists are not read on Cancel";
}

TEST_F(ManagementDialog, WithoutAWritableFolderTheUpdateListHasTwoChoices) {
  settings.update_check = 3;
  int choices = 0;
  const ScriptRun run = runner.run("wait 1s\nclick ok\n", [&] {
    ManagementSettingsDialog(settings, runner.folder(), false);
    choices = session_windows().item_count(dialog_state().window, 2);
    return 0;
  });
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_EQ(choices, 2);
  EXPECT_EQ(inspected_fields(runner.folder() / "agenda.bin")["update_check"], 2);
}

TEST_F(ManagementDialog, AJournalWithoutFolderOpensTheDialog) {
  const std::string chosen = (runner.folder() / "journal").string();
  int flag = 1;
  bool ready = false;
  const ScriptRun run =
      runner.run("answer yes\nanswer " + chosen + "\nwait 1s\nclick 21\nclick ok\n", [&] {
        WindowPrompts prompts;
        ready = JournalReady(flag, settings, prompts,
                             [&] { ManagementSettingsDialog(settings, runner.folder(), true); });
        return 0;
      });
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(ready);
  EXPECT_TRUE(run.has("window \"gestion des planifications\""));
  EXPECT_EQ(inspected_fields(runner.folder() / "agenda.bin")["journal_folder"], chosen);
}

}  // namespace
}  // namespace tavelo::testing
