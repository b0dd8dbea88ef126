#pragma once

#include <filesystem>

#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// What the backup menu works on.
struct BackupContext {
  fs::path program_folder;
  Settings& settings;
  Clock& clock;
  Prompts& prompts;
};

// "&Enregistrer": everything the user entered, chime profiles included, in an archive where the
// user chooses.
void SaveBackup(BackupContext& context);

// "&Récupérer": once the user has chosen an archive and confirmed, every planning, template,
// filter, alarm and chime profile and the settings are replaced by the archive's. True when they
// were: the program then reads its settings again. A damaged archive changes nothing.
bool RestoreBackup(BackupContext& context);

// The window "paramètres de sauvegarde"; true when OK stored and saved the settings.
bool BackupSettingsDialog(BackupContext& context);

}  // namespace tavelo
