#include "exchange/import_window.hpp"

#include "access/dialog.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kCategoryFiles = 7, kFilter = 8, kHelp = 9;

constexpr ControlSpec kImportOptions[] = {
    {ControlKind::option, kByPlanningOption, "importer les planifications", 1, 2, 32, 2,
     kGroupStart},
    {ControlKind::option, kByCategoryOption, "importer par catégorie", 1, 36, 32},
};
constexpr ControlSpec kImportControls[] = {
    {ControlKind::check_box, kCategoryFiles, "fichiers de catégorie", 17, 2, 30},
    {ControlKind::check_box, kFilter, "filtre de catégorie (temps réel)", 17, 34, 34},
    {ControlKind::button, kHelp, "aide-f1", 20, 2, 12},
};

struct ImportWindow {
  const StagedImport& staged;
  ChoiceList list;
  bool open = false;
};

void open_import_window(ImportWindow& i) {
  OpenDialog("", 0, 0, 21, 70, "importation");
  AddControls(kImportOptions);
  AddControls(choice_list_controls());
  AddControls(kImportControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  SetControlState(kByPlanningOption, 1);
  SetControlState(kCategoryFiles, i.staged.templates.empty() ? 0 : 1);
  SetControlState(kFilter, i.staged.filter ? 1 : 0);
  fill_choice_list(i.list);
  FocusControl(kChoiceList);
  i.open = true;
}

ImportChoice choice_of(const ImportWindow& i) {
  ImportChoice choice;
  choice.by_category = i.list.by_category;
  Marked marked = marked_choices(i.list);
  choice.plannings = std::move(marked.files);
  choice.categories = std::move(marked.categories);
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
    follow_choice_list(i.list, input);
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
    if (!window) {
      std::vector<std::string> files;
      for (const ExchangeEntry& entry : staged.plannings) files.push_back(entry.name);
      // Built whole and moved in: clang has no parenthesised aggregate initialisation yet.
      window.emplace(ImportWindow{
          staged, ChoiceList{staged_lines(staged), std::move(files), staged_categories(staged)}});
    }
    return choose(*window);
  });
}

}  // namespace tavelo
