#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The management settings as the dialog "gestion des planifications" shows them: the items
// chosen in its lists and the texts of its number fields.
struct ManagementForm {
  int management_time = 0;   // item of "heure de la gestion:", the minute of the day
  int update_check = 1;      // item of "vérifier la mise à jour:", the choice less one
  int forewarning_time = 0;  // item of "heure d'avertissement préavis:": 0 "aucun", else 1 + minute
  int forewarning_mode = 0;  // item of "mode d'avertissement préavis:", the mode less one
  std::string screen_reader_wait;
  std::string restart_delay;
  std::string absence_days;
};

inline constexpr int kLongestAbsence = 32000;

// "vérifier la mise à jour:" offers the automatic download only where the program may write its
// own folder.
std::vector<std::string> update_check_items(bool program_folder_writable);
// "aucun" and every minute of the day.
std::vector<std::string> forewarning_time_items();
std::vector<std::string> forewarning_mode_items();

// The form of the settings. Without a writable program folder the automatic download is not
// offered: a stored choice of it shows as "m'avertir avant de télécharger".
ManagementForm management_form(const Settings& settings, bool program_folder_writable);

// The lists' choices and the numbers typed, kept within their fields' ranges (non-numeric text
// reads as 0).
void store_management_form(const ManagementForm& form, Settings& settings);

// A folder the chooser gave, as the setting keeps it: without its final separator.
std::string journal_folder_setting(std::string_view chosen);

// On confirming, a journal folder changed by "parcourir" may take the old one's files along: when
// the old folder holds files the user is asked, and on yes every file moves and the old folder,
// left empty, goes. A section that both folders hold keeps the new folder's entries first, then
// the old ones. The settings are the folder texts, relative ones taken from the program folder.
// When some file could not be moved it stays in the old folder, which stays too; the user is
// told, and the answer is false. Without an old folder (an empty setting) nothing is asked.
bool offer_journal_move(const fs::path& program_folder, std::string_view old_setting,
                        std::string_view new_setting, Prompts& prompts);

// The dialog's OK, in order: the journal folder move offered when "parcourir" changed the folder
// the dialog opened with, the form stored, the settings saved.
void confirm_management_settings(const ManagementForm& form, std::string_view opened_folder,
                                 const fs::path& program_folder, Settings& settings, int today,
                                 Prompts& prompts);

}  // namespace tavelo
