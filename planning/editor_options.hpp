#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/records.hpp"

namespace tavelo {

// The planning editor's small dialogs as forms: the task options, the URL task and the sharing
// choice (shell/planning_editor_window.cpp shows them).

// The task options as the dialog "option de tâche: " shows them.
struct TaskForm {
  bool active = false;
  std::string program;
  std::string command_line;
  bool idle_start = false;
  std::string idle_minutes;
  bool confirmation = false;
  bool postpone = false;
  std::string postponements;
  std::string postponement_interval;
  bool restart_allowed = false;
  std::string restart_limit;
  bool once = false;
};
TaskForm task_form_of(const TaskSettings& task);

// The caption of the confirmation box, which depends on the idle start.
std::string_view confirmation_caption(bool idle_start);

// The notice that keeps the dialog open: an active task with neither program nor command line.
inline constexpr std::string_view kNoTask =
    "option de tâche...\raucune tâche ou ligne de commande n'a été spécifié...";
std::optional<std::string_view> task_form_fault(const TaskForm& form);

// The form into the task fields; every number is kept within what its field holds.
void store_task_form(const TaskForm& form, TaskSettings& task);

// The URL task's link as typed: an empty link is no URL task.
void store_url_task(std::string_view link, Planning& planning);

// The sharing text of chosen identifiers.
std::string sharing_text(const std::vector<std::string>& identifiers);

// The identifiers of the settings' table, which the sharing choice lists.
std::vector<std::string> known_identifiers(const Settings& settings);

}  // namespace tavelo
