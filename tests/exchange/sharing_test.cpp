#include "exchange/sharing.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "exchange/receive.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/sim/fixed_clock.hpp"
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

SharingRow row(const std::string& identifier, const fs::path& folder) {
  SharingRow r;
  r.columns[kIdentifierColumn] = identifier;
  r.columns[kFolderColumn] = folder.string();
  complete_sharing_row(r);
  // A text literal assigned here makes GCC 12 at -O3 warn of an overlap that cannot happen.
  r.columns[kFtpActiveColumn] = std::string(1, '0');
  return r;
}

// One user's agenda: its program folder, settings and the ports the exchange goes through.
struct Agenda {
  explicit Agenda(const std::string& identifier) {
    fs::create_directories(rdv());
    settings.own_identifier = identifier;
    settings.import_allowed = settings.export_allowed = 1;
    // The folders here answer at once or not at all; a loaded machine (wine starting the check's
    // thread) must not make a live one count as dead. The hanging check has a test of its own.
    context.reachability_limit = 20s;
  }
  TempFolder folder;
  Settings settings = default_settings(45000, false);
  FixedClock clock{{2025, 3, 3, 9, 0, 0, 0}};
  CurlNetwork network{testing::quick_network_options()};
  ScriptedPrompts prompts;
  ExchangeContext context{folder.path(), settings, clock, network, prompts};
  std::vector<std::string> notices;

  fs::path rdv() const { return planning_folder(folder.path()); }
  int receive(bool show_errors = false) {
    return ReceiveSharedPlannings(context, show_errors,
                                  [this](const std::string& chain) { notices.push_back(chain); });
  }
  Planning share(const std::string& name, const std::string& subject, const std::string& with) {
    Planning p;
    p.subject = subject;
    p.mail = {"smtp.moi", "moi", "secret", 587, "a@b.fr", "moi@b.fr", "sujet", 1, 1};
    p.mail_approved = 1;
    p.sharing_identifiers = with + "\t";
    EXPECT_TRUE(save_shared_planning(context, rdv() / name, p));
    clock.advance(1s);
    return p;
  }
  std::string idx() const { return read_bytes(folder.path() / kReceivedIndexFile); }
};

Planning load(const fs::path& file, const Settings& settings) {
  int readerror = 0;
  return loadplanning(file, file.parent_path().parent_path(), settings, readerror);
}

TEST(Sharing, RowsCompletePermissionsAndFolders) {
  SharingRow r;
  r.columns[kFtpPortColumn] = "0";
  complete_sharing_row(r);
  EXPECT_EQ(r.columns[kFtpPortColumn], "21");
  EXPECT_EQ(r.columns[kFtpPassiveColumn], "1");
  EXPECT_EQ(r.columns[kFtpActiveColumn], "1");
  r.columns[kFtpPortColumn] = "2121";
  // A text literal assigned here makes GCC 12 at -O3 warn of an overlap that cannot happen.
  r.columns[kFtpActiveColumn] = std::string(1, '0');
  complete_sharing_row(r);
  EXPECT_EQ(r.columns[kFtpActiveColumn], "0") << "a row with a port is left as it is";

  Settings s = default_settings(45000, false);
  store_sharing_permissions(s, "  marc ", true, true);
  EXPECT_EQ(s.own_identifier, "marc");
  EXPECT_EQ(s.export_allowed, 0) << "an empty table allows nothing";
  s.sharing_table = {row("paul", "/p"), row("anne;luc", "/g")};
  store_sharing_permissions(s, "marc", true, true);
  EXPECT_EQ(s.import_allowed, 1);
  EXPECT_EQ(SharedFolderOf(s, "anne;luc\tpaul\t", 1), "/g");
  EXPECT_EQ(SharedFolderOf(s, "anne;luc\tpaul\t", 2), "/p");
  EXPECT_EQ(SharedFolderOf(s, "anne;luc\tpaul\t", 3), "");
  EXPECT_EQ(SharedFolderOf(s, "inconnu\t", 1), "");
  EXPECT_EQ(share_question(1), "Souhaitez-vous partager l'élément sélectionné?");
  EXPECT_EQ(share_question(3), "Souhaitez-vous partager les 3 éléments sélectionnés?");

  SharingRow ftp;
  ftp.columns[kFtpServerColumn] = "ftp://relais.exemple.fr";
  ftp.columns[kFtpPortColumn] = "x";
  ftp.columns[kFtpPassiveColumn] = "1";
  ftp.columns[kFtpFolderColumn] = "partage\\agenda";
  EXPECT_EQ(ftp_account_of(ftp).server, "relais.exemple.fr");
  EXPECT_EQ(ftp_account_of(ftp).port, 21);
  EXPECT_EQ(ftp_folder_of(ftp), "partage/agenda");
}

// The checks that answer are given far more than they need: on a loaded machine (or under wine)
// a thread may take a second to start, and what is checked is the answer, not its speed. A hung
// check never returns, so the hanging calls must come back whatever the limit.
TEST(Sharing, ACheckThatHangsCountsAsUnreachableAndHoldsOneThreadAtMost) {
  constexpr auto kGenerous = 20s;
  std::atomic<bool> release = false;
  std::atomic<int> runs = 0;
  auto hanging = [&] {
    ++runs;
    while (!release) std::this_thread::sleep_for(5ms);
    return true;
  };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(answers_within("//mort/partage", hanging, 100ms));
  EXPECT_FALSE(answers_within("//mort/partage", hanging, 100ms));
  EXPECT_LT(std::chrono::steady_clock::now() - start, kGenerous);
  EXPECT_EQ(runs, 1) << "no second thread while the first still waits";
  release = true;
  while (!answers_within(
      "//mort/partage", [] { return true; }, kGenerous))
    std::this_thread::sleep_for(5ms);
  EXPECT_TRUE(answers_within(
      "/ailleurs", [] { return true; }, kGenerous));
  EXPECT_FALSE(answers_within(
      "/absent", [] { return false; }, kGenerous));
}

TEST(Sharing, TwoAgendasSharingOneFolder) {
  TempFolder shared;
  Agenda marc("marc"), paul("paul");
  marc.settings.sharing_table = {row("paul", shared.path())};
  paul.settings.sharing_table = {row("marc", shared.path())};

  const Planning sent = marc.share("45123 09-30.gnd", "Réunion", "paul");
  const Planning saved = load(marc.rdv() / "45123 09-30.gnd", marc.settings);
  ASSERT_EQ(saved.unique_identifier, "marc_1740992400_0");
  const std::string command = "cmd_marc_1740992400_0_45123 09-30.gnd";
  EXPECT_EQ(list_files(shared.path(), "*"), std::vector<std::string>{command});
  const Planning copy = load(shared.path() / command, marc.settings);
  EXPECT_EQ(copy.mail.server, "");
  EXPECT_EQ(copy.mail.port, 587);
  EXPECT_EQ(copy.mail_approved, 0);

  EXPECT_EQ(marc.receive(), 0) << "an agenda never applies its own files";
  EXPECT_TRUE(fs::exists(shared.path() / command));
  write_bytes(paul.rdv() / "45123 09-30.gnd", write_planning(Planning{}));  // paul's own planning
  EXPECT_EQ(paul.receive(), 1);
  EXPECT_EQ(paul.notices, std::vector<std::string>{
                              "Notice de tavelo|Une planification a été reçue de votre réseau.|5"});
  EXPECT_FALSE(fs::exists(shared.path() / command));
  EXPECT_EQ(list_plannings(paul.rdv()),
            (std::vector<std::string>{"45123 09-30.gnd", "45123 09-30.gnda"}))
      << "a planning of paul's at the same time is kept";
  Planning arrived = load(paul.rdv() / "45123 09-30.gnda", paul.settings);
  EXPECT_EQ(arrived.subject, "Réunion");
  EXPECT_EQ(arrived.sharing_identifiers, "marc\t");
  EXPECT_EQ(arrived.unique_identifier, saved.unique_identifier);
  EXPECT_EQ(paul.idx(), saved.unique_identifier + "\r\n");

  // A newer copy, moved to another day, replaces it; then a second planning arrives with it.
  Planning changed = saved;
  changed.subject = "Réunion déplacée";
  ASSERT_TRUE(save_shared_planning(marc.context, marc.rdv() / "45130 10-00.gnd", changed));
  marc.share("45131 08-00.gnd", "Autre", "paul");
  EXPECT_EQ(paul.receive(), 2);
  EXPECT_EQ(paul.notices.back(),
            "Notice de tavelo|2 planifications ont été reçues de votre réseau.|5");
  EXPECT_EQ(list_plannings(paul.rdv()),
            (std::vector<std::string>{"45123 09-30.gnd", "45130 10-00.gnd", "45131 08-00.gnd"}));
  EXPECT_EQ(load(paul.rdv() / "45130 10-00.gnd", paul.settings).subject, "Réunion déplacée");

  // Deleting it at marc's leaves an empty command file that deletes it at paul's.
  SendDeletion(marc.context, marc.rdv() / "45130 10-00.gnd", changed);
  EXPECT_EQ(read_bytes(shared.path() / ("cmd_" + saved.unique_identifier + "_45130 10-00.gnd")),
            "");
  EXPECT_EQ(paul.receive(), 0);
  EXPECT_EQ(list_plannings(paul.rdv()),
            (std::vector<std::string>{"45123 09-30.gnd", "45131 08-00.gnd"}));
  EXPECT_EQ(paul.notices.size(), 2u) << "a deletion is not announced";
  const std::string idx = paul.idx();
  EXPECT_EQ(std::count(idx.begin(), idx.end(), '\n'), 3);
  EXPECT_TRUE(list_files(shared.path(), "*").empty());

  // Deadlines and end markers never travel; neither does anything without permission.
  SendDeletion(marc.context, marc.rdv() / "45130 10-00.gnd limite", changed);
  marc.settings.export_allowed = 0;
  marc.share("45140 08-00.gnd", "Privé", "paul");
  paul.settings.import_allowed = 0;
  write_bytes(shared.path() / "cmd_anne_1_2_45150 08-00.gnd", write_planning(sent));
  EXPECT_EQ(paul.receive(), 0);
  EXPECT_EQ(list_files(shared.path(), "*"),
            std::vector<std::string>{"cmd_anne_1_2_45150 08-00.gnd"});
}

TEST(Sharing, OneCommandFileForEachIdentifierAndNoneForDeadlines) {
  TempFolder paul_folder, anne_folder;
  Agenda marc("marc");
  marc.settings.sharing_table = {row("paul", paul_folder.path()), row("anne", anne_folder.path())};
  marc.share("45123 09-30.gnd", "Réunion", "paul\tanne");
  const auto names = list_files(paul_folder.path(), "*");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(list_files(anne_folder.path(), "*"), names);
  marc.share("45124 09-30.gnd limite", "LIMITE", "paul");
  marc.share("45124 09-30.lmt;1700000000", "fin", "paul");
  EXPECT_EQ(list_files(paul_folder.path(), "*"), names);
}

TEST(Sharing, CommandFileNamesThatLeaveTheirFolderAreLeftAlone) {
  EXPECT_FALSE(parse_command_file_name("cmd_marc_1_2"));
  EXPECT_FALSE(parse_command_file_name("cmd__1_2_45123 09-30.gnd"));
  EXPECT_FALSE(parse_command_file_name("cmd_marc_1_2_..\\agenda.gnd"));
  EXPECT_FALSE(parse_command_file_name("cmd_marc_1_2_agenda.bin"));
  const auto parsed = parse_command_file_name("cmd_marc_1_2_45123 09-30.gnd;17");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->sender, "marc");
  EXPECT_EQ(parsed->unique_identifier, "marc_1_2");
  EXPECT_EQ(parsed->planning_name, "45123 09-30.gnd;17");
  const auto underscored = parse_command_file_name("cmd_jean_luc_1_2_45123 09-30.gnd");
  ASSERT_TRUE(underscored) << "an identifier with \"_\" is still its sender's";
  EXPECT_EQ(underscored->sender, "jean_luc");
  EXPECT_EQ(underscored->unique_identifier, "jean_luc_1_2");

  TempFolder shared;
  Agenda paul("paul");
  paul.settings.sharing_table = {row("marc", shared.path()), row("mort", "/nulle/part")};
  // Only where "\\" is no separator (not on Windows) can such a name be in the folder at all:
  // elsewhere it names a file in a folder that does not exist, and is not written.
  std::ofstream(shared.path() / "cmd_marc_1_2_..\\x.gnd") << "x";
  write_bytes(shared.path() / "cmd_marc_1_3_45123 09-30.gnd", write_planning(Planning{}));
  const std::vector<std::string> hostile = list_files(shared.path(), "cmd_marc_1_2_*");
  // Until "rdv" can be written, the command file waits.
  fs::remove_all(paul.rdv());
  write_bytes(paul.rdv(), "pas un dossier");
  EXPECT_EQ(paul.receive(), 0);
  EXPECT_EQ(list_files(shared.path(), "*").size(), hostile.size() + 1);
  fs::remove(paul.rdv());
  fs::create_directories(paul.rdv());
  EXPECT_EQ(paul.receive(), 1) << "an unreachable folder does not stop the others";
  EXPECT_EQ(list_files(shared.path(), "*"), hostile);
}

struct FtpRelay : ::testing::Test {
  TempFolder home, work;
  LocalServer server{"ftp_server.py",
                     {"--user", "relais", "--password", "mdp", "--home", home.path().string(),
                      "--log", (work.path() / "connexions.log").string()}};
  TempFolder marc_outbox, paul_inbox;
  Agenda marc{"marc"}, paul{"paul"};

  SharingRow ftp_row(const std::string& identifier, const fs::path& folder) {
    SharingRow r = row(identifier, folder);
    r.columns[kFtpServerColumn] = "ftp://127.0.0.1";
    r.columns[kFtpUserColumn] = "relais";
    r.columns[kFtpPasswordColumn] = "mdp";
    r.columns[kFtpFolderColumn] = "partage";
    r.columns[kFtpPortColumn] = std::to_string(server.port());
    r.columns[kFtpActiveColumn] = "1";
    return r;
  }
  void SetUp() override {
    fs::create_directories(home.path() / "partage");
    marc.settings.sharing_table = {ftp_row("paul", marc_outbox.path())};
    paul.settings.sharing_table = {ftp_row("marc", paul_inbox.path())};
  }
};

TEST_F(FtpRelay, APlanningTravelsThroughTheServerAndOwnFilesStayThere) {
  const Planning sent = marc.share("45123 09-30.gnd", "Par FTP", "paul");
  EXPECT_TRUE(list_files(marc_outbox.path(), "*").empty()) << "relayed and deleted locally";
  const auto on_server = list_files(home.path() / "partage", "cmd_*");
  ASSERT_EQ(on_server.size(), 1u);
  EXPECT_EQ(marc.receive(), 0);
  EXPECT_EQ(list_files(home.path() / "partage", "cmd_*"), on_server)
      << "marc never fetches his own";

  EXPECT_EQ(paul.receive(), 1);
  EXPECT_TRUE(list_files(home.path() / "partage", "*").empty());
  EXPECT_TRUE(list_files(paul_inbox.path(), "*").empty());
  EXPECT_EQ(load(paul.rdv() / "45123 09-30.gnd", paul.settings).subject, "Par FTP");

  const Planning saved = load(marc.rdv() / "45123 09-30.gnd", marc.settings);
  SendDeletion(marc.context, marc.rdv() / "45123 09-30.gnd", saved);
  EXPECT_EQ(paul.receive(), 0);
  EXPECT_TRUE(list_plannings(paul.rdv()).empty());
  EXPECT_EQ(marc.clock.epochseconds(), 1740992401) << "no pause with one file";
}

TEST_F(FtpRelay, FailuresAreToldOnlyWhenAskedAndFilesWait) {
  marc.settings.sharing_table[0].columns[kFtpFolderColumn] = "absent";
  marc.share("45123 09-30.gnd", "Attend", "paul");
  EXPECT_TRUE(marc.prompts.notices.empty()) << "background relays are silent";
  RelayCommandFiles(marc.context, true);
  EXPECT_EQ(marc.prompts.notices,
            std::vector<std::string>{
                "le dossier absent du serveur FTP lié au profile paul est introuvable..."});
  marc.settings.sharing_table[0].columns[kFtpPortColumn] = std::to_string(testing::closed_port());
  RelayCommandFiles(marc.context, true);
  EXPECT_EQ(marc.prompts.notices.back(), "le serveur FTP lié au profile paul est indisponible...");
  EXPECT_EQ(list_files(marc_outbox.path(), "cmd_*").size(), 1u);

  marc.settings.sharing_table[0] = ftp_row("paul", marc_outbox.path());
  RelayCommandFiles(marc.context, false);
  EXPECT_TRUE(list_files(marc_outbox.path(), "*").empty());
  EXPECT_EQ(paul.receive(true), 1);
}

TEST_F(FtpRelay, AServerThatNeverAnswersHoldsTheMinuteForItsPatienceOnly) {
  testing::SilentServer silent;
  marc.settings.sharing_table = {row("paul", paul_inbox.path())};
  marc.share("45123 09-30.gnd", "Malgré tout", "paul");
  paul.settings.sharing_table[0].columns[kFtpPortColumn] = std::to_string(silent.port());
  paul.context.network_limit = 8s;
  const auto start = std::chrono::steady_clock::now();
  {
    // The agenda's own network waits as long as the program's does.
    MinuteReceive minute;
    minute.network = std::make_shared<CurlNetwork>(NetworkOptions{});
    EXPECT_EQ(ReceiveAtMinute(minute, paul.context, {}), 1) << "the folder is read all the same";
    EXPECT_EQ(ReceiveAtMinute(minute, paul.context, {}), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s)
        << "two minutes, one fetch under way, each waited for a second, not for the fetch";
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "the fetch ended by its deadline";
  EXPECT_EQ(load(paul.rdv() / "45123 09-30.gnd", paul.settings).subject, "Malgré tout");
}

}  // namespace
}  // namespace tavelo
