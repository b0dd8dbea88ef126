#include "access/menus.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "access/dialog.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

std::span<const std::string_view> counted(std::span<const std::string_view> items) {
  return items.first(std::min(items.size(), kMenuItems));
}

int first_number(int first) {
  return first > 0 ? first : std::max(dialog_state().last_menu_number + 1, 1);
}

void fill_menu(int menu, int first, std::span<const std::string_view> items) {
  WindowSystem& ws = window_system();
  DialogState& s = dialog_state();
  int next = first;
  std::vector<int> open = {menu};
  for (std::string_view text : items) {
    if (text.empty()) continue;
    if (text.front() == '-') {
      ws.add_menu_separator(open.back());
      text.remove_prefix(1);
      if (text.empty()) continue;
    }
    if (text.front() == '{') {
      open.push_back(ws.add_menu(s.window, open.back(), text.substr(1)));
      continue;
    }
    const bool closes = text.front() == '}';
    if (closes) text.remove_prefix(1);
    ws.add_menu_item(open.back(), next, text);
    s.last_menu_number = next++;
    if (closes && open.size() > 1) open.pop_back();
  }
}

}  // namespace

void BuildMenu(std::string_view title, int first, std::span<const std::string_view> items) {
  DialogState& s = dialog_state();
  items = counted(items);
  first = first_number(first);
  s.menu_bar.push_back({std::string(title), first, {items.begin(), items.end()}});
  fill_menu(window_system().add_menu(s.window, 0, title), first, items);
}

void BuildMenu(std::string_view title, int first, std::initializer_list<std::string_view> items) {
  BuildMenu(title, first, std::span<const std::string_view>(items.begin(), items.size()));
}

void BuildPopupMenu(std::string_view, int first, std::span<const std::string_view> items) {
  fill_menu(window_system().popup_menu(dialog_state().window), first_number(first), counted(items));
}

void BuildPopupMenu(std::string_view title, int first,
                    std::initializer_list<std::string_view> items) {
  BuildPopupMenu(title, first, std::span<const std::string_view>(items.begin(), items.size()));
}

void ShowPopupMenu() {
  window_system().show_popup_menu(dialog_state().window);
}

void CheckMenuItem(int item, bool checked) {
  DialogState& s = dialog_state();
  if (checked) {
    s.checked_menu_items.insert(item);
  } else {
    s.checked_menu_items.erase(item);
  }
  window_system().set_menu_item_checked(s.window, item, checked);
}

void AddEditMenu(int base, int language) {
  static constexpr std::array<std::string_view, 9> french = {"&Édition",
                                                             "&Défaire\tCTRL+Z",
                                                             "&Refaire\tCTRL+Y",
                                                             "C&opier\tCTRL+C",
                                                             "&Couper\tCTRL+X",
                                                             "&co&ller\tCTRL+V",
                                                             "Tout sélectionner\tCTRL+A",
                                                             "R&echerche/Remplacement\tCTRL+F",
                                                             "Proc&haine occurence\tF3"};
  static constexpr std::array<std::string_view, 9> english = {
      "&Edit",        "&Undo\tCTRL+Z",  "&Redo\tCTRL+Y",       "C&opY\tCTRL+C",
      "&Cut\tCTRL+X", "&Paste\tCTRL+V", "Select &all\tCTRL+A", "&Find/Replace\tCTRL+F",
      "Again\tF3"};
  const auto& texts = language == 1 ? english : french;
  dialog_state().edit_menu_base = base == 0 ? 1 : base;
  BuildMenu(texts[0], dialog_state().edit_menu_base, std::span(texts).subspan(1));
}

int EditMenuBase() {
  const int base = dialog_state().edit_menu_base;
  return base == 0 ? 1 : base;
}

}  // namespace tavelo
