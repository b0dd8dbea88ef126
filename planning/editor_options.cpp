#include "planning/editor_options.hpp"

#include <algorithm>

#include "planning/text.hpp"

namespace tavelo {

namespace {

std::string number_text(int value) {
  return value == 0 ? std::string() : std::to_string(value);
}

int typed(std::string_view text, int highest) {
  return static_cast<int>(std::clamp<std::int64_t>(leading_integer(text), 0, highest));
}

}  // namespace

TaskForm task_form_of(const TaskSettings& t) {
  TaskForm f;
  f.active = t.active != 0;
  f.program = t.program;
  f.command_line = t.command_line;
  f.idle_start = t.idle_start != 0;
  f.idle_minutes = number_text(t.idle_minutes);
  f.confirmation = t.confirmation != 0;
  f.postpone = t.postponement_option != 0;
  f.postponements = number_text(t.postponements);
  f.postponement_interval = number_text(t.postponement_interval);
  f.restart_allowed = t.restart_allowed != 0;
  f.restart_limit = number_text(t.restart_limit);
  f.once = t.once != 0;
  return f;
}

std::string_view confirmation_caption(bool idle_start) {
  return idle_start ? "demander une confirmation d'exécution si le système est utilisé"
                    : "demander une confirmation d'exécution";
}

std::optional<std::string_view> task_form_fault(const TaskForm& f) {
  if (f.active && trim_spaces(f.program).empty() && trim_spaces(f.command_line).empty()) {
    return kNoTask;
  }
  return std::nullopt;
}

void store_task_form(const TaskForm& f, TaskSettings& t) {
  t.active = f.active ? 1 : 0;
  t.program = std::string(trim_spaces(f.program));
  t.command_line = std::string(trim_spaces(f.command_line));
  t.idle_start = f.idle_start ? 1 : 0;
  t.idle_minutes = typed(f.idle_minutes, 32767);
  t.confirmation = f.confirmation ? 1 : 0;
  t.postponement_option = f.postpone ? 1 : 0;
  t.postponements = typed(f.postponements, 255);
  t.postponement_interval = typed(f.postponement_interval, 32767);
  t.restart_allowed = f.restart_allowed ? 1 : 0;
  t.restart_limit = typed(f.restart_limit, 32767);
  t.once = f.once ? 1 : 0;
}

void store_url_task(std::string_view link, Planning& planning) {
  planning.url_task_link = std::string(trim_spaces(link));
  planning.url_task_active = planning.url_task_link.empty() ? 0 : 1;
}

std::string sharing_text(const std::vector<std::string>& identifiers) {
  std::string text;
  for (const std::string& identifier : identifiers) text += identifier + "\t";
  return text;
}

std::vector<std::string> known_identifiers(const Settings& settings) {
  std::vector<std::string> identifiers;
  for (const SharingRow& row : settings.sharing_table) identifiers.push_back(row.columns[0]);
  return identifiers;
}

}  // namespace tavelo
