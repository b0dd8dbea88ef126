#include "access/mail_settings.hpp"

#include <array>

#include "access/mail.hpp"
#include "planning/crypt.hpp"
#include "planning/text.hpp"

namespace tavelo {

namespace {

std::string compared(std::string_view text) {
  return lower_ascii(trim_spaces(text));
}

// The fields a test proves, besides the password, the port and the secure connection.
constexpr std::array kAddressTexts = {&MailSettings::server, &MailSettings::user,
                                      &MailSettings::recipients, &MailSettings::reply_address};

}  // namespace

MailSettings mail_form(const MailSettings& stored) {
  MailSettings shown = stored;
  if (!stored.password.empty()) {
    shown.password = crypt(stored.password, -kMailPasswordKey).value_or("");
  }
  return shown;
}

int typed_port(std::string_view text) {
  return typed_number(text, 0, 32767);
}

bool mail_fields_changed(const MailSettings& entered, const MailSettings& shown) {
  for (const auto field : kAddressTexts) {
    if (compared(entered.*field) != compared(shown.*field)) return true;
  }
  return trim_spaces(entered.password) != trim_spaces(shown.password) ||
         entered.port != shown.port || entered.secure != shown.secure;
}

std::optional<MailSettings> mail_to_store(const MailSettings& entered, const MailSettings& shown,
                                          const MailSettings& stored) {
  MailSettings saved = entered;
  for (const auto field : kAddressTexts) saved.*field = std::string(trim_spaces(entered.*field));
  saved.subject = trim_spaces(entered.subject);
  saved.password = trim_spaces(entered.password);
  if (saved.password == trim_spaces(shown.password)) {
    saved.password = stored.password;
  } else if (!saved.password.empty()) {
    const std::optional<std::string> scrambled = crypt(saved.password, kMailPasswordKey);
    if (!scrambled) return std::nullopt;
    saved.password = *scrambled;
  }
  return saved;
}

std::optional<ConfirmedMail> confirm_mail_settings(const MailSettings& entered,
                                                   const MailSettings& shown,
                                                   const MailSettings& stored, bool tested,
                                                   MailServices& services, Prompts& prompts) {
  std::optional<MailSettings> kept = mail_to_store(entered, shown, stored);
  if (!kept) {
    prompts.notice(std::string(kCryptErrorTitle) + "\r" + kCryptRefusedText);
    return std::nullopt;
  }
  if (mail_fields_changed(entered, shown)) tested = SendTestMail(entered, false, services, prompts);
  if (!tested) prompts.notice(kMailNotYetApproved);
  return ConfirmedMail{std::move(*kept), tested};
}

}  // namespace tavelo
