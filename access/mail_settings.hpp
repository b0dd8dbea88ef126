#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "access/mail.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo {

inline constexpr const char* kMailNotYetApproved =
    "Notez que la notification par courriel sera opérationnel lorsque ce courriel sera testé et "
    "appprouvé par l'agenda.";

// The mail settings as the dialog shows them: the password in clear. A stored password that
// cannot be turned back shows empty.
MailSettings mail_form(const MailSettings& stored);

// The port as typed: the files keep it in a signed 16-bit field.
int typed_port(std::string_view text);

// Whether the account or the addresses differ from what the dialog showed: the addresses and the
// user compared trimmed and in lower case, the password trimmed only (another case is another
// password), the port and the secure connection as they are. The subject and the presence do not
// count: a test proves nothing new about them.
bool mail_fields_changed(const MailSettings& entered, const MailSettings& shown);

// What is saved: texts trimmed and the password scrambled. A password left as shown keeps its
// stored form. Nothing when a new password cannot be stored.
std::optional<MailSettings> mail_to_store(const MailSettings& entered, const MailSettings& shown,
                                          const MailSettings& stored);

// What the dialog's OK keeps: the settings to store and whether they are approved.
struct ConfirmedMail {
  MailSettings stored;
  bool tested = false;
};

// The dialog's OK. Settings whose account or addresses changed are tested again, and their new
// approval is the test's alone (a blocked test approves nothing); settings not approved are
// told to the user. Nothing when a new password cannot be stored: the user is told and stays in
// the dialog, and no test is sent.
std::optional<ConfirmedMail> confirm_mail_settings(const MailSettings& entered,
                                                   const MailSettings& shown,
                                                   const MailSettings& stored, bool tested,
                                                   MailServices& services, Prompts& prompts);

}  // namespace tavelo
