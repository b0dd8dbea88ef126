#pragma once

#include "planning/records.hpp"

namespace tavelo {

// What the backup settings edit: the daily automatic backup and how many of them are kept.
struct BackupForm {
  bool automatic = false;
  int kept = 1;
};

BackupForm load_backup_form(const Settings& settings);
// At least one backup is kept, and no more than the settings file can count.
BackupForm validated(BackupForm form);
void store_backup_form(const BackupForm& form, Settings& settings);

}  // namespace tavelo
