#include "shell/due_alarm.hpp"

#include "alarms/alarm_profile.hpp"
#include "planning/planning_names.hpp"
#include "platform/files.hpp"
#include "shell/journal.hpp"

namespace tavelo {

namespace {

// The night alarm named in the settings; the silent alarm when none is named, or when the name
// would leave the planning folder or its file cannot be read.
AlarmProfile night_alarm(const fs::path& program_folder, const Settings& settings) {
  if (settings.night_alarm.empty()) return silent_alarm();
  const std::optional<fs::path> file =
      file_in_folder(planning_folder(program_folder), settings.night_alarm + ".alm");
  AlarmProfile profile;
  if (!file || !LoadAlarmProfile(*file, profile)) return silent_alarm();
  return profile;
}

std::string key_line(const std::string& key) {
  return "  détection de la touche \"" + key + "\"";
}

}  // namespace

bool night_applies(const Settings& settings, const LocalTime& now) {
  const auto& [start_hour, start_minute, end_hour, end_minute] = settings.night_mode;
  const int start = start_hour * 60 + start_minute;
  const int end = end_hour * 60 + end_minute;
  const int time = now.hour * 60 + now.minute;
  if (settings.night_mode_active == 0 || start == end) return false;
  if (start < end) return start <= time && time < end;
  return time >= start || time < end;
}

DueAlarm planning_alarm(std::string file, Planning planning) {
  DueAlarm alarm;
  alarm.kind = DueAlarm::Kind::kPlanning;
  alarm.file = std::move(file);
  alarm.profile = planning.alarm;
  alarm.planning = std::move(planning);
  return alarm;
}

void apply_night_rule(DueAlarm& alarm, const fs::path& program_folder, const Settings& settings,
                      const LocalTime& now) {
  if (alarm.kind != DueAlarm::Kind::kPlanning) return;
  alarm.night = night_applies(settings, now);
  alarm.profile = alarm.night ? night_alarm(program_folder, settings) : alarm.planning.alarm;
}

DueAlarm default_alarm(DueAlarm::Kind kind, const Settings& settings) {
  DueAlarm alarm;
  alarm.kind = kind;
  alarm.profile = settings.default_alarm;
  return alarm;
}

std::vector<std::string> alarm_journal_lines(const DueAlarm& alarm, const AlarmOutcome& outcome) {
  std::vector<std::string> lines;
  switch (alarm.kind) {
    case DueAlarm::Kind::kForewarning:
      lines.push_back(key_line(outcome.key));
      lines.push_back(outcome.received
                          ? "  signalement de préavis..." + outcome.forewarning_time
                          : std::string("  signalement de préavis sur disponibilité de "
                                        "l'utilisateur..."));
      break;
    case DueAlarm::Kind::kLateSignalling:
      lines.push_back("  sujet:  signalement en retard..." + outcome.late_plannings);
      break;
    case DueAlarm::Kind::kPlanning:
    case DueAlarm::Kind::kNone:
      lines.push_back("  sujet:  " + alarm.planning.subject);
      add_note_lines(lines, alarm.planning);
      break;
  }
  if (alarm.night) lines.emplace_back("  À cette heure, le mode nuit était actif.");
  lines.emplace_back(outcome.received ? "  L'avertissement a été reçu par l'utilisateur."
                                      : "  L'avertissement n'a pas été reçu par l'utilisateur.");
  return lines;
}

std::string forewarning_time_text(int hour, int minute) {
  return "  initialement prévu à " + time_text(hour, minute);
}

std::string spoken_notification(const Planning& planning) {
  return planning.spoken.text + planning.subject;
}

bool has_mail_notification(const Planning& planning) {
  return planning.mail_approved != 0 && !planning.mail.recipients.empty();
}

bool has_url_task(const Planning& planning) {
  return planning.url_task_active != 0 && !planning.url_task_link.empty();
}

}  // namespace tavelo
