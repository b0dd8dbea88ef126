#include "shell/agenda_list.hpp"

#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"

namespace tavelo {

namespace {

// A planning is shown this many days ahead at most: its forewarning days are one byte.
constexpr int kLongestForewarning = 255;

bool has_command_task(const Planning& planning) {
  return planning.task.active != 0;
}

bool signalled(const Planning& planning) {
  return planning.alarm_state != 0;
}

// A repeating planning tells where it is in its series.
std::string series_part(const Planning& planning) {
  if (planning.type == 1) return {};
  const std::string count = series_count(planning);
  return count.empty() ? count : " " + count;
}

std::string day_prefix(int days_ahead) {
  if (days_ahead == 1) return "demain: à ";
  if (days_ahead >= 2) return "dans " + std::to_string(days_ahead) + " jours, à ";
  return {};
}

// The due check of one planning of today that rings (no command task) and has not rung yet.
void check_due(std::size_t index, std::vector<AgendaPlanning>& plannings,
               const ListPassInput& input, AlarmState& alarm_state, AgendaList& list) {
  AgendaPlanning& p = plannings[index];
  const bool first = list.next_alarm < 0;
  if (first) list.next_alarm = p.minutes();
  if (p.minutes() < input.now_minutes && alarm_state != AlarmState::kHandled) {
    // Missed, for instance while the computer was off: it is not rung again.
    p.planning.alarm_state = 1;
    list.now_signalled.push_back(index);
    if (alarm_state == AlarmState::kIdle && !input.window_shown) {
      alarm_state = AlarmState::kDefaultAlarm;
      list.late_signalling = true;
    }
  }
  if (first && alarm_state != AlarmState::kDefaultAlarm) list.prepared = index;
}

}  // namespace

std::vector<AgendaPlanning> read_agenda_plannings(const fs::path& program_folder,
                                                  const Settings& settings, int today) {
  const fs::path folder = planning_folder(program_folder);
  std::vector<AgendaPlanning> plannings;
  for (std::string& name : list_plannings(folder)) {
    const std::optional<PlanningNameFields> when = parse_planning_name(name);
    if (!when || when->day < today || when->day - today > kLongestForewarning) continue;
    int readerror = 0;
    Planning planning = loadplanning(folder / name, program_folder, settings, readerror);
    plannings.push_back(
        {std::move(name), when->day, when->hour, when->minute, std::move(planning)});
  }
  return plannings;
}

std::string agenda_line(const AgendaPlanning& p, int days_ahead) {
  return day_prefix(days_ahead) + time_text(p.hour, p.minute) + ": " +
         (has_note(p.planning) ? "(note) " : "") + p.planning.subject + series_part(p.planning);
}

AgendaList list_pass(std::vector<AgendaPlanning>& plannings, const ListPassInput& input,
                     AlarmState& alarm_state) {
  AgendaList list;
  for (std::size_t i = 0; i < plannings.size(); ++i) {
    AgendaPlanning& p = plannings[i];
    const int days_ahead = p.day - input.today;
    if (days_ahead < 0 || days_ahead > p.planning.forewarning_days) continue;
    if (input.filter != nullptr && isfiltered(*input.filter, p.planning.category)) continue;
    const bool today = days_ahead == 0;
    const bool past = today && p.minutes() < input.now_minutes;
    if (past && !signalled(p.planning) && p.planning.journal != 0) {
      list.missed_today += "\r\n  " + std::to_string(p.hour) + ":" + std::to_string(p.minute) +
                           ", " + p.planning.subject;
    }
    if (today && has_command_task(p.planning)) list.with_tasks.push_back(i);
    if (today && !has_command_task(p.planning) && !signalled(p.planning)) {
      check_due(i, plannings, input, alarm_state, list);
    }
    if (today && p.minutes() <= input.now_minutes)
      list.selected = static_cast<int>(list.lines.size());
    list.lines.push_back(agenda_line(p, days_ahead));
    list.line_plannings.push_back(i);
  }
  if (list.lines.empty()) list.lines.push_back(kNothingToReport);
  return list;
}

}  // namespace tavelo
