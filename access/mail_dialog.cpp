#include "access/mail_dialog.hpp"

#include <string_view>

#include "access/dialog.hpp"
#include "access/mail_settings.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "planning/calendar.hpp"
#include "planning/settings.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kServer = 2, kUser = 4, kPassword = 6, kPort = 8, kRecipients = 10, kReply = 12,
              kSubject = 14, kTest = 15, kHelp = 16, kPresence = 17, kSecure = 18;

constexpr ControlSpec kMailControls[] = {
    {ControlKind::label, 1, "SMTP:", 2, 24},
    {ControlKind::text_field, kServer, "", 2, 30, 48},
    {ControlKind::label, 3, "identifian utilisateur:", 4, 5},
    {ControlKind::text_field, kUser, "", 4, 30, 48},
    {ControlKind::label, 5, "mot de passe:", 8, 15},
    {ControlKind::text_field, kPassword, "", 8, 30, 48, 2, kPassword},
    {ControlKind::label, 7, "port sortant:", 11, 15},
    {ControlKind::text_field, kPort, "", 11, 30, 6, 2, kDigitsOnly},
    {ControlKind::label, 9, "destinataires:", 14, 14},
    {ControlKind::text_field, kRecipients, "", 14, 30, 48},
    {ControlKind::label, 11, "adresse de retour:", 17, 10},
    {ControlKind::text_field, kReply, "", 17, 30, 48},
    {ControlKind::label, 13, "objet:", 20, 22},
    {ControlKind::text_field, kSubject, "", 20, 30, 48},
    {ControlKind::check_box, kPresence, "tenir compte de la présence de l'utilisateur", 23, 2, 48},
    {ControlKind::check_box, kSecure, "connexion sécurisée SSL", 23, 53, 25},
    {ControlKind::button, kTest, "&test", 26, 10, 10},
    {ControlKind::button, kHelp, "aide-f1", 30, 25, 10},
};

void show_fields(const MailSettings& shown) {
  SetControlText(kServer, shown.server);
  SetControlText(kUser, shown.user);
  SetControlText(kPassword, shown.password);
  SetControlText(kPort, std::to_string(shown.port));
  SetControlText(kRecipients, shown.recipients);
  SetControlText(kReply, shown.reply_address);
  SetControlText(kSubject, shown.subject);
  SetControlState(kPresence, shown.presence != 0 ? 1 : 0);
  SetControlState(kSecure, shown.secure != 0 ? 1 : 0);
}

MailSettings entered_fields() {
  return {ControlText(kServer),
          ControlText(kUser),
          ControlText(kPassword),
          typed_port(ControlText(kPort)),
          ControlText(kRecipients),
          ControlText(kReply),
          ControlText(kSubject),
          ControlState(kPresence) != 0 ? 1 : 0,
          ControlState(kSecure) != 0 ? 1 : 0};
}

// The window of both: on OK the settings to store and their approval.
std::optional<ConfirmedMail> mail_window(const MailSettings& stored, bool approved,
                                         std::string_view name, MailServices& services) {
  const MailSettings shown = mail_form(stored);
  OpenDialog("d", 1, 1, 32, 78, "notification par courriel, " + std::string(name));
  AddControls(kMailControls);
  AddCancelButton(0, 0);
  show_fields(shown);
  FocusControl(kServer);
  WindowPrompts prompts;
  bool tested = approved;
  for (;;) {
    const Input input = NextInput(-1, true);
    const std::string& e = input.event;
    if (e == "btncancel" || e == "winclose") return std::nullopt;
    if (e == "btn" + std::to_string(kHelp) || input.key == "f1") {
      shell_service().show_help("mail.htm");
    } else if (e == "btn" + std::to_string(kTest)) {
      tested = SendTestMail(entered_fields(), tested, services, prompts);
    } else if (e == "btnok") {
      if (auto confirmed =
              confirm_mail_settings(entered_fields(), shown, stored, tested, services, prompts)) {
        return confirmed;
      }
      FocusControl(kPassword);
    }
  }
}

}  // namespace

void MailDialog(Settings& settings, const std::filesystem::path& program_folder,
                MailServices& services) {
  const std::optional<ConfirmedMail> confirmed =
      mail_window(settings.default_mail, settings.mail_approved != 0, "", services);
  if (!confirmed) return;
  settings.default_mail = confirmed->stored;
  settings.mail_approved = confirmed->tested ? 1 : 0;
  WindowPrompts prompts;
  save_settings_telling(program_folder, settings, todaynumber(interface_clock()), prompts);
}

void PlanningMailDialog(Planning& planning, MailServices& services) {
  const std::optional<ConfirmedMail> confirmed =
      mail_window(planning.mail, planning.mail_approved != 0, planning.subject, services);
  if (!confirmed) return;
  planning.mail = confirmed->stored;
  planning.mail_approved = confirmed->tested ? 1 : 0;
}

}  // namespace tavelo
