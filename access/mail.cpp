#include "access/mail.hpp"

#include <algorithm>
#include <cstdio>

#include "planning/calendar.hpp"
#include "planning/chain.hpp"
#include "planning/crypt.hpp"
#include "planning/text.hpp"

namespace tavelo {

namespace {

// The script answers with a short number; nothing longer is worth keeping.
constexpr std::size_t kScriptAnswerLimit = 4096;

// Every value is encoded on its own, so that a "&" or "=" in a subject cannot cut the query.
std::string url_encoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool letter_or_digit =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (letter_or_digit || c == '-' || c == '_' || c == '.' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
  return out;
}

bool holds_return_address(const MailSettings& settings) {
  return !settings.reply_address.empty() &&
         lower(settings.recipients).find(lower(settings.reply_address)) != std::string::npos;
}

MailSettings trimmed(const MailSettings& entered) {
  MailSettings fields = entered;
  for (std::string* text : {&fields.server, &fields.user, &fields.password, &fields.recipients,
                            &fields.reply_address, &fields.subject})
    *text = std::string(trim_spaces(*text));
  return fields;
}

std::optional<std::string> clear_password(std::string_view scrambled) {
  if (scrambled.empty()) return std::string();
  return crypt(scrambled, -kMailPasswordKey);
}

bool send_by_smtp(const MailSettings& settings, std::string_view body, Network& network) {
  return network.send_mail(smtp_server_of(settings), compose_mail(settings, std::string(body)));
}

std::optional<std::int64_t> script_answer(Network& network, const std::string& url) {
  const auto answer = network.get_to_memory(url, kScriptAnswerLimit);
  if (!answer) return std::nullopt;
  return leading_integer(*answer);
}

bool send_by_web_script(const MailSettings& settings, std::string_view body,
                        MailServices& services) {
  if (!services.web_server) return false;
  const std::string script = server_url(*services.web_server, kMailScriptPath);
  const auto code = script_answer(services.network, script);
  if (!code) return false;
  const std::string query = "?usermail=" + url_encoded(settings.recipients) +
                            "&userreply=" + url_encoded(settings.reply_address) +
                            "&usersubject=" + url_encoded(settings.subject) +
                            "&mes=" + url_encoded(body) + "&code=" + std::to_string(*code);
  return script_answer(services.network, script + query) == 1;
}

}  // namespace

SmtpServer smtp_server_of(const MailSettings& settings) {
  SmtpSecurity security = SmtpSecurity::kPlain;
  if (settings.secure != 0)
    security = settings.port == kSubmissionPort ? SmtpSecurity::kStartTls : SmtpSecurity::kTls;
  return {settings.server, settings.port, security, settings.user, settings.password};
}

MailMessage compose_mail(const MailSettings& settings, std::string body) {
  MailMessage message{settings.reply_address, {}, {}, settings.subject, std::move(body)};
  const int fields = chaincount(settings.recipients, ",");
  for (int n = 1; n <= fields; ++n) {
    std::string address = chain(settings.recipients, ",", n);
    if (address.empty()) continue;
    (message.to.empty() ? message.to : message.blind_copies).push_back(std::move(address));
  }
  return message;
}

bool send_mail_by_route(const MailSettings& settings, std::string_view body,
                        MailServices& services) {
  if (settings.server.empty()) return send_by_web_script(settings, body, services);
  return send_by_smtp(settings, body, services.network);
}

bool SendTestMail(const MailSettings& entered, bool tested, MailServices& services,
                  Prompts& prompts) {
  MailSettings fields = trimmed(entered);
  if (holds_return_address(fields)) {
    prompts.notice(kReturnAddressInRecipients);
    return tested;
  }
  // The password goes through its stored form, so that a test proves what will be saved.
  const auto scrambled = fields.password.empty() ? std::optional<std::string>("")
                                                 : crypt(fields.password, kMailPasswordKey);
  const auto password = scrambled ? clear_password(*scrambled) : std::nullopt;
  if (!password) {
    prompts.notice(std::string(kCryptErrorTitle) + "\r" + kCryptRefusedText);
    return tested;
  }
  fields.password = *password;
  const bool sent = send_mail_by_route(fields, kTestMailBody, services);
  prompts.notice(sent ? kTestMailSucceeded : kTestMailFailed);
  return sent;
}

std::string notification_text(const LocalTime& now, std::string_view subject) {
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", now.hour % 100, now.minute % 100);
  const auto month = static_cast<std::size_t>(std::clamp(now.month, 1, 12));
  return std::to_string(now.day) + " " + std::string(kMonthNames[month]) + " " +
         std::to_string(now.year) + ", à " + time + ", " + std::string(subject) + ".";
}

void send_notification_mail(const MailSettings& stored, std::string_view text,
                            MailServices& services) {
  MailSettings settings = stored;
  // A damaged password is left out: the server then refuses the login, as it would refuse the
  // damaged one.
  settings.password = clear_password(stored.password).value_or("");
  send_mail_by_route(settings, text, services);
}

std::jthread start_notification_mail(std::shared_ptr<Network> network, MailSettings stored,
                                     std::string text, std::optional<std::string> web_server) {
  return std::jthread([network = std::move(network), stored = std::move(stored),
                       text = std::move(text), web_server = std::move(web_server)] {
    MailServices services{*network, web_server};
    send_notification_mail(stored, text, services);
  });
}

}  // namespace tavelo
