#include "exchange/import_window.hpp"

#include "access/dialog.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kByPlanning = 1, kByCategory = 2, kListLabel = 3, kList = 4, kSelectAll = 5,
              kSelectNone = 6, kCategoryFiles = 7, kFilter = 8, kHelp = 9;

constexpr std::string_view kPlanningsLabel = "planifications:";
constexpr std::string_view kCategoriesLabel = "catégories:";

constexpr ControlSpec kImportControls[] = {
    {ControlKind::option, kByPlanning, "importer les planifications", 1, 2, 32, 2, kGroupStart},
    {ControlKind::option, kByCategory, "importer par catégorie", 1, 36, 32},
    {ControlKind::label, kListLabel, kPlanningsLabel, 4, 2},
    {ControlKind::list_box, kList, "", 5, 2, 66, 8, kSeveral},
    {ControlKind::button, kSelectAll, "&tout sélectionner", 14, 2, 22},
    {ControlKind::button, kSelectNone, "ne &rien sélectionner", 14, 26, 24},
    {ControlKind::check_box, kCategoryFiles, "fichiers de catégorie", 17, 2, 30},
    {ControlKind::check_box, kFilter, "filtre de catégorie (temps réel)", 17, 34, 34},
    {ControlKind::button, kHelp, "aide-f1", 20, 2, 12},
};

struct ImportWindow {
  const StagedImport& staged;
  std::vector<std::string> lines;       // the staged plannings as listed
  std::vector<std::string> categories;  // their categories
  bool by_category = false;
  bool open = false;
};

std::size_t entry_count(const ImportWindow& i) {
  return i.by_category ? i.categories.size() : i.lines.size();
}

void fill_list(const ImportWindow& i) {
  ClearItems(kList);
  AddLabel(kListLabel, i.by_category ? kCategoriesLabel : kPlanningsLabel, 4, 2);
  for (const std::string& text : i.by_category ? i.categories : i.lines) AddItem(kList, text);
  if (entry_count(i) == 0) {
    AddItem(kList, i.by_category ? "aucune catégorie" : "aucune planification", -1);
  }
}

void open_import_window(ImportWindow& i) {
  OpenDialog("", 0, 0, 21, 70, "importation");
  AddControls(kImportControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  SetControlState(kByPlanning, 1);
  SetControlState(kCategoryFiles, i.staged.templates.empty() ? 0 : 1);
  SetControlState(kFilter, i.staged.filter ? 1 : 0);
  fill_list(i);
  FocusControl(kList);
  i.open = true;
}

void mark_all(const ImportWindow& i, bool marked) {
  for (std::size_t n = 0; n < entry_count(i); ++n) MarkItem(kList, static_cast<int>(n), marked);
  FocusControl(kList);
}

ImportChoice choice_of(const ImportWindow& i) {
  ImportChoice choice;
  choice.by_category = i.by_category;
  for (const int index : MarkedItems(kList)) {
    if (index < 0 || static_cast<std::size_t>(index) >= entry_count(i)) continue;
    const auto n = static_cast<std::size_t>(index);
    if (i.by_category) {
      choice.categories.push_back(i.categories[n]);
    } else {
      choice.plannings.push_back(i.staged.plannings[n].name);
    }
  }
  choice.category_files = ControlState(kCategoryFiles) != 0;
  choice.category_filter = ControlState(kFilter) != 0;
  return choice;
}

// The window's loop up to OK, with the user's choice, or to Cancel.
std::optional<ImportChoice> choose(ImportWindow& i) {
  if (!i.open) open_import_window(i);
  for (;;) {
    const Input input = NextInput(-1);
    if (leaves(input)) return std::nullopt;
    if (asks_for_help(input, kHelp)) shell_service().show_help("Import.htm");
    if (input.event == "btnok") return choice_of(i);
    if (input.event == "rd" + std::to_string(kByPlanning) ||
        input.event == "rd" + std::to_string(kByCategory)) {
      const bool by_category = ControlState(kByCategory) != 0;
      if (by_category != i.by_category) {
        i.by_category = by_category;
        fill_list(i);
      }
    } else if (is_button(input, kSelectAll) || is_button(input, kSelectNone)) {
      mark_all(i, is_button(input, kSelectAll));
    }
  }
}

std::optional<fs::path> exchange_file_to_import(const ExchangeWindows& w,
                                                const std::optional<fs::path>& given) {
  if (given) return given;
  const auto chosen = window_system().open_file_dialog("fichier à importer", "*.txa", "");
  if (!chosen || chosen->empty()) return std::nullopt;
  return native_path(w.program_folder, *chosen);
}

}  // namespace

bool ImportExchangeFile(ExchangeWindows& w, const std::optional<fs::path>& given) {
  const auto file = exchange_file_to_import(w, given);
  if (!file) return false;
  const ImportContext context{w.program_folder, w.settings, w.clock, w.prompts};
  // After "Rien n'a été inporté." the same window asks again, as the user left it.
  std::optional<ImportWindow> window;
  return import_exchange_file(context, *file, [&window](const StagedImport& staged) {
    if (!window) window.emplace(staged, staged_lines(staged), staged_categories(staged));
    return choose(*window);
  });
}

}  // namespace tavelo
