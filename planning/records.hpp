#pragma once

#include <array>
#include <string>
#include <vector>

#include "planning/record_io.hpp"

namespace tavelo {

// An alarm profile: the default alarm of the settings, the alarm of every planning and each
// ".alm" file hold these eight values.
struct AlarmProfile {
  int kind = 1;  // 1 tones, 2 sound file, 3 mixed
  std::string sound_file;
  int frequency = 1760;  // Hz
  int length = 50;       // ms
  int pause = 50;
  int repetitions = 120;
  int tone_cycles_between_waves = 0;  // kind 3 only
  int wave_repetitions = 0;           // kind 3 only
};

struct SpokenNotification {
  int mode = 0;
  std::string voice = kDefaultVoice;
  std::string text;
  int repetitions = 0;
  int interval = 0;  // seconds
};

struct MailSettings {
  std::string server;
  std::string user;
  std::string password;
  int port = 25;
  std::string recipients;
  std::string reply_address;
  std::string subject;
  int presence = 0;
  int secure = 0;
};

struct TaskSettings {
  int active = 0;
  std::string program;
  std::string command_line;
  int idle_start = 0;
  int idle_minutes = 0;
  int confirmation = 0;
  int postponements = 0;
  int postponement_interval = 0;
  int restart_allowed = 0;
  int restart_limit = 0;
  int once = 0;
  int state = 0;
  int postponement_option = 0;
};

// The current planning: one planning file in memory.
struct Planning {
  std::string subject;
  int type = 1;                          // recurrence type 1..78
  std::array<int, 7> weekday_ticks{};    // type 2 only, Sunday first
  int journal = 0;
  int forewarning_days = 0;
  int note_kind = 0;  // 0 none, 2 present; 1 is an older inline form, saved as 2
  std::string note;   // lines separated by CR LF
  int alarm_state = 0;
  AlarmProfile alarm;
  TaskSettings task;
  std::string category = " ";
  int number_of_times = -1;  // -1 unlimited
  int month_anchor = 1;      // 1 from the start of the month, 2 from its end
  std::string series_link;
  int occurrence_number = 0;  // stored only with a series link
  SpokenNotification spoken;
  std::string url_task_link;
  int url_task_active = 0;
  MailSettings mail;
  std::string sharing_identifiers;  // each followed by a TAB
  std::string unique_identifier;
  int mail_approved = 0;
};

// One row of the sharing identifier table of the settings (nine columns).
struct SharingRow {
  std::array<std::string, 9> columns;
};

// The settings file agenda.bin, field by field.
struct Settings {
  int management_hour = 0;
  int management_minute = 0;
  int daily_repeated_warning = 0;
  std::string journal_folder;
  int last_active_day = 0;
  int background_mode = 0;
  int realtime_running = 0;  // 0, 1 or 2
  AlarmProfile default_alarm{0, "", 0, 0, 0, 0, 0, 0};
  int desktop_icon_option = 0;
  int screen_reader_wait = 0;
  int sound_control = 1;
  int update_check = 0;
  int automatic_backup = 1;
  int backups_kept = 5;
  int restart_delay = 10;
  int forewarning_hour = 255;  // 255: no daily forewarning
  int forewarning_minute = 0;
  int forewarning_mode = 1;
  int forewarning_given_today = 0;
  std::array<int, 4> night_mode{};  // start hour, start minute, end hour, end minute
  int night_mode_active = 0;
  std::string night_alarm;
  int multiselect_sound_list = 0;
  int pc_pulse_output = 1;
  SpokenNotification default_spoken{0, "", "", 0, 0};
  MailSettings default_mail{"", "", "", 0, "", "", "", 0, 0};
  std::vector<SharingRow> sharing_table;
  std::string own_identifier;
  int import_allowed = 0;
  int export_allowed = 0;
  int mail_approved = 0;
  int inactivity_days = 30;
  int chimes_active = 0;
  std::string chime_profile;
};

}  // namespace tavelo
