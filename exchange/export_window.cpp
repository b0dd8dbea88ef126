#include "exchange/export_window.hpp"

#include "access/dialog.hpp"
#include "exchange/exchange_file.hpp"
#include "exchange/sharing_window.hpp"
#include "planning/categories.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kCategoryFiles = 7, kFilter = 8, kNotes = 9, kRecipients = 11, kHelp = 12;

constexpr ControlSpec kExportControls[] = {
    {ControlKind::check_box, kCategoryFiles, "fichiers de catégorie", 17, 2, 30},
    {ControlKind::check_box, kFilter, "filtre de catégorie (temps réel)", 17, 34, 34},
};
constexpr ControlSpec kReportControls[] = {
    {ControlKind::check_box, kNotes, "notes", 17, 2, 12},
};
constexpr ControlSpec kShareControls[] = {
    {ControlKind::label, 10, "destinataires", 17, 2},
    {ControlKind::list_box, kRecipients, "", 18, 2, 40, 4, kSeveral},
};
constexpr ControlSpec kHelpControls[] = {
    {ControlKind::button, kHelp, "aide-f1", 23, 2, 12},
};

struct ExportWindow {
  ExchangeWindows& w;
  ExportMode mode;
  ExportLook look;
  std::vector<ListedPlanning> plannings;
  ChoiceList list;
};

// ---- the share mode's conditions ----

void allow_export(ExchangeWindows& w) {
  store_sharing_permissions(w.settings, w.settings.own_identifier, w.settings.import_allowed != 0,
                            true);
  save_window_settings(w);
}

bool export_allowed_for_sharing(ExchangeWindows& w) {
  if (w.settings.export_allowed != 0) return true;
  if (!w.prompts.question("Cette fonction requiert que vous autorisiez l'exportation vers les "
                          "dossiers partagés. Souhaitez-vous continuer?")) {
    return false;
  }
  allow_export(w);
  return true;
}

bool has_recipients(ExchangeWindows& w) {
  if (!w.settings.sharing_table.empty()) return true;
  if (w.prompts.question("Votre liste d'identifiant est vide. Souhaitez-vous accéder aux "
                         "paramètres de dossiers partagés affin d'en ajouter?")) {
    SaveDialog(kExportDialogSlot);
    OpenSharingSettings(w);
    RestoreDialog(kExportDialogSlot);
  }
  return !w.settings.sharing_table.empty();
}

// Sharing needs the permission and at least one identifier. The settings keep the permission
// only with an own identifier and a table: it is given again once the table has rows, and a
// missing own identifier is told.
bool ready_to_share(ExchangeWindows& w) {
  if (!export_allowed_for_sharing(w) || !has_recipients(w)) return false;
  if (w.settings.export_allowed == 0) allow_export(w);
  if (w.settings.export_allowed != 0) return true;
  w.prompts.notice("Veuillez indiquer votre identifiant dans les paramètres de dossiers partagés.");
  return false;
}

// ---- the window ----

ExportSelection selection_of(const ExportWindow& e) {
  ExportSelection selection;
  selection.by_category = e.list.by_category;
  Marked marked = marked_choices(e.list);
  selection.plannings = std::move(marked.files);
  selection.categories = std::move(marked.categories);
  selection.category_files = ControlState(kCategoryFiles) != 0;
  selection.filter = ControlState(kFilter) != 0;
  return selection;
}

std::size_t chosen_count(const ExportSelection& selection) {
  return selection.by_category ? selection.categories.size() : selection.plannings.size();
}

std::optional<fs::path> ask_target(const ExportWindow& e) {
  const auto target =
      window_system().save_file_dialog(e.look.save_title, e.look.save_pattern, "", "");
  if (!target || target->empty()) return std::nullopt;
  return with_extension(native_path(e.w.program_folder, *target), e.look.save_pattern);
}

// Each mode's OK; true when the window's work is done.
bool write_report(ExportWindow& e, const ExportSelection& selection) {
  const std::vector<std::string> plannings = selected_plannings(e.plannings, selection);
  if (plannings.empty()) {
    e.w.prompts.notice("Il n'y a rien à exporter.");
    return false;
  }
  const auto target = ask_target(e);
  return target && write_calendar_report(e.w.program_folder, e.w.settings, plannings,
                                         ControlState(kNotes) != 0, *target, e.w.prompts);
}

bool write_export(ExportWindow& e, const ExportSelection& selection) {
  if (chosen_count(selection) == 0 && !selection.filter) {
    e.w.prompts.notice("Il n'y a rien à exporter.");
    return false;
  }
  const auto target = ask_target(e);
  return target && export_plannings(e.w.program_folder, e.w.settings,
                                    export_choice(e.plannings, selection), *target, e.w.prompts);
}

bool share(ExportWindow& e, const ExportSelection& selection) {
  std::vector<std::string> recipients;
  for (const int index : MarkedItems(kRecipients)) {
    const auto& table = e.w.settings.sharing_table;
    if (index >= 0 && static_cast<std::size_t>(index) < table.size()) {
      recipients.push_back(table[static_cast<std::size_t>(index)].columns[kIdentifierColumn]);
    }
  }
  if (chosen_count(selection) == 0 || recipients.empty()) {
    e.w.prompts.notice("Il n'y a rien à exporter.");
    return false;
  }
  if (!e.w.prompts.question(share_question(chosen_count(selection)))) return false;
  share_plannings(window_exchange_context(e.w), selected_plannings(e.plannings, selection),
                  recipients);
  return true;
}

bool done(ExportWindow& e) {
  const ExportSelection selection = selection_of(e);
  switch (e.mode) {
    case ExportMode::kReport:
      return write_report(e, selection);
    case ExportMode::kShare:
      return share(e, selection);
    case ExportMode::kExport:
      break;
  }
  return write_export(e, selection);
}

void add_mode_controls(const ExportWindow& e) {
  switch (e.mode) {
    case ExportMode::kReport:
      AddControls(kReportControls);
      return;
    case ExportMode::kShare:
      AddControls(kShareControls);
      for (const SharingRow& row : e.w.settings.sharing_table) {
        AddItem(kRecipients, row.columns[kIdentifierColumn]);
      }
      return;
    case ExportMode::kExport:
      AddControls(kExportControls);
      SetControlState(kFilter, file_exists(e.w.program_folder / kFilterFile) ? 1 : 0);
      return;
  }
}

void open_export_window(ExportWindow& e) {
  OpenDialog("", 0, 0, 24, 70, e.look.title);
  if (e.mode != ExportMode::kReport) {
    const ControlSpec options[] = {
        {ControlKind::option, kByPlanningOption, e.look.by_planning, 1, 2, 32, 2, kGroupStart},
        {ControlKind::option, kByCategoryOption, e.look.by_category, 1, 36, 32},
    };
    AddControls(options);
    SetControlState(kByPlanningOption, 1);
  }
  AddControls(choice_list_controls());
  add_mode_controls(e);
  AddControls(kHelpControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  fill_choice_list(e.list);
  FocusControl(kChoiceList);
}

}  // namespace

void OpenExportDialog(ExchangeWindows& w, ExportMode mode) {
  if (mode == ExportMode::kShare && !ready_to_share(w)) return;
  ExportWindow e{w,
                 mode,
                 export_look(mode),
                 read_listed_plannings(w.program_folder, w.settings, kAllPlannings),
                 {}};
  for (const ListedPlanning& planning : e.plannings) {
    e.list.plannings.push_back(planning.line);
    e.list.files.push_back(planning.file);
  }
  e.list.categories = known_categories(w.program_folder, e.plannings);
  open_export_window(e);
  for (;;) {
    const Input input = NextInput(-1);
    if (leaves(input)) return;
    if (asks_for_help(input, kHelp)) shell_service().show_help(e.look.help_page);
    if (input.event == "btnok" && done(e)) return;
    follow_choice_list(e.list, input);
  }
}

}  // namespace tavelo
