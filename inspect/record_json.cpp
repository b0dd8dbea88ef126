#include "inspect/record_json.hpp"

namespace tavelo {

using Json = nlohmann::ordered_json;

Json to_json(const AlarmProfile& a) {
  return Json{{"kind", a.kind},
              {"sound_file", a.sound_file},
              {"frequency", a.frequency},
              {"length", a.length},
              {"pause", a.pause},
              {"repetitions", a.repetitions},
              {"tone_cycles_between_waves", a.tone_cycles_between_waves},
              {"wave_repetitions", a.wave_repetitions}};
}

namespace {

Json to_json(const SpokenNotification& s) {
  return Json{{"mode", s.mode},
              {"voice", s.voice},
              {"text", s.text},
              {"repetitions", s.repetitions},
              {"interval", s.interval}};
}

Json to_json(const MailSettings& m) {
  return Json{{"server", m.server},         {"user", m.user},
              {"password", m.password},     {"port", m.port},
              {"recipients", m.recipients}, {"reply_address", m.reply_address},
              {"subject", m.subject},       {"presence", m.presence},
              {"secure", m.secure}};
}

Json to_json(const TaskSettings& t) {
  return Json{{"active", t.active},
              {"program", t.program},
              {"command_line", t.command_line},
              {"idle_start", t.idle_start},
              {"idle_minutes", t.idle_minutes},
              {"confirmation", t.confirmation},
              {"postponements", t.postponements},
              {"postponement_interval", t.postponement_interval},
              {"restart_allowed", t.restart_allowed},
              {"restart_limit", t.restart_limit},
              {"once", t.once},
              {"state", t.state},
              {"postponement_option", t.postponement_option}};
}

}  // namespace

Json to_json(const Planning& p) {
  return Json{{"subject", p.subject},
              {"type", p.type},
              {"weekday_ticks", p.weekday_ticks},
              {"journal", p.journal},
              {"forewarning_days", p.forewarning_days},
              {"note_kind", p.note_kind},
              {"note", p.note},
              {"alarm_state", p.alarm_state},
              {"alarm", to_json(p.alarm)},
              {"task", to_json(p.task)},
              {"category", p.category},
              {"number_of_times", p.number_of_times},
              {"month_anchor", p.month_anchor},
              {"series_link", p.series_link},
              {"occurrence_number", p.occurrence_number},
              {"spoken", to_json(p.spoken)},
              {"url_task_link", p.url_task_link},
              {"url_task_active", p.url_task_active},
              {"mail", to_json(p.mail)},
              {"sharing_identifiers", p.sharing_identifiers},
              {"unique_identifier", p.unique_identifier},
              {"mail_approved", p.mail_approved}};
}

Json to_json(const Settings& s) {
  Json rows = Json::array();
  for (const SharingRow& row : s.sharing_table) rows.push_back(row.columns);
  return Json{{"management_hour", s.management_hour},
              {"management_minute", s.management_minute},
              {"daily_repeated_warning", s.daily_repeated_warning},
              {"journal_folder", s.journal_folder},
              {"last_active_day", s.last_active_day},
              {"background_mode", s.background_mode},
              {"realtime_running", s.realtime_running},
              {"default_alarm", to_json(s.default_alarm)},
              {"desktop_icon_option", s.desktop_icon_option},
              {"screen_reader_wait", s.screen_reader_wait},
              {"sound_control", s.sound_control},
              {"update_check", s.update_check},
              {"automatic_backup", s.automatic_backup},
              {"backups_kept", s.backups_kept},
              {"restart_delay", s.restart_delay},
              {"forewarning_hour", s.forewarning_hour},
              {"forewarning_minute", s.forewarning_minute},
              {"forewarning_mode", s.forewarning_mode},
              {"forewarning_given_today", s.forewarning_given_today},
              {"night_mode", s.night_mode},
              {"night_mode_active", s.night_mode_active},
              {"night_alarm", s.night_alarm},
              {"multiselect_sound_list", s.multiselect_sound_list},
              {"pc_pulse_output", s.pc_pulse_output},
              {"default_spoken", to_json(s.default_spoken)},
              {"default_mail", to_json(s.default_mail)},
              {"sharing_table", rows},
              {"own_identifier", s.own_identifier},
              {"import_allowed", s.import_allowed},
              {"export_allowed", s.export_allowed},
              {"mail_approved", s.mail_approved},
              {"inactivity_days", s.inactivity_days},
              {"chimes_active", s.chimes_active},
              {"chime_profile", s.chime_profile}};
}

namespace {

Json to_json(const std::vector<ChimeEntry>& entries) {
  Json list = Json::array();
  for (const ChimeEntry& e : entries) {
    list.push_back(Json{{"file", e.file},
                        {"volume", e.volume},
                        {"balance", e.balance},
                        {"duration", e.duration}});
  }
  return list;
}

}  // namespace

Json to_json(const ChimeProfile& p) {
  return Json{{"start", p.start},
              {"end", p.end},
              {"hour_strike_mode", p.hour_strike_mode},
              {"quarter_cycle", p.quarter_cycle},
              {"hour_random_mode", p.hour_random_mode},
              {"quarter_random", p.quarter_random},
              {"hour_with_fourth_quarter", p.hour_with_fourth_quarter},
              {"hours", to_json(p.hours)},
              {"quarters", to_json(p.quarters)}};
}

}  // namespace tavelo
