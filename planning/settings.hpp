#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kSettingsFile = "agenda.bin";
inline constexpr const char* kSettingsBackup = "agenda.bak";

// The settings before the file is read: the last active day is today, and the screen-reader
// wait is 30 seconds when a screen reader answered at start.
Settings default_settings(int today, bool screen_reader_answered);

// Reads the settings record over `settings` (which holds the defaults); fields missing from a
// file cut short keep them. Returns the reader's final readerror.
int read_settings(std::string_view record, Settings& settings);
// The record as written; the last active day is written as `today`.
std::string write_settings(const Settings& settings, int today);

struct Walk;

// Fields 1 to 24 and 25 to 57, which backup archives keep apart: their walk gives the version
// of the archive, and its mixed-alarm counts stored always.
void read_settings_first_block(FieldReader& in, Settings& settings, const Walk& walk);
void read_settings_second_block(FieldReader& in, Settings& settings, const Walk& walk);
void write_settings_first_block(RecordWriter& out, const Settings& settings, int last_active_day,
                                bool mixed_counts_always);
void write_settings_second_block(RecordWriter& out, const Settings& settings);

// Zero values that stand for "not set" take their working defaults.
void apply_zero_value_defaults(Settings& settings);

// A left-over agenda.bak means the last save did not finish: it replaces agenda.bin.
void recover_settings_backup(const fs::path& program_folder);

// Start-up reading: recovery, the file over the defaults, then the zero-value defaults.
void loadsettings(const fs::path& program_folder, Settings& settings);

// agenda.bin is renamed agenda.bak, written anew, and agenda.bak deleted, so that one complete
// copy is always on disk. False when it cannot be written.
bool savesettings(const fs::path& program_folder, const Settings& settings, int today);
// The same, telling the user when agenda.bin cannot be written; what the settings hold stays in
// memory for the next save.
bool save_settings_telling(const fs::path& program_folder, const Settings& settings, int today,
                           Prompts& prompts);

// What the start-up must ask about the system date.
struct DateCheck {
  enum Kind { kNone, kClockBehind, kLongAbsence } kind = kNone;
  int days_absent = 0;
};
DateCheck check_settings_date(const Settings& settings, int today);
std::string date_check_question(const DateCheck& check);

}  // namespace tavelo
