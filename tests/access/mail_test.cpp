#include "access/mail.hpp"

#include <gtest/gtest.h>

#include "access/mail_settings.hpp"
#include "planning/crypt.hpp"
#include "platform/portable/curl_network.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/received_mail.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using namespace std::chrono_literals;
using testing::LocalServer;
using testing::quick_network_options;
using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;

MailSettings entered_fields(int port) {
  MailSettings fields;
  fields.server = " 127.0.0.1 ";
  fields.user = "agenda";
  fields.password = " Passé~42 ";
  fields.port = port;
  fields.recipients = "un@tavelo.test, deux@tavelo.test,trois@tavelo.test";
  fields.reply_address = "moi@tavelo.test";
  fields.subject = "Rappel";
  return fields;
}

struct SmtpMail : ::testing::Test {
  TempFolder work;
  fs::path log = work.path() / "mails.log";
  LocalServer server{"smtp_server.py",
                     {"--log", log.string(), "--user", "agenda", "--password", "Passé~42"}};
  std::shared_ptr<CurlNetwork> network = std::make_shared<CurlNetwork>(quick_network_options());
  MailServices services{*network, std::nullopt};
  ScriptedPrompts prompts;
};

TEST_F(SmtpMail, TestMailGoesToOneRecipientAndTwoBlindCopies) {
  EXPECT_TRUE(SendTestMail(entered_fields(server.port()), false, services, prompts));
  EXPECT_EQ(prompts.notices, std::vector<std::string>{kTestMailSucceeded});
  const auto mails = testing::received_mails(log);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].from, "moi@tavelo.test");
  EXPECT_EQ(mails[0].recipients,
            (std::vector<std::string>{"un@tavelo.test", "deux@tavelo.test", "trois@tavelo.test"}));
  EXPECT_NE(mails[0].text.find("\r\nTo: un@tavelo.test\r\n"), std::string::npos);
  EXPECT_NE(mails[0].text.find("\r\n\r\ntest de Tavelo"), std::string::npos);
  EXPECT_EQ(mails[0].login, "agenda") << "the password was unscrambled before use";
}

TEST_F(SmtpMail, ReturnAddressAmongRecipientsSendsNothing) {
  MailSettings fields = entered_fields(server.port());
  fields.recipients = "un@tavelo.test,MOI@tavelo.test";
  EXPECT_TRUE(SendTestMail(fields, true, services, prompts)) << "tested flag unchanged";
  EXPECT_EQ(prompts.notices, std::vector<std::string>{kReturnAddressInRecipients});
  EXPECT_TRUE(testing::received_mails(log).empty());
}

TEST_F(SmtpMail, FailuresAreReported) {
  EXPECT_FALSE(SendTestMail(entered_fields(testing::closed_port()), true, services, prompts));
  EXPECT_EQ(prompts.notices, std::vector<std::string>{kTestMailFailed});

  MailSettings unstorable = entered_fields(server.port());
  unstorable.password = "ÿ";  // its scrambled form would pass the last code
  EXPECT_TRUE(SendTestMail(unstorable, true, services, prompts));
  EXPECT_EQ(prompts.notices.back(), "Erreur d'encryption :\rValeur négative");
  EXPECT_TRUE(testing::received_mails(log).empty());
}

TEST_F(SmtpMail, NotificationMailIsSentOnItsOwnThread) {
  MailSettings stored = entered_fields(server.port());
  stored.server = "127.0.0.1";
  stored.password = *crypt("Passé~42", kMailPasswordKey);
  const std::string text = notification_text({2026, 3, 7, 9, 5, 0, 0}, "Dentiste");
  EXPECT_EQ(text, "7 Mars 2026, à 09:05, Dentiste.");
  start_notification_mail(network, stored, text, std::nullopt).join();
  const auto mails = testing::received_mails(log);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].recipients.size(), 3u);
  EXPECT_EQ(mails[0].login, "agenda");
  EXPECT_NE(mails[0].text.find("\r\n\r\n7 Mars 2026, à 09:05, Dentiste."), std::string::npos);
}

TEST_F(SmtpMail, OkTestsAgainOnlyWhatChanged) {
  MailSettings stored = entered_fields(server.port());
  stored.password = *crypt("Passé~42", kMailPasswordKey);
  const MailSettings shown = mail_form(stored);
  MailSettings entered = shown;
  entered.subject = "Autre objet";
  auto confirmed = confirm_mail_settings(entered, shown, stored, true, services, prompts);
  ASSERT_TRUE(confirmed);
  EXPECT_TRUE(confirmed->tested);
  EXPECT_EQ(confirmed->stored.subject, "Autre objet");
  EXPECT_EQ(confirmed->stored.password, stored.password);
  EXPECT_TRUE(prompts.notices.empty());
  EXPECT_TRUE(testing::received_mails(log).empty()) << "nothing changed that a test proves";

  // Not yet approved: the user is reminded, still without a test.
  confirmed = confirm_mail_settings(entered, shown, stored, false, services, prompts);
  ASSERT_TRUE(confirmed);
  EXPECT_FALSE(confirmed->tested);
  EXPECT_EQ(prompts.notices, std::vector<std::string>{kMailNotYetApproved});
  EXPECT_TRUE(testing::received_mails(log).empty());
}

TEST_F(SmtpMail, OkAfterAChangeSendsTheTestToEveryRecipient) {
  MailSettings stored = entered_fields(testing::closed_port());
  stored.password = *crypt("Passé~42", kMailPasswordKey);
  const MailSettings shown = mail_form(stored);
  MailSettings entered = shown;
  entered.port = server.port();
  const auto confirmed = confirm_mail_settings(entered, shown, stored, false, services, prompts);
  ASSERT_TRUE(confirmed);
  EXPECT_TRUE(confirmed->tested);
  EXPECT_EQ(confirmed->stored.port, server.port());
  EXPECT_EQ(prompts.notices, std::vector<std::string>{kTestMailSucceeded});
  const auto mails = testing::received_mails(log);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].recipients.size(), 3u);
}

TEST_F(SmtpMail, OkWithTheReturnAddressAmongRecipientsApprovesNothing) {
  const MailSettings stored = entered_fields(server.port());
  MailSettings entered = stored;
  entered.recipients += ",moi@tavelo.test";
  const auto confirmed = confirm_mail_settings(entered, stored, stored, true, services, prompts);
  ASSERT_TRUE(confirmed);
  EXPECT_FALSE(confirmed->tested);
  EXPECT_EQ(prompts.notices,
            (std::vector<std::string>{kReturnAddressInRecipients, kMailNotYetApproved}));
  EXPECT_TRUE(testing::received_mails(log).empty());

  // A password that cannot be stored keeps the dialog open and sends nothing.
  entered = stored;
  entered.password = "ÿ";
  EXPECT_FALSE(confirm_mail_settings(entered, stored, stored, true, services, prompts));
  EXPECT_EQ(prompts.notices.back(), "Erreur d'encryption :\rValeur négative");
  EXPECT_TRUE(testing::received_mails(log).empty());
}

TEST(MailServer, SslMeansStartTlsOnTheSubmissionPortOnly) {
  MailSettings settings = entered_fields(465);
  EXPECT_EQ(smtp_server_of(settings).security, SmtpSecurity::kPlain);
  settings.secure = 1;
  EXPECT_EQ(smtp_server_of(settings).security, SmtpSecurity::kTls);
  settings.port = 587;
  EXPECT_EQ(smtp_server_of(settings).security, SmtpSecurity::kStartTls);
}

// The maker's web mail script: a one-time code first, then the message carrying that code.
struct WebMail : ::testing::Test {
  TempFolder root, work;
  fs::path log = work.path() / "requests.log";
  CurlNetwork network{quick_network_options()};
  ScriptedPrompts prompts;

  std::unique_ptr<LocalServer> start(const std::string& result) {
    return std::make_unique<LocalServer>(
        "http_server.py", std::vector<std::string>{"--root", root.path().string(), "--log",
                                                   log.string(), "--mail-result", result});
  }
  MailSettings without_server() {
    MailSettings fields = entered_fields(0);
    fields.server = "";
    fields.subject = "Rappel & suite";
    return fields;
  }
};

TEST_F(WebMail, CodeExchangeThenTheMessage) {
  const auto server = start("1");
  MailServices services{network, "http://" + server->address()};
  EXPECT_TRUE(SendTestMail(without_server(), false, services, prompts));
  EXPECT_EQ(prompts.notices, std::vector<std::string>{kTestMailSucceeded});
  EXPECT_EQ(read_bytes(log),
            "/monmail.php\n"
            "/monmail.php?usermail=un%40tavelo.test%2C%20deux%40tavelo.test%2Ctrois%40tavelo.test"
            "&userreply=moi%40tavelo.test&usersubject=Rappel%20%26%20suite"
            "&mes=test%20de%20Tavelo&code=4711\n");

  send_notification_mail(without_server(), "7 Mars 2026, à 09:05, Dentiste.", services);
  EXPECT_NE(read_bytes(log).find("&mes=7%20Mars%202026%2C%20%C3%A0%2009%3A05%2C%20Dentiste."
                                 "&code=4711\n"),
            std::string::npos);
}

TEST_F(WebMail, AnyAnswerButOneFails) {
  const auto server = start("0");
  MailServices services{network, "http://" + server->address()};
  EXPECT_FALSE(SendTestMail(without_server(), true, services, prompts));
  MailServices nowhere{network, std::nullopt};
  EXPECT_FALSE(SendTestMail(without_server(), true, nowhere, prompts));
  EXPECT_EQ(prompts.notices, (std::vector<std::string>{kTestMailFailed, kTestMailFailed}));
}

}  // namespace
}  // namespace tavelo
