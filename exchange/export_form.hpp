#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/exchange_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The three uses of the export window: the calendar report, sharing with other users, and the
// exchange file.
enum class ExportMode { kReport, kShare, kExport };

// What tells the modes apart in the window.
struct ExportLook {
  std::string_view title;
  std::string_view help_page;
  std::string_view by_planning;  // the two options; none in report mode
  std::string_view by_category;
  std::string_view save_title;  // the save dialog of the written file; none to share
  std::string_view save_pattern;
};
ExportLook export_look(ExportMode mode);

// The categories there are: those with a template first, in listing order, then the others the
// plannings name.
std::vector<std::string> known_categories(const fs::path& program_folder,
                                          const std::vector<ListedPlanning>& plannings);

// What the user chose in the export window.
struct ExportSelection {
  bool by_category = false;
  std::vector<std::string> plannings;   // planning files, chosen one by one
  std::vector<std::string> categories;  // chosen by category
  bool category_files = false;          // "fichiers de catégorie"
  bool filter = false;                  // "filtre de catégorie (temps réel)"
};

// The plannings of the selection: those chosen, or those of the chosen categories.
std::vector<std::string> selected_plannings(const std::vector<ListedPlanning>& plannings,
                                            const ExportSelection& selection);

// What goes into the exchange file: the selected plannings, with "fichiers de catégorie" the
// templates of the chosen categories (or of the chosen plannings' categories), and the filter.
ExportChoice export_choice(const std::vector<ListedPlanning>& plannings,
                           const ExportSelection& selection);

// A target named without the extension of its kind gets it.
fs::path with_extension(const fs::path& target, std::string_view pattern);

}  // namespace tavelo
