#pragma once

#include <filesystem>

#include "planning/records.hpp"

namespace tavelo {

// The dialog "gestion des planifications": the management pass, the forewarning, the journal
// folder, the update check and the start. OK saves the settings in the program folder's
// agenda.bin; Cancel keeps the lists and fields as they were, but the check boxes and a folder
// chosen with "parcourir" stay changed in `settings`, for the next save. Without a writable
// program folder the automatic download is not offered.
void ManagementSettingsDialog(Settings& settings, const std::filesystem::path& program_folder,
                              bool program_folder_writable);

}  // namespace tavelo
