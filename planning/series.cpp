#include "planning/series.hpp"

#include <algorithm>
#include <cstdio>

#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_names.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

// Occurrence numbers are stored in 16 bits: a series up to a far deadline stops there.
constexpr int kMostOccurrences = 32767;

// Each reproduced occurrence gets its own unique identifier when it is shared from here.
void drop_own_unique_identifier(Planning& planning, const Settings& settings) {
  if (!settings.own_identifier.empty() &&
      planning.unique_identifier.find(settings.own_identifier) != std::string::npos) {
    planning.unique_identifier.clear();
  }
}

std::string occurrence_name(const fs::path& folder, int day, std::string_view time,
                            std::string_view series_link) {
  return free_planning_name(folder, day, time) + ";" + std::string(series_link);
}

bool names_deadline_subject(const Planning& planning) {
  return planning.subject.find("LIMITE") != std::string::npos;
}

}  // namespace

namespace {

int write_occurrences(const PlanningStore& store, Planning& planning, int day,
                      std::string_view time, int count, int last_day,
                      std::vector<std::string>& written) {
  const fs::path folder = store.folder();
  for (;;) {
    std::string name = occurrence_name(folder, day, time, planning.series_link);
    if (store.save(name, planning)) written.push_back(std::move(name));
    if (planning.occurrence_number >= count) return day;
    const int next = nextoccurrence(planning, day);
    if (next <= day || next > last_day) return day;  // no later date to put it on
    ++planning.occurrence_number;
    day = next;
    drop_own_unique_identifier(planning, store.settings);
  }
}

// Writes the occurrences of a new series from `day`, as many as `count` and none after
// `last_day`, and returns the day of the last one. The planning keeps the series link and the
// last occurrence number. The occurrences are synced to the disk together, as one batch: each
// falls on its own day, so none is read back before they are all in place. Their copies for
// other agendas go out after, once they are.
int write_series(const PlanningStore& store, Planning& planning, int day, std::string_view time,
                 int count, int last_day, std::vector<std::string>& written) {
  planning.series_link = std::to_string(store.clock.epochseconds());
  planning.occurrence_number = 1;
  std::vector<SharedCopy> copies;
  PlanningStore batched = store;
  batched.send = [&copies](const std::vector<SharedCopy>& more) {
    copies.insert(copies.end(), more.begin(), more.end());
  };
  int last = day;
  {
    RenameBatch batch;
    last = write_occurrences(batched, planning, day, time, count, last_day, written);
    for (const fs::path& lost : batch.finish()) std::erase(written, lost.filename().string());
  }
  if (!copies.empty() && store.send) store.send(copies);
  return last;
}

// In memory the planning is no occurrence of the series it has just written.
void leave_series(Planning& planning) {
  planning.series_link.clear();
  planning.occurrence_number = 0;
}

}  // namespace

std::vector<std::string> reproduce_series(const PlanningStore& store, Planning& planning, int day,
                                          std::string_view time) {
  std::vector<std::string> written;
  write_series(store, planning, day, time, planning.number_of_times, last_planning_day(), written);
  leave_series(planning);
  return written;
}

std::vector<std::string> offer_series_reproduction(const PlanningStore& store, Planning& planning,
                                                   int day, std::string_view time, bool is_template,
                                                   Prompts& prompts) {
  if (planning.number_of_times <= 1 || is_template || names_deadline_subject(planning) ||
      !is_recurring_type(planning.type)) {
    return {};
  }
  if (!prompts.question("Souhaitez-vous reproduire les occurrences dans le calendrier?")) return {};
  return reproduce_series(store, planning, day, time);
}

std::vector<std::string> series_files(const fs::path& program_folder,
                                      std::string_view series_link) {
  if (series_link.empty()) return {};
  std::string suffix(";");
  suffix += series_link;
  std::vector<std::string> files;
  for (std::string& name : list_files(planning_folder(program_folder), "*")) {
    if (name.size() > suffix.size() && name.ends_with(suffix) &&
        (name.find(".gnd") != std::string::npos || name.find(".lmt") != std::string::npos)) {
      files.push_back(std::move(name));
    }
  }
  return files;
}

int delete_series(const fs::path& program_folder, std::string_view series_link) {
  const fs::path folder = planning_folder(program_folder);
  int deleted = 0;
  for (const std::string& name : series_files(program_folder, series_link)) {
    std::error_code error;
    if (fs::remove(folder / name, error)) ++deleted;
  }
  return deleted;
}

int current_deadline_day(const fs::path& folder) {
  for (const std::string& name : list_plannings(folder)) {
    if (name.find("limite") == std::string::npos) continue;
    const auto fields = parse_planning_name(name);
    if (fields && fields->day <= last_planning_day()) return fields->day;
  }
  return 0;
}

std::string deadline_reproduction_question(int deadline_day) {
  const CalendarDate date = date_of(deadline_day);
  const std::string day = date.day == 1 ? std::string("premier") : std::to_string(date.day);
  return "Souhaitez-vous reproduire les occurrences jusqu'à\rla date limite dans le calendrier "
         "soit,\r" +
         std::string(kDayNames[static_cast<std::size_t>(weekday(deadline_day))]) + ", le " + day +
         " " + std::string(kMonthNames[static_cast<std::size_t>(date.month)]);
}

std::vector<std::string> reproduce_until_deadline(const PlanningStore& store, Planning& planning,
                                                  int day, std::string_view time,
                                                  int deadline_day) {
  std::vector<std::string> written;
  if (day > deadline_day) return written;
  const int last =
      write_series(store, planning, day, time, kMostOccurrences, deadline_day, written);
  Planning marker = planning;
  saveplanning(store.folder() / deadline_end_marker_name(last, time, planning.series_link), marker,
               store.settings, store.clock, false);
  leave_series(planning);
  return written;
}

std::vector<std::string> offer_deadline_reproduction(const PlanningStore& store, Planning& planning,
                                                     int day, std::string_view time,
                                                     bool is_template, bool is_deadline,
                                                     int deadline_day, int today,
                                                     Prompts& prompts) {
  if (planning.number_of_times != 0 || is_template || is_deadline ||
      !is_recurring_type(planning.type) || deadline_day == 0 || deadline_day < today) {
    return {};
  }
  if (!prompts.question(deadline_reproduction_question(deadline_day))) return {};
  return reproduce_until_deadline(store, planning, day, time, deadline_day);
}

namespace {

void remove_file(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
}

// A passed deadline moves on to today or later under the same kind of name.
int move_deadline_on(const PlanningStore& store, const std::string& name,
                     const PlanningNameFields& fields, int today) {
  const fs::path folder = store.folder();
  int readerror = 0;
  Planning deadline = loadplanning(folder / name, store.program_folder, store.settings, readerror);
  if (!is_recurring_type(deadline.type)) {
    remove_file(folder / name);
    return 0;
  }
  int day = fields.day;
  while (day < today) day = nextoccurrence(deadline, day);
  const std::string time = time_text(fields.hour, fields.minute);
  const std::string new_name = free_planning_name(folder, day, time) + " limite";
  deadline.alarm_state = 0;
  deadline.task.state = 0;
  if (saveplanning(folder / new_name, deadline, store.settings, store.clock, false)) {
    remove_file(folder / name);
  }
  return day;
}

// One end marker "day hh-mm.lmt;link" before the deadline: the occurrences up to the
// deadline are written, and the marker moves to the last of them.
void extend_series(const PlanningStore& store, const std::string& marker_name,
                   const PlanningNameFields& fields, int deadline_day) {
  const fs::path folder = store.folder();
  const std::size_t separator = marker_name.find(';');
  const std::string link =
      separator == std::string::npos ? std::string() : marker_name.substr(separator + 1);
  int readerror = 0;
  Planning planning =
      loadplanning(folder / marker_name, store.program_folder, store.settings, readerror);
  if (!is_recurring_type(planning.type) || link.empty()) return;  // nothing to reproduce from
  const std::string time = time_text(fields.hour, fields.minute);
  planning.series_link = link;
  planning.alarm_state = 0;
  planning.task.state = 0;
  int day = fields.day;
  int last_written = -1;
  while (planning.occurrence_number < kMostOccurrences) {
    const int next = nextoccurrence(planning, day);
    if (next <= day || next > deadline_day) break;
    day = next;
    ++planning.occurrence_number;
    drop_own_unique_identifier(planning, store.settings);
    if (store.save(occurrence_name(folder, day, time, link), planning)) last_written = day;
  }
  if (last_written < 0) return;
  if (saveplanning(folder / deadline_end_marker_name(last_written, time, link), planning,
                   store.settings, store.clock, false)) {
    remove_file(folder / marker_name);
  }
}

}  // namespace

int maintain_deadline(const PlanningStore& store, int today) {
  const fs::path folder = store.folder();
  int deadline_day = 0;
  bool found = false;
  for (const std::string& name : list_plannings(folder)) {
    if (name.find("limite") == std::string::npos) continue;
    if (found) {
      remove_file(folder / name);  // one deadline at most
      continue;
    }
    const auto fields = parse_planning_name(name);
    if (!fields || fields->day > last_planning_day()) continue;  // no date: not a planning's name
    found = true;
    deadline_day =
        fields->day < today ? move_deadline_on(store, name, *fields, today) : fields->day;
  }

  for (const std::string& marker : list_files(folder, "*.lmt*")) {
    if (deadline_day == 0) {
      remove_file(folder / marker);
      continue;
    }
    const auto fields = parse_planning_name(marker);
    if (fields && fields->day < deadline_day) extend_series(store, marker, *fields, deadline_day);
  }
  return deadline_day;
}

}  // namespace tavelo
