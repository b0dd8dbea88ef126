#include "maintenance/update_check.hpp"

#include <gtest/gtest.h>

#include "platform/file_names.hpp"
#include "platform/portable/curl_network.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using namespace std::chrono_literals;
using testing::LocalServer;
using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

struct RecordingHost final : UpdateHost {
  void timed_message(std::string_view chain) override { messages.emplace_back(chain); }
  void close_dialog_window() override { events.emplace_back("close window"); }
  bool holds_instance_lock() override { return holding_lock; }
  void release_instance_lock() override { events.emplace_back("release agendalock"); }
  void donation_reminder() override { events.emplace_back("donation"); }
  void open_page(std::string_view url) override { events.emplace_back("open " + std::string(url)); }

  bool holding_lock = false;
  std::vector<std::string> messages, events;
};

struct RecordingProgress final : ProgressDisplay {
  void open(std::string_view title) override {
    steps.emplace_back(title);
    if (fs::exists(lock)) steps.emplace_back("agendamajlock held");
  }
  bool advance(int position, int total) override {
    steps.push_back(std::to_string(position) + "/" + std::to_string(total));
    return position != cancel_at;
  }
  void close() override { steps.emplace_back("close"); }

  int cancel_at = 0;
  fs::path lock;
  std::vector<std::string> steps;
};

std::string index_text(std::string_view version, std::string_view release,
                       const std::vector<IndexRow>& rows) {
  return update_index_text({std::string(version), std::string(release), rows});
}

struct UpdateFixture : ::testing::Test {
  TempFolder program, appdata, root, work;
  fs::path log = work.path() / "requests.log";
  LocalServer server{"http_server.py", {"--root", root.path().string(), "--log", log.string()}};
  CurlNetwork network{NetworkOptions{{2000ms, 3000ms, 5000ms}, {}}};
  ScriptedPrompts prompts;
  RecordingHost host;
  RecordingProgress progress;
  UpdateContext context = context_with(prompts);

  UpdateContext context_with(Prompts& answers) {
    return {program.path(), {"4242", "/test"},           appdata.path(), true, false, network,
            "http://" + server.address(), answers, host, progress};
  }

  void serve_index(std::string_view version, std::string_view release,
                   const std::vector<IndexRow>& rows) {
    write_bytes(root.path() / "agmajidx5.txt", index_text(version, release, rows));
  }
  std::string requests() const { return read_bytes(log); }
};

TEST_F(UpdateFixture, ChoiceOneChecksNothing) {
  const auto outcome = CheckForUpdate(1, 1, context);
  EXPECT_EQ(outcome.status, kNotChecked);
  EXPECT_EQ(update_tooltip(outcome.status), "Tavelo, version: 6.40");
  EXPECT_EQ(requests(), "");
}

TEST_F(UpdateFixture, SameLabelsAreUpToDate) {
  serve_index(kVersionLabel, kReleaseLabel, {});
  EXPECT_EQ(CheckForUpdate(2, 0, context).status, kUpToDate);
  EXPECT_FALSE(fs::exists(program.path() / "maj.txt"));
  EXPECT_EQ(host.messages, std::vector<std::string>{kUpToDateMessage});

  EXPECT_EQ(CheckForUpdate(2, 1, context).status, kUpToDate);  // quiet
  EXPECT_EQ(CheckForUpdate(3, 0, context).status, kUpToDate);  // automatic
  host.holding_lock = true;
  EXPECT_EQ(CheckForUpdate(2, 1, context).status, kUpToDate);
  EXPECT_EQ(prompts.notices, std::vector<std::string>{kUpToDateNotice});
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(update_tooltip(kUpToDate), "Tavelo, version: 6.40 à jour");

  serve_index("version: 6.39", "date: 2027-01-01", {});  // an older version, a later release
  ScriptedPrompts refusing({false});
  auto asking = context_with(refusing);
  EXPECT_EQ(CheckForUpdate(2, 0, asking).status, kNewerVersion) << "either label counts";
  EXPECT_EQ(refusing.questions, std::vector<std::string>{kNewVersionQuestion});
}

TEST_F(UpdateFixture, UnreachableServerGivesStatusOne) {
  context.server = "http://127.0.0.1:" + std::to_string(testing::closed_port());
  EXPECT_EQ(CheckForUpdate(2, 1, context).status, kIndexNotObtained);
  EXPECT_EQ(host.messages, std::vector<std::string>{kUpdateUnreachable});
  EXPECT_EQ(CheckForUpdate(3, 1, context).status, kIndexNotObtained);
  context.server.reset();
  EXPECT_EQ(CheckForUpdate(3, 1, context).status, kIndexNotObtained);
  EXPECT_EQ(host.messages.size(), 1u) << "the automatic check stays silent";
  EXPECT_EQ(update_tooltip(kIndexNotObtained),
            "Tavelo, version: 6.40 doit vérifier sa version sur le net");
}

TEST_F(UpdateFixture, IncompleteIndexIsFetchedThreeTimesAtMost) {
  write_bytes(root.path() / "agmajidx5.txt",
              "version: 9.00\r\ndate: 2030-01-01\r\n2\r\n/a\r\n1\r\n");
  EXPECT_EQ(CheckForUpdate(3, 1, context).status, kIndexNotObtained);
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/agmajidx5.txt\n/agmajidx5.txt\n");
  EXPECT_FALSE(fs::exists(program.path() / "maj.txt"));
}

TEST_F(UpdateFixture, OnlyChangedRowsAreDownloaded) {
  write_bytes(program.path() / "agmajidx.txt", index_text(kVersionLabel, kReleaseLabel,
                                                          {{"/f/same.txt", "1", "same.txt"},
                                                           {"/f/changed.txt", "1", "changed.txt"},
                                                           {"/f/moved.txt", "1", "moved.txt"}}));
  write_bytes(program.path() / "same.txt", "installé");
  write_bytes(program.path() / "changed.txt", "programme");
  fs::permissions(program.path() / "changed.txt", fs::perms::owner_all);
  progress.lock = program.path() / "agendamajlock";
  fs::create_directories(root.path() / "f" / "v2");
  for (const char* name : {"same.txt", "changed.txt", "new.htm", "v2/moved.txt"})
    write_bytes(root.path() / "f" / name, std::string("serveur ") + name);
  const std::vector<IndexRow> rows = {{"/f/same.txt", "1", "same.txt"},
                                      {"/f/changed.txt", "2", "changed.txt"},
                                      {"/f/v2/moved.txt", "1", "moved.txt"},
                                      {"/f/new.htm", "1", "manual\\new.htm"},
                                      {"/f/new.htm", "1", "..\\outside.htm"}};
  serve_index("version: 6.41", kReleaseLabel, rows);

  const auto outcome = CheckForUpdate(3, 1, context);
  EXPECT_EQ(outcome.status, kNewerVersion);
  EXPECT_EQ(outcome.program_to_start, program.path() / program_file_names().updater);
  EXPECT_EQ(outcome.arguments, (std::vector<std::string>{"4242", "/test"}));
  EXPECT_TRUE(prompts.questions.empty()) << "the automatic choice does not ask";
  EXPECT_TRUE(prompts.notices.empty());
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/f/changed.txt\n/f/v2/moved.txt\n/f/new.htm\n");
  // The files wait for the updater; the installed ones are as they were.
  EXPECT_EQ(read_bytes(program.path() / "changed.txt"), "programme");
  EXPECT_EQ(read_bytes(program.path() / "maj" / "fichiers" / "changed.txt"),
            "serveur changed.txt");
  EXPECT_FALSE(fs::exists(program.path() / "maj.txt"));
  EXPECT_EQ(install_update(program.path()), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(program.path() / "maj"));
  EXPECT_EQ(read_bytes(program.path() / "same.txt"), "installé");
  EXPECT_EQ(read_bytes(program.path() / "changed.txt"), "serveur changed.txt");
  // Where files carry a right to run (not on Windows, which goes by their names).
  const fs::path probe = program.path() / "probe";
  write_bytes(probe, "");
  fs::permissions(probe, fs::perms::owner_all);
  const bool runnable_by_right =
      (fs::status(probe).permissions() & fs::perms::owner_exec) != fs::perms::none;
  fs::remove(probe);
  if (runnable_by_right) {
    EXPECT_EQ(fs::status(program.path() / "changed.txt").permissions(), fs::perms::owner_all)
        << "a replaced program stays runnable";
  }
  EXPECT_EQ(read_bytes(program.path() / "moved.txt"), "serveur v2/moved.txt");
  EXPECT_EQ(read_bytes(program.path() / "manual" / "new.htm"), "serveur new.htm");
  EXPECT_FALSE(fs::exists(program.path().parent_path() / "outside.htm"));
  EXPECT_EQ(read_bytes(program.path() / "agmajidx.txt"),
            index_text("version: 6.41", kReleaseLabel, rows));
  EXPECT_FALSE(fs::exists(program.path() / "maj.txt"));
  EXPECT_FALSE(fs::exists(program.path() / "agendamajlock"));
  EXPECT_EQ(progress.steps, (std::vector<std::string>{"Tavelo téléchargement", "agendamajlock held",
                                                      "1/5", "2/5", "3/5", "4/5", "5/5", "close"}));
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"close window", "release agendalock", "donation",
                                      "open http://" + server.address() + "/news.htm"}));
}

TEST_F(UpdateFixture, AskingChoiceInstallsOnYesOnly) {
  write_bytes(root.path() / "new.txt", "neuf");
  serve_index("version: 6.41", kReleaseLabel, {{"/new.txt", "1", "new.txt"}});
  ScriptedPrompts refusing({false});
  auto refused = context_with(refusing);
  EXPECT_FALSE(CheckForUpdate(2, 0, refused).program_to_start);
  EXPECT_FALSE(fs::exists(program.path() / "new.txt"));

  ScriptedPrompts accepting({true});
  auto accepted = context_with(accepting);
  EXPECT_TRUE(CheckForUpdate(2, 0, accepted).program_to_start);
  install_update(program.path());
  EXPECT_EQ(read_bytes(program.path() / "new.txt"), "neuf");
  EXPECT_EQ(accepting.notices, std::vector<std::string>{kInstalledNotice});
  EXPECT_EQ(update_tooltip(kNewerVersion), "Tavelo, version: 6.40 doit se mettre à jour");
}

TEST_F(UpdateFixture, CancelledDownloadsLeaveTheProgramAsItWas) {
  write_bytes(program.path() / "agmajidx.txt", "ancien");
  write_bytes(program.path() / "a", "a installé");
  write_bytes(root.path() / "a", "a nouveau");
  write_bytes(root.path() / "b", "b nouveau");
  serve_index("version: 6.41", kReleaseLabel, {{"/a", "1", "a"}, {"/b", "1", "b"}});
  progress.cancel_at = 2;
  EXPECT_FALSE(CheckForUpdate(3, 1, context).program_to_start);
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/a\n") << "the file being fetched is finished";
  EXPECT_EQ(read_bytes(program.path() / "agmajidx.txt"), "ancien");
  EXPECT_EQ(read_bytes(program.path() / "a"), "a installé");
  EXPECT_FALSE(fs::exists(program.path() / "b"));
  EXPECT_FALSE(fs::exists(program.path() / "maj"));
  EXPECT_FALSE(fs::exists(program.path() / "maj.txt"));
  EXPECT_FALSE(fs::exists(program.path() / "agendamajlock"));
}

// A file that failed to download keeps its old version in the installed index: the next check
// finds the program not up to date, even with the same labels, and fetches that file alone.
TEST_F(UpdateFixture, AFileThatFailedIsFetchedAgainAtTheNextCheck) {
  write_bytes(program.path() / "agmajidx.txt",
              index_text(kVersionLabel, kReleaseLabel,
                         {{"/a", "1", "a"}, {"/b", "1", "b"}, {"/c", "1", "c"}}));
  write_bytes(program.path() / "b", "b ancien");
  write_bytes(root.path() / "a", "a nouveau");
  const std::vector<IndexRow> rows = {{"/a", "2", "a"}, {"/b", "2", "b"}, {"/c", "1", "c"},
                                      {"/d", "1", "d"}};
  serve_index(kVersionLabel, kReleaseLabel, rows);
  ASSERT_TRUE(CheckForUpdate(3, 1, context).program_to_start);
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/a\n/b\n/d\n");
  EXPECT_EQ(install_update(program.path()), std::vector<std::string>{});
  EXPECT_EQ(read_bytes(program.path() / "a"), "a nouveau");
  EXPECT_EQ(read_bytes(program.path() / "b"), "b ancien");
  EXPECT_EQ(read_bytes(program.path() / "agmajidx.txt"),
            index_text(kVersionLabel, kReleaseLabel,
                       {{"/a", "2", "a"}, {"/b", "1", "b"}, {"/c", "1", "c"}}))
      << "b keeps its old version, d, never installed, has no row";

  write_bytes(log, "");
  write_bytes(root.path() / "b", "b nouveau");
  write_bytes(root.path() / "d", "d nouveau");
  ASSERT_TRUE(CheckForUpdate(3, 1, context).program_to_start);
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/b\n/d\n");
  install_update(program.path());
  EXPECT_EQ(read_bytes(program.path() / "b"), "b nouveau");
  EXPECT_EQ(read_bytes(program.path() / "agmajidx.txt"),
            index_text(kVersionLabel, kReleaseLabel, rows));

  write_bytes(log, "");
  EXPECT_EQ(CheckForUpdate(3, 1, context).status, kUpToDate);
  EXPECT_EQ(requests(), "/agmajidx5.txt\n");
}

TEST_F(UpdateFixture, TheUpdaterPutsNothingOutsideTheProgramFolderAndKeepsTheOldIndexOnAFailure) {
  write_bytes(program.path() / "agmajidx.txt", "ancien");
  fs::create_directories(program.path() / "maj" / "fichiers" / "manual");
  write_bytes(program.path() / "maj" / "fichiers" / "manual" / "neuf.htm", "neuf");
  write_bytes(program.path() / "maj" / "agmajidx.txt", "nouveau");
  // A folder stands where a file should go.
  fs::create_directories(program.path() / "occupe");
  write_bytes(program.path() / "occupe" / "x", "x");
  write_bytes(program.path() / "maj" / "fichiers" / "occupe", "fichier");
  EXPECT_EQ(install_update(program.path()),
            std::vector<std::string>{"impossible de remplacer le fichier occupe"});
  EXPECT_EQ(read_bytes(program.path() / "manual" / "neuf.htm"), "neuf");
  EXPECT_EQ(read_bytes(program.path() / "agmajidx.txt"), "ancien")
      << "the index says what is installed";
  EXPECT_FALSE(fs::exists(program.path() / "maj"));
}

TEST_F(UpdateFixture, ReadOnlyFolderDownloadsTheInstaller) {
  serve_index("version: 6.41", kReleaseLabel, {{"/a", "1", "a"}});
  ScriptedPrompts retrying({true, false});
  auto read_only = context_with(retrying);
  read_only.program_folder_writable = false;
  EXPECT_FALSE(CheckForUpdate(3, 1, read_only).program_to_start) << "no installer on the server";
  EXPECT_EQ(retrying.questions,
            (std::vector<std::string>{kInstallerRetryQuestion, kInstallerRetryQuestion}));

  write_bytes(root.path() / program_file_names().installer, "installateur");
  const auto outcome = CheckForUpdate(3, 1, read_only);
  EXPECT_EQ(outcome.program_to_start, appdata.path() / program_file_names().installer);
  EXPECT_EQ(read_bytes(appdata.path() / program_file_names().installer), "installateur");
  EXPECT_FALSE(fs::exists(program.path() / "a"));
}

TEST(UpdateIndexText, RowsAreReadAsFarAsTheCountSays) {
  const auto index = parse_update_index("v\nr\n1\n/p\n2\nnom é\n/extra\n");
  ASSERT_TRUE(index);
  ASSERT_EQ(index->rows.size(), 1u);
  EXPECT_EQ(index->rows[0].version, "2");
  EXPECT_FALSE(parse_update_index("v\nr\n-1\n"));
  EXPECT_FALSE(parse_update_index("v\nr\n"));
  EXPECT_FALSE(parse_update_index("v\nr\n99999999999\n/p\n2\nnom\n"));
  EXPECT_EQ(parse_update_index("v\nr\n1\n/p\n2\nnom \xE9\n")->rows[0].local_name, "nom é");
}

}  // namespace
}  // namespace tavelo
