#include "planning/planning_file.hpp"

#include "planning/chain.hpp"
#include "planning/planning_layout.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

bool mixed_alarm(const AlarmProfile& alarm, const Walk& walk) {
  return alarm.kind == 3 || walk.mixed_counts_always;
}

bool weekly(const Planning& planning, const Walk&) {
  return planning.type == 2;
}

bool in_series(const Planning& planning, const Walk&) {
  return !planning.series_link.empty();
}

void alarm_of_settings(Planning& p, const Settings& settings) {
  p.alarm = settings.default_alarm;
}

void task_inactive(Planning& p, const Settings&) {
  p.task.active = 0;
}

// Group D's defaults: spoken mode 0 and the plain voice, the rest from the settings.
void notifications_of_settings(Planning& p, const Settings& settings) {
  p.spoken = settings.default_spoken;
  p.spoken.mode = 0;
  p.spoken.voice = kDefaultVoice;
  p.url_task_link.clear();
  p.url_task_active = 0;
  p.mail = settings.default_mail;
}

void not_shared(Planning& p, const Settings&) {
  p.sharing_identifiers.clear();
  p.unique_identifier.clear();
  p.mail_approved = 0;
}

namespace {

// Room for a planning without a long note, so that its fields append without regrowing.
constexpr std::size_t kUsualRecordSize = 256;

bool note_is_blank(std::string_view note) {
  std::string flat;
  for (char c : note) {
    if (c != '\r' && c != '\n') flat += c;
  }
  return trim_spaces(flat).empty();
}

}  // namespace

bool has_note(const Planning& planning) {
  return planning.note_kind != 0 && !planning.note.empty();
}

void tidy_read_planning(Planning& p) {
  p.subject = std::string(trim_spaces(p.subject));
  if (note_is_blank(p.note)) p.note_kind = 0;
}

Planning planning_defaults(const Settings& settings) {
  Planning p;
  p.alarm = settings.default_alarm;
  notifications_of_settings(p, settings);
  return p;
}

void read_planning_record(FieldReader& in, Planning& p, const Settings& settings,
                          std::string_view version) {
  read_planning_fields(in, p, settings, Walk{version});
}

Planning read_planning(std::string_view record, const Settings& settings, int& readerror) {
  Planning p = planning_defaults(settings);
  FieldReader in(record);
  read_planning_fields(in, p, settings, Walk{});
  readerror = in.in.readerror;
  return p;
}

std::string write_planning(const Planning& p) {
  RecordWriter out;
  out.bytes.reserve(kUsualRecordSize);
  write_fields(kPlanningLayout, p, out, Walk{});
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

std::vector<std::string> sharing_identifiers_of(std::string_view sharing_identifiers) {
  std::vector<std::string> identifiers;
  const int fields = chaincount(sharing_identifiers, "\t");
  for (int i = 1; i < fields; ++i) identifiers.push_back(chain(sharing_identifiers, "\t", i));
  return identifiers;
}

std::vector<SharedCopy> sharedcopies(const fs::path& file, const Planning& planning) {
  Planning copy = planning;
  copy.mail = MailSettings{"", "", "", planning.mail.port, "", "", "", 0, 0};
  copy.mail_approved = 0;
  const std::string name = "cmd_" + planning.unique_identifier + "_" + file.filename().string();
  std::vector<SharedCopy> copies;
  for (std::string& identifier : sharing_identifiers_of(planning.sharing_identifiers)) {
    copies.push_back({std::move(identifier), name, copy});
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
