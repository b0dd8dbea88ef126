#include "planning/settings.hpp"

#include "planning/record_blocks.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

Settings default_settings(int today, bool screen_reader_answered) {
  Settings s;
  s.last_active_day = today;
  s.screen_reader_wait = screen_reader_answered ? 30 : 0;
  return s;
}

namespace {

// Columns `first`..`last` (from 0) of every row, row by row.
void read_columns(FieldReader& in, Settings& s, std::size_t first, std::size_t last) {
  for (SharingRow& row : s.sharing_table) {
    for (std::size_t c = first; c <= last && !in.ended(); ++c) in.text(row.columns[c]);
  }
}

// Rows are made as the file supplies them, never from the stored count alone.
void read_sharing_rows(FieldReader& in, Settings& s) {
  int rows = 0;
  in.i16(rows);
  s.sharing_table.clear();
  for (int r = 0; r < rows; ++r) {
    SharingRow row;
    in.text(row.columns[0]);
    if (in.ended()) break;
    in.text(row.columns[1]);
    s.sharing_table.push_back(std::move(row));
  }
}

// What the settings hold when a record predates the spoken and mail notifications.
void absent_notifications(Settings& s) {
  s.pc_pulse_output = 1;
  s.default_spoken = {0, kDefaultVoice, "notification de Tavelo, ", 0, 0};
  s.default_mail = {"", "", "", 25, "", "", "notification de Tavelo", 0, 0};
}

// The fields from the own identifier on came one version at a time: each group is read only
// while the record goes on, so an older record keeps what the settings held.
void read_identity_and_later(FieldReader& in, Settings& s) {
  const auto more = [&in] { return !in.ended() && !in.in.at_end(); };
  if (!more()) return;
  in.text(s.own_identifier);
  in.u8(s.import_allowed);
  in.u8(s.export_allowed);
  if (!more()) return;
  read_columns(in, s, 2, 5);
  if (!more()) return;
  in.u8(s.mail_approved);
  if (!more()) return;
  read_columns(in, s, 6, 7);
  if (!more()) return;
  read_columns(in, s, 8, 8);
  if (!more()) return;
  in.i16(s.inactivity_days);
  if (!more()) return;
  in.u8(s.chimes_active);
  in.text(s.chime_profile);
}

}  // namespace

void read_settings_first_block(FieldReader& in, Settings& s, const SettingsLayout& layout) {
  in.u8(s.management_hour);
  in.u8(s.management_minute);
  in.u8(s.daily_repeated_warning);
  in.text(s.journal_folder);
  in.i32(s.last_active_day);
  in.u8(s.background_mode);
  in.u8(s.realtime_running);
  read_alarm_block(in, s.default_alarm, layout.mixed_counts_always);
  in.u8(s.desktop_icon_option);
  if (layout.reader_wait_after_icon) {
    in.u8(s.screen_reader_wait);
  } else {
    in.u8(s.restart_delay);
  }
  in.u8(s.sound_control);
  in.u8(s.update_check);
  in.u8(s.automatic_backup);
  in.i16(s.backups_kept);
  if (layout.reader_wait_after_icon) in.u8(s.restart_delay);
  if (layout.forewarning) {
    in.u8(s.forewarning_hour);
    in.u8(s.forewarning_minute);
    in.u8(s.forewarning_mode);
  } else {
    s.forewarning_hour = s.forewarning_minute = s.forewarning_mode = 0;
  }
}

void read_settings_second_block(FieldReader& in, Settings& s, const SettingsLayout& layout) {
  in.u8(s.forewarning_given_today);
  int reserved = 0;
  in.u8(reserved);
  if (layout.night_mode) {
    for (int& value : s.night_mode) in.u8(value);
    in.u8(s.night_mode_active);
    in.text(s.night_alarm);
    in.u8(s.multiselect_sound_list);
  } else {
    s.night_mode = {};
    s.night_mode_active = 0;
    s.night_alarm.clear();
    s.multiselect_sound_list = 0;
  }
  if (layout.notifications) {
    in.u8(s.pc_pulse_output);
    read_spoken_block(in, s.default_spoken);
    read_mail_block(in, s.default_mail);
  } else {
    absent_notifications(s);
  }
  if (layout.sharing_rows) {
    read_sharing_rows(in, s);
  } else {
    s.sharing_table.clear();
  }
  read_identity_and_later(in, s);
  if (trim_spaces(s.own_identifier).empty()) {
    s.import_allowed = 0;
    s.export_allowed = 0;
  }
}

int read_settings(std::string_view record, Settings& s) {
  FieldReader in(record);
  read_settings_first_block(in, s, SettingsLayout{});
  read_settings_second_block(in, s, SettingsLayout{});
  return in.in.readerror;
}

namespace {

void write_columns(RecordWriter& out, const Settings& s, std::size_t first, std::size_t last) {
  for (const SharingRow& row : s.sharing_table) {
    for (std::size_t c = first; c <= last; ++c) printstring(out, row.columns[c]);
  }
}

}  // namespace

void write_settings_first_block(RecordWriter& out, const Settings& s, int last_active_day,
                                bool mixed_counts_always) {
  print8(out, s.management_hour);
  print8(out, s.management_minute);
  print8(out, s.daily_repeated_warning);
  printstring(out, s.journal_folder);
  print32(out, last_active_day);
  print8(out, s.background_mode);
  print8(out, s.realtime_running);
  write_alarm_block(out, s.default_alarm, mixed_counts_always);
  print8(out, s.desktop_icon_option);
  print8(out, s.screen_reader_wait);
  print8(out, s.sound_control);
  print8(out, s.update_check);
  print8(out, s.automatic_backup);
  print16(out, s.backups_kept);
  print8(out, s.restart_delay);
  print8(out, s.forewarning_hour);
  print8(out, s.forewarning_minute);
  print8(out, s.forewarning_mode);
}

void write_settings_second_block(RecordWriter& out, const Settings& s) {
  print8(out, s.forewarning_given_today);
  print8(out, 0);
  for (int value : s.night_mode) print8(out, value);
  print8(out, s.night_mode_active);
  printstring(out, s.night_alarm);
  print8(out, s.multiselect_sound_list);
  print8(out, s.pc_pulse_output);
  write_spoken_block(out, s.default_spoken);
  write_mail_block(out, s.default_mail);
  print16(out, static_cast<std::int64_t>(s.sharing_table.size()));
  write_columns(out, s, 0, 1);
  printstring(out, s.own_identifier);
  print8(out, s.import_allowed);
  print8(out, s.export_allowed);
  write_columns(out, s, 2, 5);
  print8(out, s.mail_approved);
  write_columns(out, s, 6, 7);
  write_columns(out, s, 8, 8);
  print16(out, s.inactivity_days);
  print8(out, s.chimes_active);
  printstring(out, s.chime_profile);
}

std::string write_settings(const Settings& s, int today) {
  RecordWriter out;
  write_settings_first_block(out, s, today, false);
  write_settings_second_block(out, s);
  return std::move(out.bytes);
}

void apply_zero_value_defaults(Settings& s) {
  AlarmProfile& a = s.default_alarm;
  if (a.kind == 0) a.kind = 1;
  if (a.frequency == 0) a.frequency = 1760;
  if (a.length == 0) a.length = 50;
  if (a.pause == 0) a.pause = 50;
  if (a.repetitions == 0) a.repetitions = 120;
  if (s.desktop_icon_option == 0) s.desktop_icon_option = 2;
  if (s.update_check == 0) s.update_check = 2;
  if (s.pc_pulse_output == 0) s.pc_pulse_output = 1;
  if (s.default_spoken.voice.empty()) {
    s.default_spoken.voice = kDefaultVoice;
    s.default_spoken.text = "notification de Tavelo, ";
    s.default_mail.port = 25;
    s.default_mail.subject = "notification de Tavelo";
  }
}

void recover_settings_backup(const fs::path& program_folder) {
  const fs::path backup = program_folder / kSettingsBackup;
  if (!file_exists(backup)) return;
  std::error_code error;
  fs::rename(backup, program_folder / kSettingsFile, error);
}

void loadsettings(const fs::path& program_folder, Settings& settings) {
  recover_settings_backup(program_folder);
  if (const auto record = read_file(program_folder / kSettingsFile)) {
    read_settings(*record, settings);
  }
  apply_zero_value_defaults(settings);
}

bool savesettings(const fs::path& program_folder, const Settings& settings, int today) {
  const fs::path file = program_folder / kSettingsFile;
  const fs::path backup = program_folder / kSettingsBackup;
  std::error_code error;
  if (file_exists(file)) {
    fs::rename(file, backup, error);
    if (error) return false;
  }
  if (!write_file_atomically(file, write_settings(settings, today))) return false;
  fs::remove(backup, error);
  return true;
}

bool save_settings_telling(const fs::path& program_folder, const Settings& settings, int today,
                           Prompts& prompts) {
  if (savesettings(program_folder, settings, today)) return true;
  prompts.notice("impossible d'écrire le fichier " + (program_folder / kSettingsFile).string());
  return false;
}

DateCheck check_settings_date(const Settings& s, int today) {
  if (s.last_active_day > today) return {DateCheck::kClockBehind, 0};
  if (s.inactivity_days != 0 && s.last_active_day + s.inactivity_days < today) {
    return {DateCheck::kLongAbsence, today - s.last_active_day};
  }
  return {};
}

std::string date_check_question(const DateCheck& check) {
  switch (check.kind) {
    case DateCheck::kClockBehind:
      return "La date de votre système est inférieure à celle retenue par l'agenda. "
             "Souhaitez-vous l'arrêter, le temps de réajuster la date et l'heure?";
    case DateCheck::kLongAbsence:
      return "L'agenda n'a pas été activé depuis " + std::to_string(check.days_absent) +
             " jours. Souhaitez-vous l'arrêter, le temps de réajuster la date et l'heure?";
    case DateCheck::kNone:
      break;
  }
  return {};
}

}  // namespace tavelo
