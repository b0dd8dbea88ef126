#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "alarms/sound_players.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"
#include "platform/network.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// What the planning editor and the planning list reach outside their windows.
struct PlanningWindows {
  fs::path program_folder;
  Settings& settings;
  Clock& clock;
  Prompts& prompts;
  Network& network;
  SoundPlayers& players;
  std::optional<std::string> server;  // the maker's web server, for the web mail
};

// The planning editor over the current window (which its caller saved in its own slot): a new
// planning at `day` (kNewPlanning), or the planning of the file `file` of "rdv"
// (kModifyPlanning). True when a planning was saved; the caller refreshes its view.
bool EditPlanning(PlanningWindows& context, int mode, int day, const std::string& file);

// The planning list over the current window, in the mode kAllPlannings, kNetworkPlannings or
// kReceivedPlannings (planning/planning_list.hpp). Tells "aucune planiffication à afficher..."
// and opens nothing when the mode has no planning. Modes 1 and 2 allow the export while open.
void ShowPlanningList(PlanningWindows& context, int mode);

}  // namespace tavelo
