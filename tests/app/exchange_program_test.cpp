// Two users on one machine, each with a program folder of their own, sharing plannings through
// the real program: through one shared folder and through an FTP relay, and by exchange files
// exported from one calendar and imported into a fresh program folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "exchange/receive.hpp"
#include "exchange/sharing.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/script_runner.hpp"
#include "tests/support/sharing_rows.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using testing::read_bytes;
using testing::ScriptRun;
using testing::TempFolder;
using testing::write_bytes;

// Monday 7 December 2026, the date of every session.
const int kToday = daynumber(2026, 12, 7);
constexpr std::string_view kOneReceived =
    "ask \"Notice de tavelo|Une planification a été reçue de votre réseau.|5\"";

// One user's program: a program folder of its own with the program in it.
class User {
 public:
  explicit User(const std::string& identifier) : program_(testing::copy_program_into(folder())) {
    fs::create_directories(folder() / "carillons");
    fs::create_directories(rdv());
    settings_ = default_settings(kToday, false);
    apply_zero_value_defaults(settings_);
    settings_.journal_folder = (folder() / "journal").string();
    settings_.own_identifier = identifier;
  }

  fs::path folder() const { return folder_.path(); }
  fs::path rdv() const { return planning_folder(folder()); }
  Settings& settings() { return settings_; }

  void shares_with(const std::string& identifier, const fs::path& shared) {
    settings_.sharing_table.push_back(testing::folder_row(identifier, shared));
    settings_.import_allowed = settings_.export_allowed = 1;
  }
  void relays_through(int port) { testing::relay_through(settings_.sharing_table.back(), port); }
  void add_planning(std::string_view time, const std::string& subject,
                    const std::string& category = {}) const {
    Planning planning;
    planning.subject = subject;
    planning.type = kTypeOneOff;
    planning.category = category;
    write_bytes(rdv() / free_planning_name(rdv(), kToday, time), write_planning(planning));
  }
  Settings stored() const {
    Settings settings = default_settings(kToday, false);
    loadsettings(folder(), settings);
    return settings;
  }

  // Starts the program on a script, its settings saved first.
  ScriptRun session(std::string_view script, const std::vector<std::string>& arguments = {}) {
    EXPECT_TRUE(savesettings(folder(), settings_, kToday));
    const fs::path file = scripts_.path() / "session.txt";
    const fs::path transcript = scripts_.path() / "transcript.txt";
    write_bytes(file, "now 2026-12-07 10:00\n" + std::string(script));
    ::setenv("TAVELO_UI", ("script:" + file.string()).c_str(), 1);
    ::setenv("TAVELO_TRANSCRIPT", transcript.c_str(), 1);
    ScriptRun run;
    run.code = testing::run_program(program_, -1, arguments);
    ::unsetenv("TAVELO_UI");
    ::unsetenv("TAVELO_TRANSCRIPT");
    std::istringstream in(read_bytes(transcript));
    for (std::string line; std::getline(in, line);) run.lines.push_back(line.substr(13));
    settings_ = stored();
    return run;
  }

 private:
  TempFolder folder_, scripts_;
  fs::path program_;
  Settings settings_;
};

// The calendar's "Réseau", "Partager": the first planning to the first recipient.
constexpr std::string_view kShareFirstPlanning =
    "wait 300ms\nmenu 51\nwait 300ms\nmark 4 0\nmark 11 0\nanswer yes\nclick ok\nwait 300ms\n"
    "close\n";

TEST(ExchangeProgram, APlanningSharedThroughAFolderArrivesAndItsDeletionFollows) {
  TempFolder shared;
  User marc("marc"), paul("paul");
  marc.shares_with("paul", shared.path());
  paul.shares_with("marc", shared.path());
  marc.add_planning("09:30", "réunion d'équipe");

  const ScriptRun sent = marc.session(kShareFirstPlanning);
  EXPECT_EQ(sent.code, 0) << sent.text();
  EXPECT_TRUE(sent.has("window \"partage de planifications\"")) << sent.text();
  ASSERT_EQ(list_files(shared.path(), "cmd_marc_*").size(), 1u) << sent.text();
  const ScriptRun again = marc.session("wait 300ms\nclose\n");
  EXPECT_FALSE(again.has(kOneReceived)) << "an agenda never applies its own files";
  EXPECT_EQ(list_files(shared.path(), "cmd_marc_*").size(), 1u);

  const ScriptRun received = paul.session("wait 10s\nclose\n");
  EXPECT_EQ(received.code, 0) << received.text();
  EXPECT_TRUE(received.has(std::string(kOneReceived) + " -> 0")) << received.text();
  const std::vector<std::string> arrived = list_plannings(paul.rdv());
  ASSERT_EQ(arrived.size(), 1u);
  int readerror = 0;
  EXPECT_EQ(
      loadplanning(paul.rdv() / arrived[0], paul.folder(), paul.settings(), readerror).subject,
      "réunion d'équipe");
  EXPECT_TRUE(list_files(shared.path(), "*").empty()) << "applied and deleted";
  EXPECT_FALSE(read_bytes(paul.folder() / kReceivedIndexFile).empty());

  // Marc deletes it from his calendar's day list.
  const ScriptRun deleted =
      marc.session("wait 300ms\nfocus 11\nanswer yes\nkey delete\nwait 300ms\nclose\n");
  EXPECT_TRUE(list_plannings(marc.rdv()).empty()) << deleted.text();
  const ScriptRun removed = paul.session("wait 300ms\nclose\n");
  EXPECT_TRUE(list_plannings(paul.rdv()).empty()) << removed.text();
  EXPECT_FALSE(removed.has(std::string(kOneReceived) + " -> 0"));
}

TEST(ExchangeProgram, APlanningSharedThroughAnFtpRelayArrives) {
  TempFolder home, log, outbox, inbox;
  fs::create_directories(home.path() / "partage");
  testing::LocalServer server{
      "ftp_server.py",
      {"--user", "relais", "--password", "mdp", "--home", home.path().string(), "--log",
       (log.path() / "connexions.log").string()}};
  User marc("marc"), paul("paul");
  marc.shares_with("paul", outbox.path());
  marc.relays_through(server.port());
  paul.shares_with("marc", inbox.path());
  paul.relays_through(server.port());
  marc.add_planning("14:00", "par le relais");

  const ScriptRun sent = marc.session(kShareFirstPlanning);
  EXPECT_TRUE(list_files(outbox.path(), "*").empty()) << "relayed: " << sent.text();
  EXPECT_EQ(list_files(home.path() / "partage", "cmd_marc_*").size(), 1u);

  const ScriptRun received = paul.session("wait 10s\nclose\n");
  EXPECT_TRUE(received.has(std::string(kOneReceived) + " -> 0")) << received.text();
  EXPECT_EQ(list_plannings(paul.rdv()).size(), 1u);
  EXPECT_TRUE(list_files(home.path() / "partage", "*").empty());
}

// What tavelo-inspect shows of a record file.
std::string inspected(const fs::path& file) {
  TempFolder out;
  const fs::path json = out.path() / "inspect.json";
  const int fd = ::open(json.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  EXPECT_EQ(testing::run_program(TAVELO_INSPECT_PROGRAM, fd, {file.string()}), 0) << file;
  ::close(fd);
  return read_bytes(json);
}

TEST(ExchangeProgram, AnExportByCategoryComesBackWholeInAFreshProgramFolder) {
  TempFolder files;
  User marc("marc"), anne("anne");
  marc.add_planning("09:30", "match", "sport");
  marc.add_planning("18:00", "courses");
  Planning sport_template;
  sport_template.subject = "entraînement";
  sport_template.category = "sport";
  write_bytes(category_template_file(marc.folder(), "sport"), write_planning(sport_template));
  write_bytes(marc.folder() / kFilterFile, write_filter({"sport", "travail"}));

  // "Transfert", "Exporter": by category, "sport", with its category file and the filter.
  const fs::path txa = files.path() / "sport.txa";
  const ScriptRun exported =
      marc.session("wait 300ms\nmenu 11\nwait 300ms\nclick 2\nmark 4 \"sport\"\ncheck 7\nanswer " +
                   txa.string() + "\nclick ok\nwait 300ms\nclose\n");
  EXPECT_TRUE(exported.has("save-file \"enregistrer le fichier d'exportation\" -> \"" +
                           txa.string() + "\""))
      << exported.text();
  ASSERT_TRUE(fs::exists(txa)) << exported.text();

  // Started on the file, the fresh program shows the import window on it at once.
  const ScriptRun imported = anne.session(
      "wait 1s\nclick 2\nclick 5\ncheck 7\ncheck 8\nclick ok\nwait 300ms\nclose\n", {txa.string()});
  EXPECT_TRUE(imported.has("window \"importation\"")) << imported.text();
  const std::vector<std::string> names = list_plannings(anne.rdv());
  ASSERT_EQ(names.size(), 1u) << imported.text();
  const std::string sent_name = list_plannings(marc.rdv())[0];
  EXPECT_EQ(names[0], sent_name);
  EXPECT_EQ(inspected(anne.rdv() / names[0]), inspected(marc.rdv() / sent_name));
  EXPECT_EQ(inspected(category_template_file(anne.folder(), "sport")),
            inspected(category_template_file(marc.folder(), "sport")));
  EXPECT_EQ(loadfilter(anne.folder()), (std::vector<std::string>{"sport", "travail"}));
}

TEST(ExchangeProgram, TheCalendarsMenusReachTheExchangeWindowsAndTheirHelp) {
  User marc("marc");
  marc.add_planning("09:30", "dentiste");
  TempFolder files;
  const fs::path report = files.path() / "rapport.txt";
  const ScriptRun run = marc.session(
      "wait 300ms\nmenu 40\nwait 300ms\nkey f1\nclick cancel\n"
      "menu 5\nwait 300ms\nkey f1\nclick 5\nanswer " +
      report.string() +
      "\nclick ok\n"
      "menu 11\nwait 300ms\nkey f1\nclick cancel\n"
      "answer cancel\nmenu 12\nwait 300ms\n"
      "answer no\nmenu 51\nwait 300ms\nclose\n");
  EXPECT_EQ(run.code, 0) << run.text();
  for (const char* seen :
       {"window \"dossiers partagés\"", "help \"partage.htm\"", "window \"rapport du calendrier\"",
        "help \"rapport.htm\"", "window \"exportation\"", "help \"export.htm\"",
        "open-file \"fichier à importer\" -> cancel",
        "question \"Cette fonction requiert que vous autorisiez l'exportation vers les dossiers "
        "partagés. Souhaitez-vous continuer?\" -> no"}) {
    EXPECT_TRUE(run.has(seen)) << seen << "\n" << run.text();
  }
  EXPECT_NE(read_bytes(report).find("dentiste"), std::string::npos);
}

}  // namespace
}  // namespace tavelo
