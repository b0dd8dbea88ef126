// The mail notification's window, driven by scripts, sending to the local SMTP server.
#include "access/mail_dialog.hpp"

#include <gtest/gtest.h>

#include "access/mail_settings.hpp"
#include "planning/crypt.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "tests/support/inspect.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/received_mail.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

struct MailWindow : ::testing::Test {
  ScriptRunner runner;
  TempFolder work;
  fs::path log = work.path() / "mails.log";
  LocalServer server{
      "smtp_server.py",
      {"--log", log.string(), "--user", "agenda", "--password", "Passé~42", "--low-port"}};
  CurlNetwork network{quick_network_options()};
  MailServices services{network, std::nullopt};
  Settings settings = default_settings(45000, false);

  MailWindow() {
    MailSettings& mail = settings.default_mail;
    mail.server = "127.0.0.1";
    mail.user = "agenda";
    mail.password = *crypt("Passé~42", kMailPasswordKey);
    mail.port = server.port();
    mail.recipients = "un@tavelo.test,deux@tavelo.test,trois@tavelo.test";
    mail.reply_address = "moi@tavelo.test";
    mail.subject = "Rappel";
  }

  ScriptRun drive(std::string_view script) {
    return runner.run(script, [&] {
      MailDialog(settings, runner.folder(), services);
      return 0;
    });
  }
};

TEST_F(MailWindow, TheTestReachesThreeRecipientsAndOkWithoutAChangeSendsNoOther) {
  const ScriptRun run = drive("wait 1s\nkey alt+t\nwait 1s\nclick ok\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("window \"notification par courriel, \""));
  EXPECT_TRUE(run.has("focus 2 \"SMTP:\"")) << run.text();
  EXPECT_EQ(run.count("notice \"Notice...\" \"" + std::string(kTestMailSucceeded) + "\""), 1)
      << run.text();
  const auto mails = received_mails(log);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].recipients,
            (std::vector<std::string>{"un@tavelo.test", "deux@tavelo.test", "trois@tavelo.test"}));
  EXPECT_EQ(mails[0].login, "agenda");
  auto saved = inspected_fields(runner.folder() / "agenda.bin");
  EXPECT_EQ(saved["mail_approved"], 1);
  EXPECT_EQ(saved["default_mail"]["password"], settings.default_mail.password);
}

TEST_F(MailWindow, OkAfterAChangeOfPortSendsATest) {
  settings.default_mail.port = 0;
  const ScriptRun run =
      drive("wait 1s\nfocus 8\ntype " + std::to_string(server.port()) + "\nclick ok\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_EQ(received_mails(log).size(), 1u) << run.text();
  auto saved = inspected_fields(runner.folder() / "agenda.bin");
  EXPECT_EQ(saved["default_mail"]["port"], server.port());
  EXPECT_EQ(saved["mail_approved"], 1);
}

TEST_F(MailWindow, TheReturnAddressAmongTheRecipientsSendsNothing) {
  settings.default_mail.recipients += ",MOI@tavelo.test";
  const ScriptRun run = drive("wait 1s\nclick 15\nkey escape\n");
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("notice \"Notice...\" \"" + std::string(kReturnAddressInRecipients) + "\""))
      << run.text();
  EXPECT_TRUE(received_mails(log).empty());
  EXPECT_FALSE(file_exists(runner.folder() / "agenda.bin")) << "Cancel saves nothing";
}

TEST_F(MailWindow, NotApprovedSettingsAreToldOnOk) {
  settings.default_mail.port = closed_port();
  const ScriptRun run = drive("wait 1s\nclick 15\nclick ok\n");
  EXPECT_TRUE(run.has("notice \"Notice...\" \"Le test a échoué.\"")) << run.text();
  EXPECT_TRUE(run.has("notice \"Notice...\" \"" + std::string(kMailNotYetApproved) + "\""));
  EXPECT_EQ(inspected_fields(runner.folder() / "agenda.bin")["mail_approved"], 0);
}

TEST_F(MailWindow, APlanningsSettingsAreEditedInPlace) {
  Planning planning;
  planning.subject = "Dentiste";
  planning.mail = settings.default_mail;
  const ScriptRun run = runner.run("wait 1s\nclick 15\ncheck 17\nclick ok\n", [&] {
    PlanningMailDialog(planning, services);
    return 0;
  });
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("window \"notification par courriel, Dentiste\""));
  EXPECT_EQ(planning.mail_approved, 1);
  EXPECT_EQ(planning.mail.presence, 1);
  EXPECT_EQ(settings.default_mail.presence, 0);
  EXPECT_EQ(crypt(planning.mail.password, -kMailPasswordKey), "Passé~42");
  EXPECT_FALSE(file_exists(runner.folder() / "agenda.bin"));
}

}  // namespace
}  // namespace tavelo::testing
