#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "alarms/chime_archive.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// Backup archives (".agb") hold everything the user entered: plannings, category templates and
// filter, settings, alarm profiles and, on request, the chime profiles with their sounds.
inline constexpr const char* kBackupVersion = "version: 6.40";

// The archive of the program folder's data, with `settings` as the settings in memory.
std::string writearchive(const fs::path& program_folder, const Settings& settings,
                         bool include_chimes, Prompts& prompts);

// An archive read whole, before anything of it is applied.
struct BackupContents {
  struct Named {
    std::string name;
    Planning planning;
  };
  struct NamedAlarm {
    std::string name;
    AlarmProfile profile;
  };
  std::string version;
  std::vector<Named> plannings;
  std::vector<Named> templates;
  std::optional<std::vector<std::string>> filter;  // nothing: there was no filter
  std::vector<NamedAlarm> alarms;
  Settings settings;
  std::optional<std::string> chimes;  // a ".crx" archive
  // The archive holds everything up to the settings' later fields, which may be missing from
  // older archives; one cut before that point is damaged.
  bool whole = false;
};

// Reads an archive over the settings in memory, each field under its version gate.
BackupContents parse_archive(std::string_view archive, const Settings& settings);

// Replaces the program folder's data with the archive's and saves the settings. The whole
// archive, its chime block included (unpacked within `limits`), is checked first: a damaged
// archive changes nothing. False, told to the user, when the archive cannot be used.
bool readarchive(const fs::path& archive, const fs::path& program_folder, Settings& settings,
                 int today, Prompts& prompts, const ArchiveLimits& limits = {});

// "2026-12-07 autobackup.agb".
std::string autobackupname(int day);

// Today's automatic backup, once a day and without chimes, then the oldest automatic backups
// beyond the number to keep are deleted.
void automatic_backup(const fs::path& program_folder, const Settings& settings, int today,
                      Prompts& prompts);

}  // namespace tavelo
