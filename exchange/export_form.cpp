#include "exchange/export_form.hpp"

#include <algorithm>

#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

ExportLook export_look(ExportMode mode) {
  switch (mode) {
    case ExportMode::kReport:
      return {"rapport du calendrier",
              "rapport.htm",
              "",
              "",
              "enregistrer le rapport texte du calendrier",
              "*.txt"};
    case ExportMode::kShare:
      return {"partage de planifications",
              "exportep.htm",
              "partager les planifications",
              "partager par catégorie",
              "",
              ""};
    case ExportMode::kExport:
      break;
  }
  return {"exportation",
          "export.htm",
          "exporter les planifications",
          "exporter par catégorie",
          "enregistrer le fichier d'exportation",
          "*.txa"};
}

namespace {

bool contains(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void add_once(std::vector<std::string>& names, const std::string& name) {
  if (!name.empty() && !contains(names, name)) names.push_back(name);
}

}  // namespace

std::vector<std::string> known_categories(const fs::path& program_folder,
                                          const std::vector<ListedPlanning>& plannings) {
  std::vector<std::string> categories;
  for (const std::string& name : listcategories(program_folder)) add_once(categories, name);
  for (const ListedPlanning& planning : plannings) add_once(categories, planning.category);
  return categories;
}

std::vector<std::string> selected_plannings(const std::vector<ListedPlanning>& plannings,
                                            const ExportSelection& selection) {
  std::vector<std::string> names;
  for (const ListedPlanning& planning : plannings) {
    const bool chosen = selection.by_category ? contains(selection.categories, planning.category)
                                              : contains(selection.plannings, planning.file);
    if (chosen) names.push_back(planning.file);
  }
  return names;
}

ExportChoice export_choice(const std::vector<ListedPlanning>& plannings,
                           const ExportSelection& selection) {
  ExportChoice choice;
  choice.plannings = selected_plannings(plannings, selection);
  choice.filter = selection.filter;
  if (!selection.category_files) return choice;
  if (selection.by_category) {
    choice.categories = selection.categories;
    return choice;
  }
  for (const ListedPlanning& planning : plannings) {
    if (contains(choice.plannings, planning.file)) add_once(choice.categories, planning.category);
  }
  return choice;
}

fs::path with_extension(const fs::path& target, std::string_view pattern) {
  const std::string_view extension = pattern.substr(std::min<std::size_t>(1, pattern.size()));
  if (lower_ascii(target.extension().string()) == extension) return target;
  fs::path named = target;
  named += std::string(extension);
  return named;
}

}  // namespace tavelo
