#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The line that shows a planning in every list of plannings: "Lundi, le 3 Mars 2025 à 09:30;
// subject", then ", (3 de 5)" for a reproduced occurrence or ", (4 fois)" for a counted series.
// The date and time come from the file name; nothing for a name that does not carry them.
std::optional<std::string> planning_list_line(std::string_view file_name, const Planning& planning);

// The planning list's modes: every planning, the plannings shared on the network, and the
// plannings received last.
inline constexpr int kAllPlannings = 0;
inline constexpr int kNetworkPlannings = 1;
inline constexpr int kReceivedPlannings = 2;
std::string_view planning_list_title(int mode);

// The unique identifiers of the plannings received from the network since the list of the last
// received ones was shown, one a line in arrival order (Windows-1252, CR LF).
inline constexpr const char* kReceivedIndexFile = "newplanings.idx";
std::vector<std::string> received_identifiers(const fs::path& program_folder);
// Once shown, the received plannings are no longer the last ones: the index goes.
void forget_received_plannings(const fs::path& program_folder);

// One planning of the list, as its file gave it.
struct ListedPlanning {
  std::string file;
  std::string line;
  std::string category;  // trimmed; empty for none
  std::string sort_key;  // its subject, as the alphabetical order compares it
  Planning planning;
  long long minute = 0;  // the date and time of its name, in minutes since the calendar's start
};

// The plannings of a mode, in file-name order: every planning file of "rdv"; those with a unique
// identifier or sharing identifiers (mode 1); those whose unique identifier the index of
// received plannings holds (mode 2). A file that cannot be read is listed with what its name
// tells; a file whose name carries no date is not listed.
std::vector<ListedPlanning> read_listed_plannings(const fs::path& program_folder,
                                                  const Settings& settings, int mode);

// The orders of the list.
inline constexpr int kChronological = 1;
inline constexpr int kAlphabetical = 2;

// The plannings shown, by their place in `plannings`: those of `category` (all for the empty
// one), chronologically (date, time, then name) or alphabetically (subject without case or
// accents, then chronologically).
std::vector<std::size_t> shown_plannings(const std::vector<ListedPlanning>& plannings, int order,
                                         std::string_view category);

// The entries of "catégorie affichée:": "tous", the category templates, then the other
// categories of the plannings in their order.
inline constexpr std::string_view kAllCategories = "tous";
std::vector<std::string> shown_category_choices(const std::vector<std::string>& templates,
                                                const std::vector<ListedPlanning>& plannings);

// The first line after `selected` (forward) or before it (backward, in reverse order) that
// holds `text`, both compared trimmed and in lower case. Nothing when none does: the search
// never wraps around.
std::optional<std::size_t> search_lines(const std::vector<std::string>& lines, std::size_t selected,
                                        std::string_view text, bool forward);

// Receives the plannings deleted for good, to order their deletion on the network.
using SendDeletionOf = std::function<void(const std::string& file, const Planning& planning)>;

// "&supprimer": asks, then deletes the planning's file; an occurrence of a series goes with its
// whole series when the user wants. False when nothing was deleted. A file another program
// already deleted is no error.
bool delete_listed_planning(const fs::path& program_folder, const ListedPlanning& planning,
                            Prompts& prompts, const SendDeletionOf& send_deletion);

// "s&upprimer les planifs de cette catégorie": asks, then deletes every planning of the
// category. Returns how many went.
int delete_category_plannings(const fs::path& program_folder,
                              const std::vector<ListedPlanning>& plannings,
                              std::string_view category, Prompts& prompts,
                              const SendDeletionOf& send_deletion);

// "&exclure du réseau": the planning loses its unique identifier and its sharing identifiers,
// saved under the same name with no copy and no deletion sent. False when it cannot be written.
bool exclude_from_network(const fs::path& program_folder, const ListedPlanning& planning,
                          const Settings& settings);

// "(3 de 5)" for a reproduced occurrence, "(4 fois)" for a counted series, nothing otherwise.
std::string series_count(const Planning& planning);
// The same after ", ", as the lists of plannings show it.
std::string series_suffix(const Planning& planning);

}  // namespace tavelo
