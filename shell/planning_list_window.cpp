#include <algorithm>

#include "access/dialog.hpp"
#include "access/window.hpp"
#include "exchange/sharing.hpp"
#include "planning/categories.hpp"
#include "planning/editor_form.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"
#include "platform/services.hpp"
#include "shell/planning_windows.hpp"

namespace tavelo {

namespace {

constexpr int kList = 21;
constexpr int kModify = 2;
constexpr int kClose = 3;
constexpr int kChronologicalOption = 27;
constexpr int kAlphabeticalOption = 28;
constexpr int kExclude = 6;
constexpr int kDelete = 7;
constexpr int kSearch = 23;
constexpr int kBackward = 9;
constexpr int kForward = 10;
constexpr int kCategory = 25;
constexpr int kDeleteCategory = 12;
constexpr int kHelp = 13;

// The list's own slot while the editor is over it: the calendar keeps 0, the editor takes 1.
constexpr int kListSlot = 2;

constexpr ControlSpec kListControls[] = {
    {ControlKind::label, kList - 1, "planifications", 1, 2},
    {ControlKind::list_box, kList, "", 3, 2, 74, 12},
    {ControlKind::button, kModify, "modifier", 15, 2, 12},
    {ControlKind::button, kClose, "fermer", 15, 15, 12},
    {ControlKind::label, kChronologicalOption - 1, "classement", 17, 2},
    {ControlKind::option, kChronologicalOption, "&chronologique", 17, 14, 18, 2, kGroupStart},
    {ControlKind::option, kAlphabeticalOption, "al&phabétique", 17, 33, 18},
    {ControlKind::button, kExclude, "&exclure du réseau", 19, 2, 22},
    {ControlKind::button, kDelete, "&supprimer", 19, 25, 14},
    {ControlKind::label, kSearch - 1, "rechercher:", 21, 2},
    {ControlKind::text_field, kSearch, "", 21, 15, 30},
    {ControlKind::button, kBackward, "a&rrière", 21, 46, 12},
    {ControlKind::button, kForward, "a&vant", 21, 59, 12},
    {ControlKind::label, kCategory - 1, "catégorie affichée:", 23, 2},
    {ControlKind::combo_box, kCategory, "", 23, 24, 30},
    {ControlKind::button, kDeleteCategory, "s&upprimer les planifs de cette catégorie", 25, 2, 44},
    {ControlKind::button, kHelp, "aide-f1", 25, 47, 10},
};

constexpr std::string_view kNothingToShow = "Tavelo\raucune planiffication à afficher...";

struct List {
  PlanningWindows& c;
  int mode = kAllPlannings;
  std::vector<ListedPlanning> plannings;
  std::vector<std::size_t> shown;  // places in `plannings`, in the order of the lines
  std::vector<std::string> categories;
};

std::string shown_category(const List& l) {
  const int selected = ControlState(kCategory);
  if (selected <= 0 || static_cast<std::size_t>(selected) >= l.categories.size()) return {};
  return l.categories[static_cast<std::size_t>(selected)];
}

int order() {
  return ControlState(kAlphabeticalOption) != 0 ? kAlphabetical : kChronological;
}

// The lines again, the planning of `file` selected when it is still shown.
void show_lines(List& l, const std::string& file) {
  l.shown = shown_plannings(l.plannings, order(), shown_category(l));
  ClearItems(kList);
  int selected = 0;
  for (std::size_t i = 0; i < l.shown.size(); ++i) {
    const ListedPlanning& p = l.plannings[l.shown[i]];
    AddItem(kList, p.line);
    if (p.file == file) selected = static_cast<int>(i);
  }
  if (!l.shown.empty()) SetControlState(kList, selected);
}

void show_categories(List& l) {
  const std::string kept = shown_category(l);
  l.categories = shown_category_choices(listcategories(l.c.program_folder), l.plannings);
  ClearItems(kCategory);
  int selected = 0;
  for (std::size_t i = 0; i < l.categories.size(); ++i) {
    AddItem(kCategory, l.categories[i]);
    if (!kept.empty() && l.categories[i] == kept) selected = static_cast<int>(i);
  }
  SetControlState(kCategory, selected);
}

const ListedPlanning* selected_planning(const List& l) {
  const int line = ControlState(kList);
  if (line < 0 || static_cast<std::size_t>(line) >= l.shown.size()) return nullptr;
  return &l.plannings[l.shown[static_cast<std::size_t>(line)]];
}

// Reads the folder again; false when nothing is left to show, after telling so. The received
// plannings of mode 2 are those the list showed at its opening, known by their unique
// identifier: a planning modified there may have moved to another file.
bool reread(List& l, const std::string& file) {
  std::vector<ListedPlanning> fresh = read_listed_plannings(
      l.c.program_folder, l.c.settings, l.mode == kReceivedPlannings ? kAllPlannings : l.mode);
  if (l.mode == kReceivedPlannings) {
    std::erase_if(fresh, [&](const ListedPlanning& p) {
      return p.planning.unique_identifier.empty() ||
             std::none_of(l.plannings.begin(), l.plannings.end(), [&](const ListedPlanning& q) {
               return q.planning.unique_identifier == p.planning.unique_identifier;
             });
    });
  }
  l.plannings = std::move(fresh);
  if (l.plannings.empty()) {
    l.c.prompts.notice(kNothingToShow);
    return false;
  }
  show_categories(l);
  show_lines(l, file);
  return true;
}

ExchangeContext exchange_of(const List& l) {
  return {l.c.program_folder, l.c.settings, l.c.clock, l.c.network, l.c.prompts};
}

SendDeletionOf deletion_sender(const List& l) {
  return [&l](const std::string& file, const Planning& planning) {
    SendDeletion(exchange_of(l), planning_folder(l.c.program_folder) / file, planning);
  };
}

bool modify(List& l) {
  const ListedPlanning* p = selected_planning(l);
  if (p == nullptr) return true;
  const std::string file = p->file;
  SaveDialog(kListSlot);
  EditPlanning(l.c, kModifyPlanning, 0, file);
  RestoreDialog(kListSlot);
  const bool left = reread(l, file);
  FocusControl(kList);
  return left;
}

bool delete_selected(List& l) {
  const ListedPlanning* p = selected_planning(l);
  if (p == nullptr ||
      !delete_listed_planning(l.c.program_folder, *p, l.c.prompts, deletion_sender(l))) {
    return true;
  }
  return reread(l, "");
}

bool delete_category(List& l) {
  const std::string category = shown_category(l);
  if (category.empty()) return true;
  if (delete_category_plannings(l.c.program_folder, l.plannings, category, l.c.prompts,
                                deletion_sender(l)) == 0) {
    return true;
  }
  return reread(l, "");
}

bool exclude(List& l) {
  const ListedPlanning* p = selected_planning(l);
  if (p == nullptr) return true;
  const std::string file = p->file;
  if (!exclude_from_network(l.c.program_folder, *p, l.c.settings)) {
    l.c.prompts.notice("impossible d'écrire le fichier " + file);
  }
  return reread(l, file);
}

void search(const List& l, bool forward) {
  std::vector<std::string> lines;
  for (const std::size_t i : l.shown) lines.push_back(l.plannings[i].line);
  const int selected = std::max(ControlState(kList), 0);
  const std::optional<std::size_t> found =
      search_lines(lines, static_cast<std::size_t>(selected), ControlText(kSearch), forward);
  if (!found) {
    PlayWave(l.c.players, "+", 0);
    return;
  }
  SetControlState(kList, static_cast<int>(*found));
  FocusControl(kList);
}

// One event of the list; false when the list closes.
bool handle(List& l, const Input& input) {
  const std::string& event = input.event;
  if (event == "btncancel" || event == "winclose" || event == "btn3") return false;
  if (event == "btn2" || (event == "btnok" && FocusedControl() == kList)) return modify(l);
  if (event == "btnok" && FocusedControl() == kSearch) {
    search(l, true);
  } else if (event == "rd27" || event == "rd28") {
    const ListedPlanning* p = selected_planning(l);
    show_lines(l, p != nullptr ? p->file : "");
  } else if (event == "cmb25") {
    show_lines(l, "");
  } else if (event == "btn6") {
    return exclude(l);
  } else if (event == "btn7" || (input.key == "delete" && FocusedControl() == kList)) {
    return delete_selected(l);
  } else if (event == "btn9" || event == "btn10") {
    search(l, event == "btn10");
  } else if (event == "btn12") {
    return delete_category(l);
  } else if (event == "btn13" || input.key == "f1") {
    shell_service().show_help("liste.htm");
  }
  return true;
}

}  // namespace

void ShowPlanningList(PlanningWindows& context, int mode) {
  List l{
      context, mode, read_listed_plannings(context.program_folder, context.settings, mode), {}, {}};
  if (mode == kReceivedPlannings) forget_received_plannings(context.program_folder);
  if (l.plannings.empty()) {
    context.prompts.notice(kNothingToShow);
    return;
  }
  const int export_allowed = context.settings.export_allowed;
  if (mode != kAllPlannings) context.settings.export_allowed = 1;
  OpenDialog("", 0, 0, 28, 78, planning_list_title(mode));
  AddControls(kListControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  SetControlState(kChronologicalOption, 1);
  SetControlFlags(kExclude, mode == kAllPlannings ? kHidden : 0);
  show_categories(l);
  show_lines(l, "");
  FocusControl(kList);
  while (handle(l, NextInput(-1))) {
  }
  context.settings.export_allowed = export_allowed;
}

}  // namespace tavelo
