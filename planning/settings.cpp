#include "planning/settings.hpp"

#include "planning/calendar.hpp"
#include "planning/settings_layout.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

Settings default_settings(int today, bool screen_reader_answered) {
  Settings s;
  s.last_active_day = today;
  s.screen_reader_wait = screen_reader_answered ? 30 : 0;
  return s;
}

void no_forewarning(Settings& s) {
  s.forewarning_hour = s.forewarning_minute = s.forewarning_mode = 0;
}

void no_night_mode(Settings& s) {
  s.night_mode = {};
  s.night_mode_active = 0;
  s.night_alarm.clear();
  s.multiselect_sound_list = 0;
}

void factory_notifications(Settings& s) {
  s.pc_pulse_output = 1;
  s.default_spoken = {0, kDefaultVoice, "notification de Tavelo, ", 0, 0};
  s.default_mail = {"", "", "", 25, "", "", "notification de Tavelo", 0, 0};
}

void no_sharing_rows(Settings& s) {
  s.sharing_table.clear();
}

void read_settings_first_block(FieldReader& in, Settings& s, const Walk& walk) {
  // A last active day outside the calendar leaves the preset day (today, or the day in memory).
  const int preset_day = s.last_active_day;
  read_fields(kSettingsFirstBlock, in, s, walk);
  if (!is_calendar_day(s.last_active_day)) s.last_active_day = preset_day;
}

void read_settings_second_block(FieldReader& in, Settings& s, const Walk& walk) {
  read_fields(kSettingsSecondBlock, in, s, walk);
  if (trim_spaces(s.own_identifier).empty()) {
    s.import_allowed = 0;
    s.export_allowed = 0;
  }
}

int read_settings(std::string_view record, Settings& s) {
  FieldReader in(record);
  read_settings_first_block(in, s, Walk{});
  read_settings_second_block(in, s, Walk{});
  return in.in.readerror;
}

void write_settings_first_block(RecordWriter& out, const Settings& s, int last_active_day,
                                bool mixed_counts_always) {
  Settings saved = s;
  saved.last_active_day = last_active_day;
  write_fields(kSettingsFirstBlock, saved, out, Walk{{}, mixed_counts_always});
}

void write_settings_second_block(RecordWriter& out, const Settings& s) {
  write_fields(kSettingsSecondBlock, s, out, Walk{});
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
  if (!is_calendar_day(s.last_active_day) || !is_calendar_day(today)) return {};
  if (s.last_active_day > today) return {DateCheck::kClockBehind, 0};
  // Both days lie in the calendar, so neither the sum nor the difference can overflow.
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
