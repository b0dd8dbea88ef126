#include "shell/management_settings.hpp"

#include <algorithm>

#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "shell/journal.hpp"

namespace tavelo {

namespace {

constexpr int kNoForewarning = 255;
constexpr int kDownloadAutomatically = 3;
constexpr int kWarnBeforeDownload = 2;

bool is_time_of_day(int hour, int minute) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

}  // namespace

std::vector<std::string> update_check_items(bool program_folder_writable) {
  std::vector<std::string> items = {"ne pas télécharger (non-recommandé)",
                                    "m'avertir avant de télécharger"};
  if (program_folder_writable) items.emplace_back("téléchargement automatique");
  return items;
}

std::vector<std::string> forewarning_time_items() {
  std::vector<std::string> items = {"aucun"};
  const std::vector<std::string> times = day_times();
  items.insert(items.end(), times.begin(), times.end());
  return items;
}

std::vector<std::string> forewarning_mode_items() {
  return {"alarme par défaut", "dialogue"};
}

ManagementForm management_form(const Settings& s, bool program_folder_writable) {
  ManagementForm form;
  form.management_time = day_time_item(s.management_hour, s.management_minute);
  int choice = s.update_check;
  if (!program_folder_writable && choice == kDownloadAutomatically) choice = kWarnBeforeDownload;
  const int choices = static_cast<int>(update_check_items(program_folder_writable).size());
  form.update_check = std::clamp(choice - 1, 0, choices - 1);
  form.forewarning_time = is_time_of_day(s.forewarning_hour, s.forewarning_minute)
                              ? 1 + day_time_item(s.forewarning_hour, s.forewarning_minute)
                              : 0;
  form.forewarning_mode = std::clamp(s.forewarning_mode - 1, 0, 1);
  form.screen_reader_wait = std::to_string(s.screen_reader_wait);
  form.restart_delay = std::to_string(s.restart_delay);
  form.absence_days = std::to_string(s.inactivity_days);
  return form;
}

void store_management_form(const ManagementForm& form, Settings& s) {
  s.update_check = form.update_check + 1;
  const int management = std::clamp(form.management_time, 0, kMinutesPerDay - 1);
  s.management_hour = management / 60;
  s.management_minute = management % 60;
  if (form.forewarning_time <= 0) {
    s.forewarning_hour = kNoForewarning;
  } else {
    const int forewarning = std::min(form.forewarning_time - 1, kMinutesPerDay - 1);
    s.forewarning_hour = forewarning / 60;
    s.forewarning_minute = forewarning % 60;
  }
  s.screen_reader_wait = typed_number(form.screen_reader_wait, 0, 255);
  s.restart_delay = typed_number(form.restart_delay, 0, 255);
  s.forewarning_mode = form.forewarning_mode + 1;
  s.inactivity_days = typed_number(form.absence_days, 0, kLongestAbsence);
}

std::string journal_folder_setting(std::string_view chosen) {
  std::string folder(chosen);
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

bool offer_journal_move(const fs::path& program_folder, std::string_view old_setting,
                        std::string_view new_setting, Prompts& prompts) {
  const fs::path old_folder = native_path(program_folder, old_setting);
  const fs::path new_folder = native_path(program_folder, new_setting);
  const std::vector<std::string> files = list_files(old_folder, "*");
  std::error_code error;
  // No folder was set: the program folder, which the empty setting would name, is no journal.
  if (old_setting.empty() || old_setting == new_setting || files.empty() ||
      fs::equivalent(old_folder, new_folder, error)) {
    return true;
  }
  if (!prompts.question("Souhaitez-vous déplacer le contenu de votre ancien dossier journal "
                        "soit:\r" +
                        std::string(old_setting) + "\rvers:\r" + std::string(new_setting) +
                        "\rpour en suite supprimer l'ancien dossier?")) {
    return true;
  }
  fs::create_directories(new_folder, error);
  bool all_moved = true;
  for (const std::string& name : files) {
    all_moved = move_journal_file(old_folder / name, new_folder / name) && all_moved;
  }
  // Only an emptied folder goes: whatever could not be moved, or was not a file, stays.
  fs::remove(old_folder, error);
  if (!all_moved) {
    prompts.notice(
        "Attention...\rCertains fichiers n'ont pas pu être déplacés, ils sont restés "
        "dans:\r" +
        std::string(old_setting));
  }
  return all_moved;
}

void confirm_management_settings(const ManagementForm& form, std::string_view opened_folder,
                                 const fs::path& program_folder, Settings& settings, int today,
                                 Prompts& prompts) {
  if (settings.journal_folder != opened_folder) {
    offer_journal_move(program_folder, opened_folder, settings.journal_folder, prompts);
  }
  store_management_form(form, settings);
  save_settings_telling(program_folder, settings, today, prompts);
}

}  // namespace tavelo
