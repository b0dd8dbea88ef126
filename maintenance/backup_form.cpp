#include "maintenance/backup_form.hpp"

#include <algorithm>

namespace tavelo {

namespace {

constexpr int kMostBackupsKept = 32767;  // the settings file keeps the number in 16 bits

}  // namespace

BackupForm load_backup_form(const Settings& settings) {
  return {settings.automatic_backup != 0, settings.backups_kept};
}

BackupForm validated(BackupForm form) {
  form.kept = std::clamp(form.kept, 1, kMostBackupsKept);
  return form;
}

void store_backup_form(const BackupForm& form, Settings& settings) {
  settings.automatic_backup = form.automatic ? 1 : 0;
  settings.backups_kept = form.kept;
}

}  // namespace tavelo
