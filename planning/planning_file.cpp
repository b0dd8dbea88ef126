#include "planning/planning_file.hpp"

#include "planning/chain.hpp"
#include "planning/planning_names.hpp"
#include "planning/record_blocks.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

// Kind 1: an older inline note, a line count and that many lines.
std::string read_inline_note(FieldReader& in) {
  int unused = 0;
  int lines = 0;
  in.u8(unused);
  in.u8(unused);
  in.u8(lines);
  std::string note;
  for (int i = 0; i < lines && !in.ended(); ++i) {
    std::string line;
    in.u8(unused);
    in.text(line);
    if (i > 0) note += "\r\n";
    note += line;
  }
  return note;
}

bool note_is_blank(std::string_view note) {
  std::string flat;
  for (char c : note) {
    if (c != '\r' && c != '\n') flat += c;
  }
  return trim_spaces(flat).empty();
}

void read_group_a(FieldReader& in, Planning& p, const Settings& settings) {
  in.text(p.subject);
  p.subject = std::string(trim_spaces(p.subject));
  in.u8(p.type);
  if (p.type == 2) {
    for (int& tick : p.weekday_ticks) in.u8(tick);
  }
  in.u8(p.journal);
  in.u8(p.forewarning_days);
  in.u8(p.note_kind);
  if (p.note_kind == 1) {
    p.note = read_inline_note(in);
  } else if (p.note_kind > 1) {
    int reserved = 0;
    in.i32(reserved);
    in.i32(reserved);
    in.text(p.note);
  }
  if (note_is_blank(p.note)) p.note_kind = 0;
  in.u8(p.alarm_state);
  read_alarm_block(in, p.alarm, false);
  if (in.ended()) p.alarm = settings.default_alarm;
}

void read_group_b(FieldReader& in, TaskSettings& task) {
  in.u8(task.active);
  in.text(task.program);
  in.text(task.command_line);
  in.u8(task.idle_start);
  in.i16(task.idle_minutes);
  in.u8(task.confirmation);
  in.u8(task.postponements);
  in.i16(task.postponement_interval);
  in.u8(task.restart_allowed);
  in.i16(task.restart_limit);
  in.u8(task.once);
  if (in.ended()) task.active = 0;
}

void read_group_c(FieldReader& in, Planning& p, const PlanningLayout& layout) {
  in.u8(p.task.state);
  in.u8(p.task.postponement_option);
  in.text(p.category);
  in.i16(p.number_of_times);
  if (layout.month_anchor) in.u8(p.month_anchor);
  if (!layout.series_link) return;
  in.text(p.series_link);
  if (!p.series_link.empty()) in.i16(p.occurrence_number);
}

// Group D's defaults: spoken mode 0 and the plain voice, the rest from the settings.
void default_group_d(Planning& p, const Settings& settings) {
  p.spoken = settings.default_spoken;
  p.spoken.mode = 0;
  p.spoken.voice = kDefaultVoice;
  p.url_task_link.clear();
  p.url_task_active = 0;
  p.mail = settings.default_mail;
}

void read_group_d(FieldReader& in, Planning& p, const Settings& settings) {
  read_spoken_block(in, p.spoken);
  in.text(p.url_task_link);
  in.u8(p.url_task_active);
  read_mail_block(in, p.mail);
  if (in.ended()) default_group_d(p, settings);
}

void read_group_e(FieldReader& in, Planning& p, const PlanningLayout& layout) {
  if (layout.sharing) {
    in.text(p.sharing_identifiers);
    in.text(p.unique_identifier);
  }
  if (layout.mail_approved && !(layout.last_field_optional && in.in.at_end())) {
    in.u8(p.mail_approved);
  }
  if (in.ended()) {
    p.sharing_identifiers.clear();
    p.unique_identifier.clear();
    p.mail_approved = 0;
  }
}

}  // namespace

bool has_note(const Planning& planning) {
  return planning.note_kind != 0 && !planning.note.empty();
}

Planning planning_defaults(const Settings& settings) {
  Planning p;
  p.alarm = settings.default_alarm;
  default_group_d(p, settings);
  return p;
}

void read_planning_record(FieldReader& in, Planning& p, const Settings& settings,
                          const PlanningLayout& layout) {
  read_group_a(in, p, settings);
  read_group_b(in, p.task);
  read_group_c(in, p, layout);
  if (layout.spoken_and_mail) read_group_d(in, p, settings);
  read_group_e(in, p, layout);
}

Planning read_planning(std::string_view record, const Settings& settings, int& readerror) {
  Planning p = planning_defaults(settings);
  FieldReader in(record);
  PlanningLayout layout;
  layout.last_field_optional = true;
  read_planning_record(in, p, settings, layout);
  readerror = in.in.readerror;
  return p;
}

namespace {

void write_task(RecordWriter& out, const TaskSettings& task) {
  print8(out, task.active);
  printstring(out, task.program);
  printstring(out, task.command_line);
  print8(out, task.idle_start);
  print16(out, task.idle_minutes);
  print8(out, task.confirmation);
  print8(out, task.postponements);
  print16(out, task.postponement_interval);
  print8(out, task.restart_allowed);
  print16(out, task.restart_limit);
  print8(out, task.once);
  print8(out, task.state);
  print8(out, task.postponement_option);
}

}  // namespace

std::string write_planning(const Planning& p) {
  RecordWriter out;
  printstring(out, p.subject);
  print8(out, p.type);
  if (p.type == 2) {
    for (int tick : p.weekday_ticks) print8(out, tick);
  }
  print8(out, p.journal);
  print8(out, p.forewarning_days);
  const bool has_note = p.note_kind > 0;
  print8(out, has_note ? 2 : 0);
  if (has_note) {
    print32p(out, 0);
    print32p(out, 0);
    printstring(out, p.note);
  }
  print8(out, p.alarm_state);
  write_alarm_block(out, p.alarm, false);
  write_task(out, p.task);
  printstring(out, p.category);
  print16(out, p.number_of_times);
  print8(out, p.month_anchor);
  printstring(out, p.series_link);
  if (!p.series_link.empty()) print16(out, p.occurrence_number);
  write_spoken_block(out, p.spoken);
  printstring(out, p.url_task_link);
  print8(out, p.url_task_active);
  write_mail_block(out, p.mail);
  printstring(out, p.sharing_identifiers);
  printstring(out, p.unique_identifier);
  print8(out, p.mail_approved);
  return std::move(out.bytes);
}

Planning loadplanning(const fs::path& file, const fs::path& program_folder,
                      const Settings& settings, int& readerror) {
  const std::string record = read_file(file).value_or(std::string());
  Planning p = read_planning(record, settings, readerror);
  drop_missing_sound(p, program_folder, settings);
  return p;
}

void drop_missing_sound(Planning& planning, const fs::path& program_folder,
                        const Settings& settings) {
  if (planning.alarm.sound_file.empty()) return;
  if (!file_exists(native_path(program_folder, planning.alarm.sound_file))) {
    planning.alarm = settings.default_alarm;
  }
}

bool sharing_applies(const fs::path& file, const Planning& planning, const Settings& settings,
                     bool share) {
  const std::string name = file.filename().string();
  return share && settings.export_allowed != 0 && !planning.sharing_identifiers.empty() &&
         name.find(".lmt") == std::string::npos && name.find("limit") == std::string::npos;
}

std::vector<SharedCopy> sharedcopies(const fs::path& file, const Planning& planning) {
  Planning copy = planning;
  copy.mail = MailSettings{"", "", "", planning.mail.port, "", "", "", 0, 0};
  copy.mail_approved = 0;
  const std::string name = "cmd_" + planning.unique_identifier + "_" + file.filename().string();
  // Every identifier is followed by a TAB: the text after the last one is not an identifier.
  const int identifiers = chaincount(planning.sharing_identifiers, "\t") - 1;
  std::vector<SharedCopy> copies;
  for (int i = 1; i <= identifiers; ++i) {
    copies.push_back({chain(planning.sharing_identifiers, "\t", i), name, copy});
  }
  return copies;
}

bool saveplanning(const fs::path& file, Planning& planning, const Settings& settings,
                  const Clock& clock, bool share, const SendSharedCopies& send) {
  const bool shared = sharing_applies(file, planning, settings, share);
  if (shared && planning.unique_identifier.empty()) {
    planning.unique_identifier = settings.own_identifier + "_" +
                                 std::to_string(clock.epochseconds()) + "_" +
                                 std::to_string(clock.tick());
  }
  if (!write_file_atomically(file, write_planning(planning))) return false;
  if (shared && send) send(sharedcopies(file, planning));
  return true;
}

fs::path PlanningStore::folder() const {
  return planning_folder(program_folder);
}

bool PlanningStore::save(const std::string& name, Planning& planning) const {
  return saveplanning(folder() / name, planning, settings, clock, share, send);
}

}  // namespace tavelo
