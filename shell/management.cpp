#include "shell/management.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "platform/files.hpp"
#include "shell/journal.hpp"

namespace tavelo {

std::string past_planning_message(std::string_view subject, int day, std::string_view time) {
  const CalendarDate date = date_of(day);
  return "agenda plannification passée:\r  " + std::string(subject) + ", \r  était prévue le " +
         std::to_string(date.day) + " " +
         std::string(kMonthNames[static_cast<std::size_t>(date.month)]) + " " +
         std::to_string(date.year) + ", à " + std::string(time) + ".\r  Elle a été ";
}

std::string forewarning_message(std::string_view subject, int days_ahead, std::string_view time) {
  std::string when;
  if (days_ahead == 0) {
    when = "aujourd'hui";
  } else if (days_ahead == 1) {
    when = "demain";
  } else {
    when = "dans " + std::to_string(days_ahead) + " jours";
  }
  return "agenda plannification à signaler:\r  " + std::string(subject) + ", \r  prévue " + when +
         ", à " + std::string(time) + ".\r";
}

namespace {

// Forewarning days are one byte.
constexpr long kMostForewarningDays = 255;

// The value the real-time agenda stores in a planning's alarm state once it has signalled it.
constexpr int kSignalled = 1;

std::string note_part(const Planning& planning) {
  return has_note(planning) ? "note:\r" + planning.note + "\r" : std::string();
}

// A planning with a command task runs its task instead of ringing.
bool rings(const Planning& planning) {
  return planning.task.active == 0;
}

bool remove_file(const fs::path& file) {
  std::error_code error;
  return fs::remove(file, error) && !error;
}

// A message of the report. One that tells of a journal entry ends with whether the entry was
// written, known only once the pass writes the journal.
struct ReportMessage {
  std::string text;
  std::optional<fs::path> journal;  // the section of the entry the message tells of
  std::string after_journal;
};

class Pass {
 public:
  explicit Pass(const ManagementContext& context)
      : c_(context),
        settings_(context.settings),
        folder_(planning_folder(context.program_folder)),
        now_(context.clock.now()),
        today_(daynumber(now_.year, now_.month, now_.day)),
        now_minutes_(now_.hour * 60 + now_.minute),
        management_minutes_(settings_.management_hour * 60 + settings_.management_minute),
        background_(settings_.background_mode != 0),
        handed_over_(settings_.realtime_running == 2),
        realtime_idle_(settings_.realtime_running == 0),
        report_wanted_(settings_.last_active_day < today_ ||
                       settings_.daily_repeated_warning != 0) {}

  ManagementReport run() {
    // A repeat of the pass finds the files it did not write unchanged, so only the plannings
    // written at their next occurrence are gone over again, as read back from the bytes written:
    // the outcome is that of a whole new pass (a moved planning is never past again, and today's
    // are already marked signalled), without reading any file once more.
    const FolderSyncBatch batch;
    ++report_.passes;
    listed_ = list_plannings(folder_);
    for (const std::string& name : listed_) process(name);
    while (!written_.empty()) {
      ++report_.passes;
      std::vector<std::pair<std::string, Planning>> written = std::move(written_);
      written_.clear();
      std::sort(written.begin(), written.end(),
                [](const auto& a, const auto& b) { return a.first < b.first; });
      for (auto& [name, planning] : written) {
        if (const auto fields = due_fields(name)) process(name, *fields, planning);
      }
    }
    const std::set<fs::path> unwritten = journal_.write();
    for (const auto& [name, message] : messages_) {
      report_.text += message.text;
      if (!message.journal) continue;
      const bool written = !unwritten.contains(*message.journal);
      report_.text += written ? " et inscrite dans le journal." : ".";
      report_.text += message.after_journal;
    }
    for (const auto& [section, entries] : journaled_) {
      if (!unwritten.contains(section)) report_.journal_entries += entries;
    }
    return std::move(report_);
  }

 private:
  // With the background agenda, a planning of today before the management time should have rung
  // already; so should a next occurrence that falls there.
  bool before_management_time(int minutes) const {
    return background_ && minutes < management_minutes_;
  }

  // The fields of the planning's name, when there is something to do with it yet. Other files,
  // and plannings further ahead than any forewarning, are left alone and unread.
  std::optional<PlanningNameFields> due_fields(const std::string& name) const {
    auto fields = parse_planning_name(name);
    if (!fields || static_cast<long>(fields->day) - today_ > kMostForewarningDays) return {};
    return fields;
  }

  void process(const std::string& name) {
    const auto fields = due_fields(name);
    if (!fields) return;
    int readerror = 0;
    Planning planning = loadplanning(folder_ / name, c_.program_folder, settings_, readerror);
    process(name, *fields, planning);
  }

  void process(const std::string& name, const PlanningNameFields& fields, Planning& planning) {
    const long days_ahead = static_cast<long>(fields.day) - today_;
    const int minutes = fields.hour * 60 + fields.minute;
    const std::string time = time_text(fields.hour, fields.minute);
    const bool past = days_ahead < 0 || (days_ahead == 0 && before_management_time(minutes) &&
                                         now_minutes_ >= management_minutes_ && rings(planning));
    if (past) {
      process_past(name, fields, time, planning);
    } else if (days_ahead <= planning.forewarning_days) {
      process_forewarning(name, static_cast<int>(days_ahead), time, planning);
    }
  }

  // Every missed occurrence is counted down and journaled; the planning ends or is written
  // at its first occurrence still to come; the message of the last missed occurrence is reported.
  void process_past(const std::string& name, const PlanningNameFields& fields,
                    const std::string& time, Planning& planning) {
    const int minutes = fields.hour * 60 + fields.minute;
    bool signalled = planning.alarm_state != 0;
    int day = fields.day;
    ReportMessage message;
    // The entries are journaled once the files are done: a planning left as it was is journaled
    // by the next pass, and only then.
    int entries = 0;
    bool last_journaled = false;
    std::optional<int> next_day;
    for (;;) {
      const bool last = count_down_occurrence(planning);
      const bool ends = last || !moves_on(planning);
      message.text =
          past_planning_message(planning.subject, day, time) + (ends ? "supprimée" : "reportée");
      last_journaled = !background_ && JournalReady(planning.journal, settings_, c_.prompts,
                                                    c_.open_management_settings);
      entries += last_journaled ? 1 : 0;
      if (!last_journaled) message.text += ".";
      if (ends) break;
      const int next = nextoccurrence(planning, day);
      if (next < today_ || (next == today_ && before_management_time(minutes))) {
        day = next;         // missed too: treated as one more passed occurrence
        signalled = false;  // nothing rang for it
        continue;
      }
      next_day = next;
      break;
    }
    if (!pass_on(name, next_day, time, planning)) return;
    std::optional<fs::path> section;
    for (int entry = 0; entry < entries; ++entry) section = journal(planning);
    if (last_journaled) message.journal = section;
    ++report_.deleted;
    if (!handed_over_ && !signalled && report_wanted_) {
      std::string& end = message.journal ? message.after_journal : message.text;
      end += '\r';
      end += note_part(planning);
      messages_[name] = std::move(message);
      report_.nothing_reported = false;
    }
  }

  // Writes the planning at its next occurrence, if it has one, then removes the passed file: a
  // crash between the two leaves both, never neither. When the passed file cannot be removed,
  // the next occurrence goes too, and the planning is left as it was: otherwise it would be
  // moved on again at every pass.
  bool pass_on(const std::string& name, std::optional<int> next_day, const std::string& time,
               Planning& planning) {
    std::optional<std::string> next_name;
    std::string next_bytes;
    if (next_day) {
      next_bytes = rescheduled(planning);
      next_name = write_at(*next_day, time, deadline_suffix(name), next_bytes);
      if (!next_name) return false;
    }
    if (!remove_file(folder_ / name)) {
      if (next_name) remove_file(folder_ / *next_name);
      return false;
    }
    if (next_name) {
      ++report_.rescheduled;
      int readerror = 0;
      written_.emplace_back(std::move(*next_name), read_planning(next_bytes, settings_, readerror));
    }
    return true;
  }

  // Writes the bytes under the first free name of the day and time. Many plannings may share a
  // day and time: the names the pass found at the start or gave since are passed over without
  // trying each. A name freed since is passed over too; one taken since is still refused.
  std::optional<std::string> write_at(int day, const std::string& time, const std::string& suffix,
                                      std::string_view bytes) {
    if (!suffix.empty()) {
      return write_new_file_atomically(folder_, bytes,
                                       free_planning_names(folder_, day, time, suffix));
    }
    const std::string base = planning_base_name(day, time);
    std::string& untried = untried_.try_emplace(base, base).first->second;
    NextName names = [this,
                      tries = names_with_a_appended(untried)]() -> std::optional<std::string> {
      std::optional<std::string> name = tries();
      while (name && std::binary_search(listed_.begin(), listed_.end(), *name)) name = tries();
      return name;
    };
    std::optional<std::string> name = write_new_file_atomically(folder_, bytes, names);
    if (name) untried = *name + 'a';
    return name;
  }

  // The entry waits in the batch, written with the others at the end of the pass; its section
  // tells then whether it was written.
  fs::path journal(const Planning& planning) {
    std::vector<std::string> lines = {journal_header(now_), "  sujet: " + planning.subject};
    add_note_lines(lines, planning);
    fs::path section =
        journal_.start(journal_folder(c_.program_folder, settings_), planning.category);
    for (const std::string& text : lines) journal_.lines(text);
    ++journaled_[section];
    return section;
  }

  // The bytes of the planning at its next occurrence, not yet rung nor done. It is written as a
  // new file, whatever another process writes meanwhile.
  static std::string rescheduled(Planning& planning) {
    planning.alarm_state = 0;
    planning.task.state = 0;
    return write_planning(planning);
  }

  // A deadline stays the deadline at its next occurrence.
  static std::string deadline_suffix(const std::string& name) {
    return name.find("limite") != std::string::npos ? " limite" : "";
  }

  // A planning within its forewarning days: reported, and marked signalled when it is today's.
  void process_forewarning(const std::string& name, int days_ahead, const std::string& time,
                           Planning& planning) {
    if (days_ahead == 0 && !handed_over_ && planning.alarm_state == 0) {
      planning.alarm_state = kSignalled;
      saveplanning(folder_ / name, planning, settings_, c_.clock, false);
    }
    if (realtime_idle_ && report_wanted_) {
      messages_[name].text =
          forewarning_message(planning.subject, days_ahead, time) + "\r" + note_part(planning);
      report_.nothing_reported = false;
    }
  }

  const ManagementContext& c_;
  const Settings& settings_;
  const fs::path folder_;
  const LocalTime now_;
  const int today_;
  const int now_minutes_;
  const int management_minutes_;
  const bool background_;
  const bool handed_over_;
  const bool realtime_idle_;
  const bool report_wanted_;
  ManagementReport report_;
  // The report's messages by file name, so that they come in listing order.
  std::map<std::string, ReportMessage> messages_;
  // The journal entries of the pass, and how many each section holds.
  JournalBatch journal_;
  std::map<fs::path, int> journaled_;
  std::vector<std::pair<std::string, Planning>> written_;
  std::vector<std::string> listed_;  // the planning files at the start, in name order
  std::unordered_map<std::string, std::string> untried_;  // by base name, the first name to try
};

}  // namespace

ManagementReport run_management_pass(const ManagementContext& context) {
  return Pass(context).run();
}

}  // namespace tavelo
