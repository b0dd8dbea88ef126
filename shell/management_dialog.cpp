#include "shell/management_dialog.hpp"

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_names.hpp"
#include "platform/services.hpp"
#include "shell/management_settings.hpp"

namespace tavelo {

namespace {

constexpr int kManagementTime = 1, kUpdateCheck = 2, kForewarningTime = 3, kForewarningMode = 4;
constexpr int kReaderWait = 11, kJournalFolder = 12, kRestartDelay = 13, kAbsenceDays = 102;
constexpr int kBrowse = 21, kHelp = 22, kDailyWarning = 31, kBackground = 32;
constexpr int kMinutesPerPage = 60;  // the page keys move a time list by an hour

constexpr ControlSpec kManagementControls[] = {
    {ControlKind::label, 51, "heure de la gestion:", 2, 2},
    {ControlKind::combo_box, kManagementTime, "", 2, 44, 12},
    {ControlKind::label, 52, "vérifier la mise à jour:", 4, 2},
    {ControlKind::combo_box, kUpdateCheck, "", 4, 44, 34},
    {ControlKind::label, 53, "dossier journal:", 6, 2},
    {ControlKind::text_field, kJournalFolder, "", 6, 20, 46, 2, kReadOnly},
    {ControlKind::button, kBrowse, "parcourir", 6, 67, 12},
    {ControlKind::check_box, kDailyWarning, "avertissement quotidien répétitif", 9, 2, 40},
    {ControlKind::check_box, kBackground, "agenda en arrière-plan", 11, 2, 40},
    {ControlKind::label, 54, "détection de jaws au démarrage: ", 14, 2},
    {ControlKind::text_field, kReaderWait, "", 14, 50, 6},
    {ControlKind::label, 55, "délai d'exécution au redémarrage du système: ", 16, 2},
    {ControlKind::text_field, kRestartDelay, "", 16, 50, 6},
    {ControlKind::label, 56, "heure d'avertissement préavis:", 18, 2},
    {ControlKind::combo_box, kForewarningTime, "", 18, 50, 12},
    {ControlKind::label, 57, "mode d'avertissement préavis:", 20, 2},
    {ControlKind::combo_box, kForewarningMode, "", 20, 50, 22},
    {ControlKind::label, 58, "nombre de jour d'absence tolérée:", 22, 2},
    {ControlKind::text_field, kAbsenceDays, "", 22, 50, 8, 2, kDigitsOnly},
    {ControlKind::button, kHelp, "aide-f1", 25, 2, 10},
};

void show_form(const ManagementForm& form, const Settings& settings, bool writable) {
  FillItems(kManagementTime, day_times(), form.management_time);
  FillItems(kUpdateCheck, update_check_items(writable), form.update_check);
  FillItems(kForewarningTime, forewarning_time_items(), form.forewarning_time);
  FillItems(kForewarningMode, forewarning_mode_items(), form.forewarning_mode);
  SetComboPageStep(kManagementTime, kMinutesPerPage);
  SetComboPageStep(kForewarningTime, kMinutesPerPage);
  SetControlText(kJournalFolder, settings.journal_folder);
  SetControlState(kDailyWarning, settings.daily_repeated_warning != 0 ? 1 : 0);
  SetControlState(kBackground, settings.background_mode != 0 ? 1 : 0);
  SetControlText(kReaderWait, form.screen_reader_wait);
  SetControlText(kRestartDelay, form.restart_delay);
  SetControlText(kAbsenceDays, form.absence_days);
}

ManagementForm typed_form() {
  return {ControlState(kManagementTime),  ControlState(kUpdateCheck),
          ControlState(kForewarningTime), ControlState(kForewarningMode),
          ControlText(kReaderWait),       ControlText(kRestartDelay),
          ControlText(kAbsenceDays)};
}

void choose_journal_folder(Settings& settings) {
  const std::optional<std::string> chosen = WindowPrompts().folder("dossier des fichiers journal");
  if (!chosen) return;
  settings.journal_folder = journal_folder_setting(*chosen);
  SetControlText(kJournalFolder, settings.journal_folder);
}

}  // namespace

void ManagementSettingsDialog(Settings& settings, const std::filesystem::path& program_folder,
                              bool program_folder_writable) {
  const std::string opened_folder = settings.journal_folder;
  OpenDialog("d", 0, 0, 27, 80, "gestion des planifications");
  AddControls(kManagementControls);
  AddCancelButton(0, 0);
  show_form(management_form(settings, program_folder_writable), settings, program_folder_writable);
  Speak("gestion des planification", 1);
  FocusControl(kManagementTime);
  for (;;) {
    const Input input = NextInput(-1);
    const std::string& e = input.event;
    if (e == "btncancel" || e == "winclose") return;
    if (e == "btnok") break;
    if (e == "btn" + std::to_string(kHelp) || input.key == "f1") {
      shell_service().show_help("gestion.htm");
    } else if (e == "btn" + std::to_string(kBrowse)) {
      choose_journal_folder(settings);
    } else if (e.starts_with("chk" + std::to_string(kDailyWarning))) {
      settings.daily_repeated_warning = ticks_box(e) ? 1 : 0;
    } else if (e.starts_with("chk" + std::to_string(kBackground))) {
      settings.background_mode = ticks_box(e) ? 1 : 0;
    }
  }
  WindowPrompts prompts;
  confirm_management_settings(typed_form(), opened_folder, program_folder, settings,
                              todaynumber(interface_clock()), prompts);
}

}  // namespace tavelo
