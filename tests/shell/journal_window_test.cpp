// The journal window, driven by scripts.
#include "shell/journal_window.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "access/speech.hpp"
#include "planning/settings.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_shell.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

struct JournalWindowTest : ::testing::Test {
  JournalWindowTest() { settings.journal_folder = journal().string(); }

  fs::path journal() const { return runner.folder() / "journal"; }
  void add_section(const std::string& name) {
    fs::create_directories(journal());
    write_bytes(journal() / (name + ".txt"), "6 Mars 2026, \xE0 14:30.\r\n");
  }
  ScriptRun show(std::string_view script) {
    return runner.run(script, [&] {
      LoadSpeechLibraries();
      Transcript shell_lines(interface_clock(), &shell_out);
      SimShell sim_shell(shell_lines, runner.folder());
      const ShellService shell(sim_shell);
      ShowJournal(runner.folder(), settings);
      return 0;
    });
  }

  ScriptRunner runner;
  Settings settings = default_settings(45000, false);
  std::ostringstream shell_out;
};

TEST_F(JournalWindowTest, TheMainSectionComesFirstOpensInTheEditorAndSectionsGo) {
  for (const char* name : {"agenda", "bilan principal", "travail"}) add_section(name);
  const ScriptRun run = show(
      "wait 1s\n"
      "key enter\n"
      "wait 1s\n"
      "select 1 1\n"
      "answer yes\n"
      "key delete\n"
      "wait 1s\n"
      "click 22\n"
      "answer no\n"
      "wait 1s\n"
      "click 22\n"
      "answer yes\n"
      "wait 1s\n");
  EXPECT_TRUE(run.has("window \"journal\"")) << run.text();
  EXPECT_TRUE(run.has("speak \"journal\""));
  EXPECT_TRUE(run.has("focus 1 \"sections du journal\""));
  EXPECT_NE(shell_out.str().find("open " + in_quotes((journal() / "bilan principal.txt").string())),
            std::string::npos);
  EXPECT_TRUE(run.has("question \"Voulez-vous supprimer la section: agenda\" -> yes"));
  EXPECT_EQ(run.count("question \"Voulez-vous supprimer toutes les sections?\" -> no"), 1);
  EXPECT_TRUE(run.has("notice \"Tavelo\" \"tout le journal a été supprimé\""));
  EXPECT_TRUE(fs::is_empty(journal()));
}

TEST_F(JournalWindowTest, NoSectionIsToldAndDeletingTheLastOneClosesTheWindow) {
  ScriptRun run = show("wait 1s\n");
  EXPECT_TRUE(run.has("notice \"Tavelo\" \"aucun journal à afficher.\"")) << run.text();
  EXPECT_FALSE(run.has("window \"journal\""));
  add_section("bilan principal");
  run = show("wait 1s\nanswer yes\nclick 21\nwait 1s\nkey f1\n");
  EXPECT_TRUE(run.has("question \"Voulez-vous supprimer la section: bilan principal\" -> yes"));
  EXPECT_TRUE(run.has("notice \"Tavelo\" \"tout le journal a été supprimé\""));
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(shell_out.str().find("help"), std::string::npos);  // the window had closed
}

}  // namespace
}  // namespace tavelo::testing
