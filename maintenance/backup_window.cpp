#include "maintenance/backup_window.hpp"

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "maintenance/backup_archive.hpp"
#include "maintenance/backup_form.hpp"
#include "planning/calendar.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr std::string_view kTitle = "paramètres de sauvegarde";
constexpr int kAutomatic = 1, kKept = 3, kHelp = 4;

constexpr ControlSpec kBackupControls[] = {
    {ControlKind::check_box, kAutomatic, "sauvegarde automatique", 1, 2, 30},
    {ControlKind::label, 2, "nombre de sauvegarde:", 4, 2},
    {ControlKind::text_field, kKept, "", 4, 26, 7, 2, kDigitsOnly},
    {ControlKind::button, kHelp, "a&ide", 7, 2, 10},
};

constexpr std::string_view kRestoreWarning =
    "La fonction de récupération effacera toutes les données\rrelatives au planifications, aux "
    "fichier de catégorie incluant les filtres\rainsi que les paramètres de configuration. "
    "Voulez-vous continuer?";

bool save_settings(BackupContext& c) {
  if (savesettings(c.program_folder, c.settings, todaynumber(c.clock))) return true;
  c.prompts.notice("impossible d'écrire le fichier " + std::string(kSettingsFile));
  return false;
}

}  // namespace

void SaveBackup(BackupContext& c) {
  const auto chosen = window_system().save_file_dialog("enregistrer", "*.agb",
                                                       c.program_folder.string(), "sauvegarde.agb");
  if (!chosen) return;
  fs::path archive = path_of(*chosen);
  if (!lower_ascii(archive.filename().string()).ends_with(".agb")) archive += ".agb";
  if (!write_file_atomically(archive,
                             writearchive(c.program_folder, c.settings, true, c.prompts))) {
    c.prompts.notice("impossible d'écrire le fichier " + archive.string());
  }
}

bool RestoreBackup(BackupContext& c) {
  const auto chosen =
      window_system().open_file_dialog("récupérer", "*.agb", c.program_folder.string());
  if (!chosen || !c.prompts.question(kRestoreWarning)) return false;
  return readarchive(path_of(*chosen), c.program_folder, c.settings, todaynumber(c.clock),
                     c.prompts);
}

bool BackupSettingsDialog(BackupContext& c) {
  const BackupForm form = load_backup_form(c.settings);
  OpenDialog("", 0, 0, 10, 40, kTitle);
  AddControls(kBackupControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  SetControlState(kAutomatic, form.automatic ? 1 : 0);
  SetControlText(kKept, std::to_string(form.kept));
  FocusControl(kAutomatic);
  Speak(kTitle, 0);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btncancel" || input.event == "winclose") return false;
    if (input.event == "btn" + std::to_string(kHelp) || input.key == "f1") {
      shell_service().show_help("backup.htm");
    }
    if (input.event != "btnok") continue;
    store_backup_form(validated({ControlState(kAutomatic) != 0,
                                 static_cast<int>(std::clamp<std::int64_t>(
                                     leading_integer(ControlText(kKept)), 0, 1 << 20))}),
                      c.settings);
    save_settings(c);
    return true;
  }
}

}  // namespace tavelo
