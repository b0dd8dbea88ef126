#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "maintenance/update_check.hpp"
#include "planning/prompts.hpp"
#include "platform/network.hpp"

namespace tavelo {

// What the update check needs of the program around it.
struct UpdateRun {
  fs::path program_folder;
  fs::path application_data;  // where the installer goes when the program folder is read-only
  bool program_folder_writable = true;
  bool realtime_running = false;
  std::vector<std::string> arguments;  // the program's own, to start it again with
  Network& network;
  std::optional<std::string> server;
  Prompts& prompts;
  std::function<bool()> holds_instance_lock;
  std::function<void()> release_instance_lock;
  std::function<void()> donation_reminder;
};

// The update check as the user sees it: its timed messages and questions, and the progress
// window "Tavelo téléchargement" whose Cancel button stops the downloads after the file being
// fetched. When an update was downloaded the updater (or the installer) has been started, and
// the caller must end the program at once.
UpdateOutcome RunUpdateCheck(int mode, int quiet, UpdateRun& run);

// The arguments the updater is started with: this process, then the program's arguments.
std::vector<std::string> updater_arguments(const std::vector<std::string>& program_arguments);

}  // namespace tavelo
