#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"
#include "platform/network.hpp"

namespace tavelo {

// The mail password is kept scrambled by `crypt` with this key, chosen once for all: changing it
// would make every stored password unreadable. `crypt` with -kMailPasswordKey restores it.
inline constexpr int kMailPasswordKey = 7;

inline constexpr const char* kMailScriptPath = "/monmail.php";
inline constexpr const char* kTestMailBody = "test de Tavelo";

inline constexpr const char* kReturnAddressInRecipients =
    "L'adresse de retour ne doit pas être inclu dans les destinataires.";
inline constexpr const char* kTestMailSucceeded =
    "Le test du courriel a réussi. Ce pendant, veuillez prendre vos message affin de vous "
    "assurer que la ou les destinataires ont bien reçu le test.";
inline constexpr const char* kTestMailFailed = "Le test a échoué.";

// What sending needs from outside: the network, and the maker's web server that carries mail
// for users without an SMTP server (none set: that route fails).
struct MailServices {
  Network& network;
  std::optional<std::string> web_server;
};

// The server of the settings. "connexion sécurisée SSL" means TLS from the first byte, except on
// the submission port 587, whose servers (Outlook, Gmail…) only upgrade with STARTTLS.
inline constexpr int kSubmissionPort = 587;
SmtpServer smtp_server_of(const MailSettings& settings);

// The message of the settings: the first address of the recipients text is the To recipient,
// every further ","-separated one a blind copy.
MailMessage compose_mail(const MailSettings& settings, std::string body);

// Sends `body` with settings whose password is in clear: through their SMTP server, or, with
// no server, through the web mail script (a one-time code, then the message with that code).
// True when the SMTP server took it or the script answered 1.
bool send_mail_by_route(const MailSettings& settings, std::string_view body,
                        MailServices& services);

// The test of the mail dialog. `entered` holds the fields as typed, the password in clear.
// Tells the user the outcome and returns the new tested flag; when the test cannot run (the
// return address among the recipients, a password that cannot be stored) it returns `tested`.
bool SendTestMail(const MailSettings& entered, bool tested, MailServices& services,
                  Prompts& prompts);

// "7 Janvier 2026, à 09:05, Dentiste."
std::string notification_text(const LocalTime& now, std::string_view subject);

// The notification mail of a due planning; `stored` holds the password scrambled, as saved.
// The outcome is not reported.
void send_notification_mail(const MailSettings& stored, std::string_view text,
                            MailServices& services);

// The same on a worker thread, which works on its own copies only. The caller keeps the thread
// (joined when it is destroyed) but need not wait for it.
[[nodiscard]] std::jthread start_notification_mail(std::shared_ptr<Network> network,
                                                   MailSettings stored, std::string text,
                                                   std::optional<std::string> web_server);

}  // namespace tavelo
