#include <gtest/gtest.h>

#include <thread>

#include "platform/portable/curl_network.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/received_mail.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using namespace std::chrono_literals;
using testing::LocalServer;
using testing::quick_network_options;
using testing::read_bytes;
using testing::TempFolder;
using testing::write_bytes;

struct HttpFixture : ::testing::Test {
  TempFolder root, work;
  fs::path log = work.path() / "requests.log";
  LocalServer server{"http_server.py", {"--root", root.path().string(), "--log", log.string()}};
  CurlNetwork network{quick_network_options()};

  std::string url(const std::string& path) const { return "http://" + server.address() + path; }
};

TEST_F(HttpFixture, FetchesToMemoryAndToFileFollowingRedirects) {
  write_bytes(root.path() / "page.txt", "bonjour");
  EXPECT_EQ(network.get_to_memory(url("/page.txt")), "bonjour");

  const auto file = work.path() / "copy.txt";
  ASSERT_TRUE(network.get_to_file(url("/redirect?to=/page.txt"), file));
  EXPECT_EQ(read_bytes(file), "bonjour");
  EXPECT_EQ(read_bytes(log), "/page.txt\n/redirect?to=/page.txt\n/page.txt\n");
}

TEST_F(HttpFixture, FailedDownloadKeepsThePreviousFile) {
  const auto file = work.path() / "kept.txt";
  write_bytes(file, "ancien");
  EXPECT_FALSE(network.get_to_file(url("/missing.txt"), file));
  EXPECT_FALSE(network.get_to_memory(url("/missing.txt")));
  EXPECT_EQ(read_bytes(file), "ancien");
  EXPECT_EQ(std::distance(fs::directory_iterator(work.path()), fs::directory_iterator()), 2)
      << "no partial file is left behind";
}

TEST_F(HttpFixture, AnswerLargerThanTheLimitFails) {
  EXPECT_EQ(network.get_to_memory(url("/huge?n=1000"), 1000)->size(), 1000u);
  EXPECT_FALSE(network.get_to_memory(url("/huge?n=1001"), 1000));
  EXPECT_FALSE(network.get_to_memory(url("/huge?n=5000000")));
}

TEST_F(HttpFixture, SilentOrClosedServerFailsWithinTheTimeOut) {
  EXPECT_FALSE(network.get_to_memory(url("/slow?s=30")));
  EXPECT_FALSE(network.get_to_memory("http://127.0.0.1:" + std::to_string(testing::closed_port()) +
                                     "/page.txt"));
}

TEST_F(HttpFixture, StopRequestEndsTheTransfer) {
  CurlNetwork patient({{2000ms, 60000ms, 60000ms}, {}});
  std::stop_source stop;
  std::jthread stopper([&] {
    std::this_thread::sleep_for(300ms);
    stop.request_stop();
  });
  EXPECT_FALSE(patient.get_to_file(url("/slow?s=30"), work.path() / "out.txt", stop.get_token()));
  EXPECT_FALSE(fs::exists(work.path() / "out.txt"));
}

// Options that trust only a certificate other than the server's. Certificates are always checked
// against an explicit file here: Schannel under wine accepts any certificate when it is left to
// the system's own authorities.
NetworkOptions trusting_another(const fs::path& folder) {
  const fs::path other = folder / "autre";
  fs::create_directory(other);
  NetworkOptions options = quick_network_options();
  options.trusted_certificates = testing::TestCertificate(other).cert;
  return options;
}

TEST(Https, OnlyTrustedCertificatesAreAccepted) {
  TempFolder root, work;
  const testing::TestCertificate certificate(work.path());
  write_bytes(root.path() / "page.txt", "sécurisé");
  LocalServer server("http_server.py",
                     {"--root", root.path().string(), "--log", (work.path() / "log").string(),
                      "--cert", certificate.cert.string(), "--key", certificate.key.string()});
  // By the name the certificate bears: Schannel matches no address against it.
  const std::string url = "https://localhost:" + std::to_string(server.port()) + "/page.txt";
  NetworkOptions trusting = quick_network_options();
  trusting.trusted_certificates = certificate.cert;
  EXPECT_EQ(CurlNetwork(trusting).get_to_memory(url), "sécurisé");
  EXPECT_FALSE(CurlNetwork(trusting_another(work.path())).get_to_memory(url));
}

TEST(ServerAddress, ReadFromTheFirstLineOfServeurTxt) {
  TempFolder folder;
  EXPECT_FALSE(read_server_address(folder.path()));
  write_bytes(folder.path() / "serveur.txt", "  https://example.org/tavelo/ \r\nautre\r\n");
  EXPECT_EQ(read_server_address(folder.path()), "https://example.org/tavelo");
  write_bytes(folder.path() / "serveur.txt", "file:///etc/passwd\n");
  EXPECT_FALSE(read_server_address(folder.path()));
  write_bytes(folder.path() / "serveur.txt", "\n");
  EXPECT_FALSE(read_server_address(folder.path()));
  EXPECT_EQ(server_url("http://h", "/agmajidx5.txt"), "http://h/agmajidx5.txt");
  EXPECT_EQ(server_url("http://h", "sub\\mon fichier"), "http://h/sub/mon%20fichier");
}

// ---- mail ----

MailMessage three_recipient_message() {
  return {"moi@tavelo.test",
          {"un@tavelo.test"},
          {"deux@tavelo.test", "trois@tavelo.test"},
          "Rendez-vous chez le médecin\r\nBcc: intrus@tavelo.test",
          "test de Tavelo"};
}

TEST(Smtp, FirstRecipientIsToAndTheOthersBlindCopies) {
  TempFolder work;
  const auto log = work.path() / "mails.log";
  LocalServer server("smtp_server.py", {"--log", log.string()});
  CurlNetwork network(quick_network_options());
  ASSERT_TRUE(network.send_mail({"127.0.0.1", server.port(), SmtpSecurity::kPlain, "", ""},
                                three_recipient_message()));
  const auto mails = testing::received_mails(log);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].from, "moi@tavelo.test");
  EXPECT_EQ(mails[0].recipients,
            (std::vector<std::string>{"un@tavelo.test", "deux@tavelo.test", "trois@tavelo.test"}));
  const std::string& text = mails[0].text;
  EXPECT_NE(text.find("To: un@tavelo.test\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("deux@"), std::string::npos) << "blind copies stay out of the headers";
  EXPECT_EQ(text.find("\nBcc:"), std::string::npos) << "a subject cannot add headers";
  EXPECT_NE(text.find("Subject: =?UTF-8?B?"), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\ntest de Tavelo"), std::string::npos);
}

TEST(Smtp, ClosedPortFails) {
  CurlNetwork network(quick_network_options());
  EXPECT_FALSE(
      network.send_mail({"127.0.0.1", testing::closed_port(), SmtpSecurity::kPlain, "", ""},
                        three_recipient_message()));
}

TEST(Smtp, SecureServerWithLoginAndVerifiedCertificate) {
  TempFolder work;
  const testing::TestCertificate certificate(work.path());
  const auto log = work.path() / "mails.log";
  LocalServer server("smtp_server.py",
                     {"--log", log.string(), "--cert", certificate.cert.string(), "--key",
                      certificate.key.string(), "--user", "agenda", "--password", "s3cret"});
  NetworkOptions trusting = quick_network_options();
  trusting.trusted_certificates = certificate.cert;
  CurlNetwork network(trusting);
  const SmtpServer good{"localhost", server.port(), SmtpSecurity::kTls, "agenda", "s3cret"};
  ASSERT_TRUE(network.send_mail(good, three_recipient_message()));
  SmtpServer wrong_password = good;
  wrong_password.password = "faux";
  EXPECT_FALSE(network.send_mail(wrong_password, three_recipient_message()));
  EXPECT_FALSE(
      CurlNetwork(trusting_another(work.path())).send_mail(good, three_recipient_message()))
      << "an unknown certificate is refused";

  const auto mails = testing::received_mails(log);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].login, "agenda");
}

TEST(Smtp, StartTlsUpgradesThePlainConnection) {
  TempFolder work;
  const testing::TestCertificate certificate(work.path());
  const auto log = work.path() / "mails.log";
  LocalServer server("smtp_server.py", {"--log", log.string(), "--cert", certificate.cert.string(),
                                        "--key", certificate.key.string(), "--starttls"});
  NetworkOptions trusting = quick_network_options();
  trusting.trusted_certificates = certificate.cert;
  CurlNetwork network(trusting);
  SmtpServer upgraded{"localhost", server.port(), SmtpSecurity::kStartTls, "", ""};
  EXPECT_TRUE(network.send_mail(upgraded, three_recipient_message()));
  upgraded.security = SmtpSecurity::kPlain;
  EXPECT_FALSE(network.send_mail(upgraded, three_recipient_message()))
      << "the server takes nothing before STARTTLS";
  EXPECT_EQ(testing::received_mails(log).size(), 1u);
}

// ---- FTP ----

NetworkDeadline soon() {
  return std::chrono::steady_clock::now() + 30s;
}

struct FtpFixture : ::testing::Test {
  TempFolder home, work;
  fs::path connections = work.path() / "connexions.log";
  LocalServer server{"ftp_server.py",
                     {"--user", "relais", "--password", "mdp", "--home", home.path().string(),
                      "--log", connections.string()}};
  CurlNetwork network{quick_network_options()};
  FtpAccount account{"127.0.0.1", "relais", "mdp", server.port(), true};
};

TEST_F(FtpFixture, UploadListDownloadDeleteRoundTrip) {
  fs::create_directories(home.path() / "partage" / "agenda");
  write_bytes(home.path() / "partage" / "agenda" / "autre.txt", "x");
  write_bytes(work.path() / "envoi.gnd", "planification");
  for (bool passive : {true, false}) {
    account.passive = passive;
    auto session = network.open_ftp(account, soon());
    ASSERT_TRUE(session);
    ASSERT_TRUE(session->change_folder("partage"));
    ASSERT_TRUE(session->change_folder("agenda"));
    EXPECT_FALSE(session->change_folder("absent")) << "a missing folder is refused";
    const std::string name = "cmd_abc_45123 09-30.gnd";
    ASSERT_TRUE(session->upload(work.path() / "envoi.gnd", name));
    EXPECT_EQ(read_bytes(home.path() / "partage" / "agenda" / name), "planification");
    auto names = session->list_names();
    ASSERT_TRUE(names);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string>{"autre.txt", name}));
    ASSERT_TRUE(session->download(name, work.path() / "recu.gnd"));
    EXPECT_EQ(read_bytes(work.path() / "recu.gnd"), "planification");
    ASSERT_TRUE(session->remove(name));
    EXPECT_FALSE(fs::exists(home.path() / "partage" / "agenda" / name));
    EXPECT_FALSE(session->remove(name)) << "deleting a missing file fails";
    EXPECT_FALSE(session->download("../../etc/passwd", work.path() / "x"));
    EXPECT_FALSE(session->remove("a\r\nDELE autre.txt"));
    EXPECT_TRUE(fs::exists(home.path() / "partage" / "agenda" / "autre.txt"));
  }
  EXPECT_EQ(read_bytes(connections), "connexion\nconnexion\n") << "one connection a session";
}

TEST_F(FtpFixture, WrongPasswordOrClosedPortGivesNoSession) {
  account.password = "faux";
  EXPECT_FALSE(network.open_ftp(account, soon()));
  EXPECT_FALSE(
      network.open_ftp({"127.0.0.1", "relais", "mdp", testing::closed_port(), true}, soon()));
}

TEST_F(FtpFixture, NothingOfASessionOutlivesItsDeadline) {
  const auto start = std::chrono::steady_clock::now();
  auto session = network.open_ftp(account, start + 1500ms);
  ASSERT_TRUE(session);
  ASSERT_TRUE(session->list_names());
  std::this_thread::sleep_for(1600ms);
  EXPECT_FALSE(session->list_names()) << "past its deadline a session does nothing";
  EXPECT_FALSE(network.open_ftp(account, std::chrono::steady_clock::now()));
}

TEST(SilentFtpServer, ALoginThatNeverGetsAnAnswerEndsByTheDeadline) {
  testing::SilentServer silent;
  CurlNetwork patient({{60000ms, 60000ms, 60000ms}, {}});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(patient.open_ftp({"127.0.0.1", "relais", "mdp", silent.port(), true}, start + 1s));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 900ms) << "the server was waited for";
  EXPECT_LT(took, 3s) << "and not past the deadline";
}

}  // namespace
}  // namespace tavelo
