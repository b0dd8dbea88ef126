#include "shell/command_tasks.hpp"

#include <algorithm>

#include "platform/files.hpp"
#include "shell/journal.hpp"

namespace tavelo {

MinuteStamp minute_stamp(int day, int hour, int minute) {
  return MinuteStamp{day} * 1440 + hour * 60 + minute;
}

CommandTask command_task(std::string file, const Planning& planning, int day, int hour,
                         int minute) {
  const TaskSettings& t = planning.task;
  CommandTask task;
  task.file = std::move(file);
  task.subject = planning.subject;
  task.category = planning.category;
  task.time = minute_stamp(day, hour, minute);
  task.watch_lead = t.idle_start != 0 ? std::max(t.idle_minutes, 0) : 0;
  task.confirm_when_used = t.confirmation != 0 && t.idle_start != 0;
  task.confirm_always = t.confirmation != 0 && t.idle_start == 0;
  task.postponements_left = std::max(t.postponements, 0);
  task.postponement_interval = std::max(t.postponement_interval, 0);
  task.postponable = t.postponement_option != 0;
  task.restart_limit = t.restart_allowed != 0 ? std::max(t.restart_limit, 0) : -1;
  return task;
}

void update_task_table(std::vector<CommandTask>& table, std::vector<CommandTask> today) {
  for (CommandTask& task : today) {
    const auto known = std::find_if(table.begin(), table.end(), [&](const CommandTask& held) {
      return held.file == task.file;
    });
    if (known != table.end()) task = *known;
  }
  table = std::move(today);
}

bool watch_starts(const CommandTask& task, MinuteStamp now) {
  return !task.done && !task.watch_started && watching(task, now);
}

bool watching(const CommandTask& task, MinuteStamp now) {
  return task.watch_lead > 0 && now >= task.time - task.watch_lead && now < task.time;
}

bool task_due(const CommandTask& task, MinuteStamp now) {
  if (task.done || now < task.time) return false;
  return now == task.time || now - task.time <= task.restart_limit;
}

bool asks_confirmation(const CommandTask& task) {
  return task.confirm_always || (task.confirm_when_used && task.disturbed);
}

bool postpone(CommandTask& task, MinuteStamp now) {
  if (!task.postponable || task.postponements_left <= 0 || task.postponement_interval <= 0) {
    task.done = true;
    return false;
  }
  --task.postponements_left;
  task.time = now + task.postponement_interval;
  task.watch_started = false;
  task.disturbed = false;
  return true;
}

std::vector<std::string> command_words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool in_word = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

TaskCommand split_command(const fs::path& program_folder, const TaskSettings& task) {
  std::vector<std::string> words = command_words(task.command_line);
  std::string program = task.program;
  if (program.empty() && !words.empty()) {
    program = std::move(words.front());
    words.erase(words.begin());
  }
  if (program.empty()) return {};
  return {native_path(program_folder, program), std::move(words)};
}

std::vector<std::string> task_journal_lines(const Planning& planning) {
  std::vector<std::string> lines = {"  sujet: " + planning.subject};
  add_note_lines(lines, planning);
  lines.push_back("  tâche:  " + planning.task.program);
  if (!planning.task.command_line.empty()) {
    lines.push_back("  commande:  " + planning.task.command_line);
  }
  return lines;
}

}  // namespace tavelo
