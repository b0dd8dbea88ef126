#include "maintenance/backup_archive.hpp"

#include <algorithm>
#include <cstdio>
#include <set>
#include <unordered_set>

#include "alarms/alarm_profile.hpp"
#include "alarms/chime_archive.hpp"
#include "alarms/chime_profile.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/record_layout.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

// A backup with its chimes may carry sounds; nothing larger is read.
constexpr std::size_t kLargestBackup = std::size_t{1} << 30;

void write_plannings(RecordWriter& out, const fs::path& program_folder, const Settings& settings,
                     const std::vector<std::string>& names) {
  print32(out, static_cast<std::int64_t>(names.size()));
  for (const std::string& name : names) {
    int readerror = 0;
    const Planning p =
        loadplanning(planning_folder(program_folder) / name, program_folder, settings, readerror);
    printstring(out, name);
    out.bytes += write_planning(p);
  }
}

void write_filter_row(RecordWriter& out, const fs::path& program_folder) {
  const auto filter =
      file_exists(program_folder / kFilterFile) ? read_filter(program_folder) : std::nullopt;
  print8(out, filter ? 1 : 0);
  if (!filter) return;
  print16(out, static_cast<std::int64_t>(filter->size()));
  for (const std::string& entry : *filter) printstring(out, entry);
}

void write_alarms(RecordWriter& out, const fs::path& rdv, const std::vector<std::string>& names) {
  print16(out, static_cast<std::int64_t>(names.size()));
  for (const std::string& name : names) {
    AlarmProfile profile;
    LoadAlarmProfile(rdv / name, profile);
    printstring(out, name);
    out.bytes += write_alarm_profile(profile);
  }
}

// Every chime profile with the sounds it names, packed through "carbackup.crx". Sounds that
// are missing are left out: the profile was already unusable without them.
std::optional<std::string> packed_chimes(const fs::path& program_folder) {
  const fs::path chimes = chime_folder(program_folder);
  std::vector<ArchiveEntry> entries;
  std::set<std::string> added;
  for (const std::string& name : list_files(chimes, "*.car")) {
    std::string missing;
    if (auto profile = chime_profile_entries(chimes / name, chimes, added, missing)) {
      for (ArchiveEntry& e : *profile) entries.push_back(std::move(e));
    }
  }
  const fs::path temporary = program_folder / "carbackup.crx";
  if (!write_file_atomically(temporary, write_archive(entries))) return std::nullopt;
  auto bytes = read_file(temporary, kLargestBackup);
  std::error_code error;
  fs::remove(temporary, error);
  return bytes;
}

void write_chimes(RecordWriter& out, const fs::path& program_folder, bool include,
                  Prompts& prompts) {
  print8(out, include ? 1 : 0);
  if (!include) return;
  const auto bytes = packed_chimes(program_folder);
  if (!bytes || bytes->size() > 2147483647u) {
    prompts.notice(
        "Tavelo\rimpossible de transférer l'archive temporaire des carillons en mémoire.");
    return;
  }
  print32(out, static_cast<std::int64_t>(bytes->size()));
  out.bytes += *bytes;
}

}  // namespace

std::string writearchive(const fs::path& program_folder, const Settings& settings,
                         bool include_chimes, Prompts& prompts) {
  const fs::path rdv = planning_folder(program_folder);
  // One listing of "rdv" for its three kinds of files.
  const std::vector<std::string> files = list_files(rdv, "*");
  RecordWriter out;
  printstring(out, kBackupVersion);
  write_plannings(out, program_folder, settings, names_matching(files, kPlanningPattern));
  write_plannings(out, program_folder, settings, names_matching(files, kTemplatePattern));
  write_filter_row(out, program_folder);
  write_settings_first_block(out, settings, settings.last_active_day, true);
  write_alarms(out, rdv, names_matching(files, "*.alm"));
  write_settings_second_block(out, settings);
  write_chimes(out, program_folder, include_chimes, prompts);
  return std::move(out.bytes);
}

namespace {

// Versions compare as texts: "version: 1.17e" comes before "version: 1.18".
bool at_least(const std::string& version, std::string_view gate) {
  return version.compare(gate) >= 0;
}

// Records are made as the archive supplies them, never from the stored count alone.
void read_plannings(FieldReader& in, std::vector<BackupContents::Named>& into,
                    const Settings& settings, std::string_view version) {
  int count = 0;
  in.i32(count);
  for (int i = 0; i < count && !in.ended(); ++i) {
    BackupContents::Named named{"", planning_defaults(settings)};
    in.text(named.name);
    read_planning_record(in, named.planning, settings, version);
    if (!in.ended()) into.push_back(std::move(named));
  }
}

void read_filter_row(FieldReader& in, BackupContents& c) {
  int present = 0;
  in.u8(present);
  if (present != 1) return;
  int count = 0;
  in.i16(count);
  std::vector<std::string> entries;
  for (int i = 0; i < count && !in.ended(); ++i) {
    std::string entry;
    in.text(entry);
    if (!in.ended()) entries.push_back(std::move(entry));
  }
  c.filter = std::move(entries);
}

// The fields that older archives lack take these values when the alarms have been read.
void preset_later_fields(Settings& s) {
  s.night_mode = {};
  s.night_mode_active = 0;
  s.night_alarm.clear();
  s.multiselect_sound_list = 0;
  s.own_identifier.clear();
  s.import_allowed = 0;
  s.export_allowed = 0;
  s.mail_approved = 0;
}

void read_alarms(FieldReader& in, BackupContents& c) {
  int count = 0;
  in.i16(count);
  preset_later_fields(c.settings);
  for (int i = 0; i < count && !in.ended(); ++i) {
    BackupContents::NamedAlarm named;
    in.text(named.name);
    read_alarm_profile(in, named.profile);
    if (!in.ended()) c.alarms.push_back(std::move(named));
  }
}

void read_chimes(FieldReader& in, BackupContents& c) {
  if (in.in.at_end()) return;
  int present = 1;
  if (at_least(c.version, "version: 6.03")) in.u8(present);
  if (present != 1 || in.in.at_end()) return;
  int length = 0;
  in.i32(length);
  const std::size_t left = in.in.bytes.size() - in.in.position;
  if (in.ended() || length < 0 || static_cast<std::size_t>(length) > left) return;
  c.chimes = std::string(in.in.bytes.substr(in.in.position, static_cast<std::size_t>(length)));
}

}  // namespace

BackupContents parse_archive(std::string_view archive, const Settings& settings) {
  BackupContents c;
  c.settings = settings;
  FieldReader in(archive);
  in.text(c.version);
  read_plannings(in, c.plannings, settings, c.version);
  read_plannings(in, c.templates, settings, c.version);
  read_filter_row(in, c);
  const Walk walk{c.version, true};
  read_settings_first_block(in, c.settings, walk);
  read_alarms(in, c);
  c.whole = !in.ended();
  read_settings_second_block(in, c.settings, walk);
  read_chimes(in, c);
  return c;
}

namespace {

// Names come from the archive: only plain names inside the folder are written.
std::optional<fs::path> inside(const fs::path& folder, const std::string& name,
                               std::vector<std::string>& problems) {
  const auto path = file_in_folder(folder, name);
  if (!path) problems.push_back("Le nom " + name + " de l'archive est refusé.");
  return path;
}

// Whether the file holds these bytes already.
bool holds(const fs::path& file, std::string_view bytes) {
  const auto held = read_file(file, bytes.size() + 1);
  return held && *held == bytes;
}

// Restored plannings are saved without sharing: they go back where they were, to no one else.
// They are synced together, before any takes its name. One that the folder holds unchanged,
// as most are when a recent backup is restored, is left as it is; a name the archive gives
// twice is written each time, so that the last one stands. Gives back every name the archive
// gives, restored or not.
std::unordered_set<std::string> restore_plannings(
    const std::vector<BackupContents::Named>& plannings, const fs::path& rdv,
    const std::vector<std::string>& present, std::vector<std::string>& problems) {
  RenameBatch batch;
  std::unordered_set<std::string> met;
  met.reserve(plannings.size());
  for (const auto& [name, planning] : plannings) {
    const bool first = met.insert(name).second;
    const auto file = inside(rdv, name, problems);
    if (!file) continue;
    const std::string bytes = write_planning(planning);
    if (first && std::binary_search(present.begin(), present.end(), name) && holds(*file, bytes)) {
      continue;
    }
    if (!write_file_atomically(*file, bytes)) {
      problems.push_back("impossible d'écrire le fichier " + name);
    }
  }
  for (const fs::path& lost : batch.finish()) {
    problems.push_back("impossible d'écrire le fichier " + lost.filename().string());
  }
  return met;
}

// The archive's files of one kind take the place of the folder's, `present`: each is written
// over its namesake, then those of the folder that the archive does not hold go. Writing first
// spares a removal for every name kept, and a restore cut short leaves the old files rather
// than none.
void replace_matching(const std::vector<BackupContents::Named>& plannings, const fs::path& rdv,
                      const std::vector<std::string>& present, std::vector<std::string>& problems) {
  const std::unordered_set<std::string> restored =
      restore_plannings(plannings, rdv, present, problems);
  for (const std::string& name : present) {
    if (restored.contains(name)) continue;
    std::error_code error;
    fs::remove(rdv / name, error);
  }
}

// The chime block travels through "carrestore.crx", which goes again once the restore is done
// or refused.
constexpr const char* kChimeRestoreFile = "carrestore.crx";

// Whether the archive's chime block can be unpacked whole: checked before anything changes.
bool chimes_sound(const std::string& crx, const fs::path& program_folder,
                  const ArchiveLimits& limits) {
  const fs::path temporary = program_folder / kChimeRestoreFile;
  return write_file_atomically(temporary, crx) &&
         check_archive(temporary, chime_folder(program_folder), limits).problems.empty();
}

void restore_chimes(const fs::path& program_folder, const ArchiveLimits& limits,
                    std::vector<std::string>& problems) {
  const fs::path temporary = program_folder / kChimeRestoreFile;
  for (std::string& p : extract_archive(temporary, chime_folder(program_folder), limits)) {
    problems.push_back(std::move(p));
  }
}

void restore_everything(const BackupContents& c, const fs::path& program_folder, Settings& settings,
                        int today, const ArchiveLimits& limits,
                        std::vector<std::string>& problems) {
  const fs::path rdv = planning_folder(program_folder);
  const FolderSyncBatch batch;
  std::error_code error;
  fs::create_directories(rdv, error);
  // One listing of "rdv" for both kinds of files.
  const std::vector<std::string> files = list_files(rdv, "*");
  replace_matching(c.plannings, rdv, names_matching(files, kPlanningPattern), problems);
  replace_matching(c.templates, rdv, names_matching(files, kTemplatePattern), problems);
  fs::remove(program_folder / kFilterFile, error);
  if (c.filter && !write_file_atomically(program_folder / kFilterFile, write_filter(*c.filter))) {
    problems.push_back("impossible d'écrire le fichier " + std::string(kFilterFile));
  }
  for (const auto& [name, profile] : c.alarms) {
    const auto file = inside(rdv, name, problems);
    if (file && !SaveAlarmProfile(*file, profile)) {
      problems.push_back("impossible d'écrire le fichier " + name);
    }
  }
  if (c.chimes) restore_chimes(program_folder, limits, problems);
  settings = c.settings;
  if (!savesettings(program_folder, settings, today)) {
    problems.push_back("impossible d'écrire le fichier " + std::string(kSettingsFile));
  }
}

}  // namespace

bool readarchive(const fs::path& archive, const fs::path& program_folder, Settings& settings,
                 int today, Prompts& prompts, const ArchiveLimits& limits) {
  const auto bytes = read_file(archive, kLargestBackup);
  const BackupContents c = bytes ? parse_archive(*bytes, settings) : BackupContents{};
  const bool sound = c.whole && (!c.chimes || chimes_sound(*c.chimes, program_folder, limits));
  std::vector<std::string> problems;
  if (sound) restore_everything(c, program_folder, settings, today, limits, problems);
  std::error_code error;
  fs::remove(program_folder / kChimeRestoreFile, error);
  if (!sound) {
    prompts.notice("L'archive " + archive.string() +
                   " est endommagée ou incomplète: rien n'a été récupéré.");
    return false;
  }
  if (!problems.empty()) prompts.notice(joined(problems, "\r"));
  return true;
}

std::string autobackupname(int day) {
  const CalendarDate date = date_of(day);
  char name[64];
  std::snprintf(name, sizeof name, "%04d-%02d-%02d autobackup.agb", date.year, date.month,
                date.day);
  return name;
}

void automatic_backup(const fs::path& program_folder, const Settings& settings, int today,
                      Prompts& prompts) {
  if (!settings.automatic_backup) return;
  const fs::path todays = program_folder / autobackupname(today);
  if (!file_exists(todays)) {
    write_file_atomically(todays, writearchive(program_folder, settings, false, prompts));
  }
  // At least today's backup is kept, whatever number the settings hold.
  const std::size_t kept = static_cast<std::size_t>(std::max(settings.backups_kept, 1));
  std::vector<std::string> backups = list_files(program_folder, "*autobackup.agb");
  for (std::size_t i = 0; i + kept < backups.size(); ++i) {
    std::error_code error;
    fs::remove(program_folder / backups[i], error);
  }
}

}  // namespace tavelo
