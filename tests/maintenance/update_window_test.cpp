// The update check asked from the menu, in scripted sessions against a local web server: its
// questions and messages, the progress window and its Cancel button, the updater started.
#include "maintenance/update_window.hpp"

#include <gtest/gtest.h>

#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "platform/file_names.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/process.hpp"
#include "platform/sim/transcript.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

class UpdateWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runner.load_dialog_library(TAVELO_PARLON_LIBRARY));
    write_bytes(runner.folder() / program_file_names().updater, "");
    write_bytes(runner.folder() / kInstalledIndex,
                update_index_text({kVersionLabel, kReleaseLabel, {}}));
  }

  void serve(const std::string& version, int files) {
    UpdateIndex index{version, kReleaseLabel, {}};
    for (int i = 1; i <= files; ++i) {
      const std::string name = "f" + std::to_string(i) + ".htm";
      write_bytes(root.path() / name, "page " + std::to_string(i));
      index.rows.push_back({"/" + name, "1", "manual\\" + name});
    }
    write_bytes(root.path() / "agmajidx5.txt", update_index_text(index));
  }

  ScriptRun check(std::string_view script, bool holding_lock = false) {
    return runner.run(script, [&] {
      LoadSpeechLibraries();
      WindowPrompts prompts;
      UpdateRun run{runner.folder(),
                    runner.folder(),
                    true,
                    false,
                    {"/cal"},
                    network,
                    server,
                    prompts,
                    [holding_lock] { return holding_lock; },
                    [] {},
                    [] {}};
      return RunUpdateCheck(2, 0, run).status;
    });
  }

  std::string requests() const { return read_bytes(log); }

  ScriptRunner runner;
  TempFolder root, work;
  fs::path log = work.path() / "requests.log";
  LocalServer maker{"http_server.py", {"--root", root.path().string(), "--log", log.string()}};
  CurlNetwork network{quick_network_options()};
  std::optional<std::string> server = "http://" + maker.address();
};

TEST_F(UpdateWindows, ANewVersionIsDownloadedWithItsProgressAndTheUpdaterStarted) {
  serve("version: 6.41", 3);
  const ScriptRun r = check("answer yes\nwait 2s\n");
  EXPECT_EQ(r.code, kNewerVersion) << r.text();
  EXPECT_TRUE(
      r.has("question \"Une nouvelle version de l'agenda est disponible. Voulez-vous la "
            "télécharger\" -> yes"));
  EXPECT_TRUE(r.has("window \"Tavelo téléchargement\""));
  EXPECT_TRUE(r.has("speak \"boîte de progression Tavelo téléchargement, bouton annuler.\""))
      << r.text();
  EXPECT_TRUE(
      r.has("notice \"Notice...\" \"La mise à jour a bien été installée. L'agenda va "
            "redémarrer.\""));
  EXPECT_TRUE(r.has("open \"" + *server + "/news.htm\""));
  EXPECT_TRUE(r.has("run " + in_quotes((runner.folder() / program_file_names().updater).string()) +
                    " \"" + std::to_string(current_process_id()) + "\" \"/cal\""));
  EXPECT_EQ(read_bytes(runner.folder() / "maj" / "fichiers" / "manual" / "f3.htm"), "page 3");
  EXPECT_FALSE(fs::exists(runner.folder() / "manual" / "f1.htm")) << "the updater moves them";
}

TEST_F(UpdateWindows, CancelStopsAfterTheFileBeingFetchedAndChangesNothing) {
  serve("version: 6.41", 5);
  const std::string installed = read_bytes(runner.folder() / kInstalledIndex);
  // The window answers 20 ms between two files: Cancel comes while the fourth waits.
  const ScriptRun r = check("answer yes\nwait 50ms\nclick cancel\nwait 1s\n");
  EXPECT_EQ(r.code, kNewerVersion) << r.text();
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/f1.htm\n/f2.htm\n/f3.htm\n");
  EXPECT_FALSE(
      r.has("notice \"Notice...\" \"La mise à jour a bien été installée. L'agenda va "
            "redémarrer.\""));
  for (const std::string& line : r.lines) EXPECT_FALSE(line.starts_with("run ")) << line;
  EXPECT_FALSE(fs::exists(runner.folder() / "maj"));
  EXPECT_FALSE(fs::exists(runner.folder() / "maj.txt"));
  EXPECT_FALSE(fs::exists(runner.folder() / "manual"));
  EXPECT_EQ(read_bytes(runner.folder() / kInstalledIndex), installed);
}

TEST_F(UpdateWindows, TheCalendarSaysUpToDateInANoticeAndAnUnreachableServerInAMessage) {
  serve(kVersionLabel, 0);
  const ScriptRun current = check("", true);
  EXPECT_EQ(current.code, kUpToDate);
  EXPECT_TRUE(current.has("notice \"Avertissement\" \"Votre version de l'agenda est à jour.\""))
      << current.text();

  server = "http://127.0.0.1:" + std::to_string(closed_port());
  const ScriptRun unreachable = check("wait 6s\n");  // the message counts down
  EXPECT_EQ(unreachable.code, kIndexNotObtained);
  EXPECT_TRUE(
      unreachable.has("ask \"Avertissement|La mise à jour n'est pas accessible...|5\" -> 0"))
      << unreachable.text();
}

}  // namespace
}  // namespace tavelo::testing
