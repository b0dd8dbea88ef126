#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "access/window.hpp"
#include "exchange/receive.hpp"
#include "exchange/sharing.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"
#include "platform/network.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// What the exchange windows work with: the run's settings, which they store and save.
struct ExchangeWindows {
  fs::path program_folder;
  Settings& settings;
  Clock& clock;
  Network& network;
  Prompts& prompts;
};

// The exchange as a window runs it: its transfers are waited for on a worker thread and
// announced when they last.
ExchangeContext window_exchange_context(const ExchangeWindows& w);

// Saves the settings file; the last active day becomes today.
void save_window_settings(ExchangeWindows& w);

// The network receive as the start-up runs it: failures told when asked, transfers announced,
// the plannings received announced by the timed notice of the message dialog.
int ReceiveNetworkPlannings(ExchangeWindows& w, bool show_errors);

// The network receive of the real-time agenda's minute: silent, never held by a server for more
// than the minute's patience; the timed notice as above.
int ReceiveNetworkPlanningsAtMinute(MinuteReceive& receive, ExchangeWindows& w);

// What the exchange windows' loops ask of an input.
inline bool is_button(const Input& input, int number) {
  return input.event == "btn" + std::to_string(number);
}
inline bool asks_for_help(const Input& input, int help_button) {
  return is_button(input, help_button) || input.key == "f1";
}
inline bool leaves(const Input& input) {
  return input.event == "btncancel" || input.event == "winclose";
}

// The list the export and the import windows choose from: the plannings, or the categories
// while the second of the two options above it is on, with "&tout sélectionner" and "ne &rien
// sélectionner" below it. Its controls take the numbers 1 to 6; the window adds the options
// with their captions.
inline constexpr int kByPlanningOption = 1, kByCategoryOption = 2, kChoiceList = 4;
std::span<const ControlSpec> choice_list_controls();

struct ChoiceList {
  std::vector<std::string> plannings;   // as the lists of plannings show them
  std::vector<std::string> files;       // the plannings' file names, in the same order
  std::vector<std::string> categories;  // by name
  bool by_category = false;
};

void fill_choice_list(const ChoiceList& list);

// Follows the options and the two buttons; false when the input is none of theirs.
bool follow_choice_list(ChoiceList& list, const Input& input);

// What is marked in the list: planning files, or categories while they are shown.
struct Marked {
  std::vector<std::string> files;
  std::vector<std::string> categories;
};
Marked marked_choices(const ChoiceList& list);

// The slots in which the exchange windows keep themselves while a window opens over them.
inline constexpr int kExportDialogSlot = 2;
inline constexpr int kSharingDialogSlot = 3;

}  // namespace tavelo
