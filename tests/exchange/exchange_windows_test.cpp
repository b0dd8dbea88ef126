// The exchange windows driven by scripts: the shared folders with the FTP window against a real
// FTP server, the import window and the export window in its three modes.
#include <gtest/gtest.h>

#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "exchange/export_window.hpp"
#include "exchange/import.hpp"
#include "exchange/import_window.hpp"
#include "exchange/sharing_window.hpp"
#include "planning/categories.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/services.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "platform/sim/transcript.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/script_runner.hpp"
#include "tests/support/scripted_prompts.hpp"

namespace tavelo::testing {
namespace {

std::string quoted(const fs::path& path) {
  return in_quotes(path.string());
}

SharingRow folder_row(const std::string& identifier, const fs::path& folder) {
  SharingRow row;
  row.columns[kIdentifierColumn] = identifier;
  row.columns[kFolderColumn] = folder.string();
  complete_sharing_row(row);
  row.columns[kFtpActiveColumn] = std::string(1, '0');
  return row;
}

Planning planning_about(const std::string& subject) {
  Planning planning;
  planning.subject = subject;
  planning.type = kTypeOneOff;
  return planning;
}

class ExchangeWindows : public ::testing::Test {
 protected:
  ExchangeWindows() { fs::create_directories(rdv()); }

  fs::path folder() const { return runner_.folder(); }
  fs::path rdv() const { return planning_folder(folder()); }
  void save(const fs::path& file, Planning planning) {
    FixedClock clock{{2025, 3, 3, 9, 0, 0, 0}};
    ASSERT_TRUE(saveplanning(file, planning, settings_, clock, false));
  }
  ScriptRun run(std::string_view script,
                const std::function<void(tavelo::ExchangeWindows&)>& window) {
    return runner_.run(script, [&] {
      LoadSpeechLibraries();
      tavelo::ExchangeWindows w{folder(), settings_, interface_clock(), network_, prompts_};
      window(w);
      return 0;
    });
  }
  Settings stored() const {
    Settings settings = default_settings(45000, false);
    loadsettings(folder(), settings);
    return settings;
  }

  ScriptRunner runner_;
  Settings settings_ = default_settings(45000, false);
  CurlNetwork network_{quick_network_options()};
  WindowPrompts prompts_;
  TempFolder shared_;
};

TEST_F(ExchangeWindows, SharedFoldersSaveARowOnlyOnceEveryCheckPassesAndOkStoresThem) {
  const ScriptRun run = this->run(
      "wait 1s\ncheck 11\ncheck 12\nfocus 2\ntype marc\n"
      "focus 4\ntype paul\nfocus 6\ntype " +
          (shared_.path() / "absent").string() +
          "\nclick 8\n"
          "focus 6\ntype " +
          testing::unwritable_folder() +
          "\nclick 8\n"
          "answer " +
          shared_.path().string() +
          "\nclick 7\nclick 8\n"
          "focus 4\ntype paul\nanswer no\nclick 8\n"
          "click ok\n",
      [](tavelo::ExchangeWindows& w) { EXPECT_TRUE(OpenSharingSettings(w)); });
  EXPECT_TRUE(run.has("window \"dossiers partagés\"")) << run.text();
  EXPECT_TRUE(run.has("notice \"Notice...\" \"Le dossier est introuvable...\"")) << run.text();
  EXPECT_TRUE(run.has("notice \"Notice...\" \"Cet emplacement ne permet pas l'écriture...\""))
      << run.text();
  EXPECT_TRUE(run.has("folder \"sélection du dossier à partager\" -> " + quoted(shared_.path())))
      << run.text();
  EXPECT_TRUE(run.has("question \"souhaitez-vous réenregistrer l'identifiant, paul?\" -> no"))
      << run.text();
  EXPECT_FALSE(fs::exists(shared_.path() / "tst.txt")) << "the write test's file goes";

  const Settings settings = stored();
  EXPECT_EQ(settings.own_identifier, "marc");
  EXPECT_EQ(settings.import_allowed, 1);
  EXPECT_EQ(settings.export_allowed, 1);
  ASSERT_EQ(settings.sharing_table.size(), 1u) << "a row that failed a check is not stored";
  EXPECT_EQ(settings.sharing_table[0].columns[kIdentifierColumn], "paul");
  EXPECT_EQ(settings.sharing_table[0].columns[kFolderColumn], shared_.path().string());
  EXPECT_EQ(settings.sharing_table[0].columns[kFtpPortColumn], "21");
}

TEST_F(ExchangeWindows, TheFtpWindowTestsItsServerAndTheRowItsFtpFolder) {
  TempFolder home, log;
  fs::create_directories(home.path() / "partage" / "agenda");
  LocalServer server{"ftp_server.py",
                     {"--user", "relais", "--password", "mdp", "--home", home.path().string(),
                      "--log", (log.path() / "connexions.log").string()}};
  settings_.own_identifier = "marc";
  const std::string port = std::to_string(server.port());
  const ScriptRun run = this->run(
      "wait 1s\nfocus 4\ntype paul\nfocus 6\ntype " + shared_.path().string() +
          "\n"
          // A closed port: the user declines to keep the server, then the server answers but lacks
          // the sub-folder.
          "click 13\nfocus 22\ntype ftp://127.0.0.1\nfocus 24\ntype relais\nfocus 26\ntype mdp\n"
          "focus 28\ntype partage\\absent\nfocus 30\ntype " +
          std::to_string(closed_port()) +
          "\n"
          "answer no\nclick ok\n"
          "focus 30\ntype " +
          port +
          "\nclick ok\n"
          "focus 28\ntype partage\\agenda\nclick ok\n"
          "check 14\nclick 8\nclick ok\n",
      [](tavelo::ExchangeWindows& w) { EXPECT_TRUE(OpenSharingSettings(w)); });
  EXPECT_TRUE(run.has("window \"dossier FTP\"")) << run.text();
  EXPECT_TRUE(
      run.has("question \"Aucune réponse n'a été reçu du site FTP spécifié. Souaitez-vous "
              "quand-même le valider?\" -> no"))
      << run.text();
  EXPECT_TRUE(run.has("notice \"Notice...\" \"le sous-dossier spécifié est introuvable...\""))
      << run.text();
  const Settings settings = stored();
  ASSERT_EQ(settings.sharing_table.size(), 1u) << run.text();
  const SharingRow& row = settings.sharing_table[0];
  EXPECT_EQ(row.columns[kFtpServerColumn], "127.0.0.1");
  EXPECT_EQ(row.columns[kFtpUserColumn], "relais");
  EXPECT_EQ(row.columns[kFtpFolderColumn], "partage/agenda");
  EXPECT_EQ(row.columns[kFtpPortColumn], port);
  EXPECT_EQ(row.columns[kFtpActiveColumn], "1");
  EXPECT_TRUE(list_files(home.path() / "partage" / "agenda", "*").empty())
      << "the write test's file was deleted on the server";
  EXPECT_GE(read_bytes(log.path() / "connexions.log").size(), 3 * std::string("connexion\n").size())
      << "the FTP window's tests and the row's write test each reached the server";
}

TEST_F(ExchangeWindows, AServerThatNeverAnswersIsAnnouncedWhileTheFtpWindowWaitsForIt) {
  SilentServer silent;
  const auto start = std::chrono::steady_clock::now();
  const ScriptRun run = this->run(
      "wait 1s\nclick 13\nfocus 22\ntype 127.0.0.1\nfocus 30\ntype " +
          std::to_string(silent.port()) + "\nanswer no\nclick ok\nclick cancel\nclick cancel\n",
      [](tavelo::ExchangeWindows& w) { EXPECT_FALSE(OpenSharingSettings(w)); });
  EXPECT_TRUE(run.has("speak \"transfert en cours\"")) << run.text();
  EXPECT_TRUE(
      run.has("question \"Aucune réponse n'a été reçu du site FTP spécifié. Souaitez-vous "
              "quand-même le valider?\" -> no"))
      << run.text();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10))
      << "the window waited for its time-outs, no longer";
}

TEST_F(ExchangeWindows, DeletingAGroupAsksAndDeletesItsPlanningsTellingTheRecipients) {
  TempFolder group_folder;
  settings_.own_identifier = "marc";
  settings_.import_allowed = settings_.export_allowed = 1;
  settings_.sharing_table = {folder_row("paul", shared_.path()),
                             folder_row("anne;luc", group_folder.path())};
  Planning shared = planning_about("réunion");
  shared.sharing_identifiers = "anne;luc\t";
  shared.unique_identifier = "marc_1740992400_7";
  save(rdv() / "45123 09-30.gnd", shared);
  Planning other = planning_about("cinéma");
  other.sharing_identifiers = "paul\t";
  save(rdv() / "45124 20-00.gnd", other);

  const ScriptRun run =
      this->run("wait 1s\nselect 4 1\nanswer yes\nanswer yes\nanswer yes\nclick 9\nclick ok\n",
                [](tavelo::ExchangeWindows& w) { EXPECT_TRUE(OpenSharingSettings(w)); });
  EXPECT_TRUE(run.has("question \"Supprimer anne;luc?\" -> yes")) << run.text();
  EXPECT_TRUE(run.has("question \"supprimer tous les contactes de ce groupe?\" -> yes"));
  EXPECT_TRUE(run.has("question \"Supprimer les planifications qui y sont associées?\" -> yes"));
  EXPECT_EQ(list_plannings(rdv()), std::vector<std::string>{"45124 20-00.gnd"});
  EXPECT_EQ(read_bytes(group_folder.path() / "cmd_marc_1740992400_7_45123 09-30.gnd"), "")
      << "the group is told of the deletion";
  const Settings settings = stored();
  ASSERT_EQ(settings.sharing_table.size(), 1u);
  EXPECT_EQ(settings.sharing_table[0].columns[kIdentifierColumn], "paul");
}

TEST_F(ExchangeWindows, ImportTakesTheChosenPlanningsUnderFreeNamesAndRefusesOtherFiles) {
  TempFolder from;
  fs::create_directories(planning_folder(from.path()));
  const Planning dentist = planning_about("dentiste");
  save(planning_folder(from.path()) / "45123 09-30.gnd", dentist);
  save(planning_folder(from.path()) / "45124 14-00.gnd", planning_about("réunion"));
  ScriptedPrompts quiet;
  const fs::path txa = shared_.path() / "envoi.txa";
  ExportChoice choice;
  choice.plannings = {"45123 09-30.gnd", "45124 14-00.gnd"};
  ASSERT_TRUE(export_plannings(from.path(), settings_, choice, txa, quiet));
  save(rdv() / "45123 09-30.gnd", planning_about("déjà là"));

  const ScriptRun run = this->run(
      "answer " + txa.string() + "\nanswer no\nwait 1s\nmark 4 0\nclick ok\n",
      [](tavelo::ExchangeWindows& w) { EXPECT_TRUE(ImportExchangeFile(w, std::nullopt)); });
  EXPECT_TRUE(run.has("open-file \"fichier à importer\" -> " + quoted(txa))) << run.text();
  EXPECT_TRUE(run.has("window \"importation\"")) << run.text();
  EXPECT_TRUE(run.has("question \"supprimer toutes les plannifications avant d'importer?\" -> no"));
  EXPECT_EQ(list_plannings(rdv()),
            (std::vector<std::string>{"45123 09-30.gnd", "45123 09-30.gnda"}));
  int readerror = 0;
  EXPECT_EQ(loadplanning(rdv() / "45123 09-30.gnda", folder(), settings_, readerror).subject,
            "dentiste");
  EXPECT_TRUE(list_files(folder() / kStagingFolder, "*").empty());

  write_bytes(txa, "[planning]\r\n");
  const ScriptRun refused = this->run(
      "answer " + txa.string() + "\nwait 1s\n",
      [](tavelo::ExchangeWindows& w) { EXPECT_FALSE(ImportExchangeFile(w, std::nullopt)); });
  EXPECT_TRUE(refused.has("notice \"Notice...\" \"le fichier spécifié n'est pas comforme.\""))
      << refused.text();
  EXPECT_FALSE(refused.has("window \"importation\""));
}

TEST_F(ExchangeWindows, ACancelledImportLeavesThePlanningsAndTheFilter) {
  TempFolder from;
  fs::create_directories(planning_folder(from.path()));
  save(planning_folder(from.path()) / "45123 09-30.gnd", planning_about("dentiste"));
  write_bytes(from.path() / kFilterFile, write_filter({"sport"}));
  write_bytes(folder() / kFilterFile, write_filter({"travail"}));
  ExportChoice choice;
  choice.plannings = {"45123 09-30.gnd"};
  choice.filter = true;
  ScriptedPrompts quiet;
  const fs::path txa = shared_.path() / "envoi.txa";
  ASSERT_TRUE(export_plannings(from.path(), settings_, choice, txa, quiet));

  const ScriptRun run =
      this->run("wait 1s\nclick 5\nclick cancel\n",
                [&](tavelo::ExchangeWindows& w) { EXPECT_FALSE(ImportExchangeFile(w, txa)); });
  EXPECT_FALSE(run.has("open-file \"fichier à importer\" -> " + quoted(txa)))
      << "a file named on the command line is taken without asking";
  EXPECT_TRUE(list_plannings(rdv()).empty()) << run.text();
  EXPECT_EQ(loadfilter(folder()), std::vector<std::string>{"travail"});
  EXPECT_FALSE(fs::exists(folder() / kPreviousFilterFile));
}

TEST_F(ExchangeWindows, TheExportWindowWritesTheReportTheExchangeFileAndTheSharedCopies) {
  save(rdv() / "45123 09-30.gnd", planning_about("dentiste"));
  save(rdv() / "45124 14-00.gnd", planning_about("réunion"));
  const fs::path report = shared_.path() / "rapport";
  const ScriptRun reported =
      this->run("wait 1s\nclick ok\nclick 5\nanswer " + report.string() + "\nclick ok\n",
                [](tavelo::ExchangeWindows& w) { OpenExportDialog(w, ExportMode::kReport); });
  EXPECT_TRUE(reported.has("window \"rapport du calendrier\"")) << reported.text();
  EXPECT_TRUE(reported.has("notice \"Notice...\" \"Il n'y a rien à exporter.\""));
  EXPECT_TRUE(reported.has("save-file \"enregistrer le rapport texte du calendrier\" -> " +
                           quoted(report)));
  EXPECT_TRUE(read_bytes(shared_.path() / "rapport.txt")
                  .starts_with("rapport des planifications de votre calendrier"));

  const fs::path txa = shared_.path() / "envoi.txa";
  const ScriptRun exported =
      this->run("wait 1s\nmark 4 1\nanswer " + txa.string() + "\nclick ok\n",
                [](tavelo::ExchangeWindows& w) { OpenExportDialog(w, ExportMode::kExport); });
  EXPECT_TRUE(exported.has("window \"exportation\"")) << exported.text();
  const std::string written = read_bytes(txa);
  EXPECT_TRUE(written.starts_with("[planing]\r\n45124 14-00.gnd\r\n")) << written;
  EXPECT_EQ(written.find("dentiste"), std::string::npos);

  // Sharing is allowed on the way, and the chosen recipient gets its command file.
  settings_.own_identifier = "marc";
  settings_.sharing_table = {folder_row("paul", shared_.path())};
  const ScriptRun shared =
      this->run("answer yes\nwait 1s\nmark 4 0\nmark 11 0\nanswer yes\nclick ok\n",
                [](tavelo::ExchangeWindows& w) { OpenExportDialog(w, ExportMode::kShare); });
  EXPECT_TRUE(
      shared.has("question \"Cette fonction requiert que vous autorisiez l'exportation "
                 "vers les dossiers partagés. Souhaitez-vous continuer?\" -> yes"))
      << shared.text();
  EXPECT_TRUE(shared.has("window \"partage de planifications\""));
  EXPECT_TRUE(shared.has("question \"Souhaitez-vous partager l'élément sélectionné?\" -> yes"));
  EXPECT_EQ(stored().export_allowed, 1);
  const auto commands = list_files(shared_.path(), "cmd_marc_*_45123 09-30.gnd");
  EXPECT_EQ(commands.size(), 1u) << shared.text();
  int readerror = 0;
  EXPECT_EQ(
      loadplanning(rdv() / "45123 09-30.gnd", folder(), settings_, readerror).sharing_identifiers,
      "paul\t");
}

}  // namespace
}  // namespace tavelo::testing
