#include <cctype>

#include "platform/sim/sim_window_system.hpp"

namespace tavelo {

namespace {

// The upper-case letter after the first "&" of a caption, 0 without one.
int mnemonic_of(std::string_view text) {
  const auto amp = text.find('&');
  if (amp == std::string_view::npos || amp + 1 >= text.size()) return 0;
  return std::toupper(static_cast<unsigned char>(text[amp + 1]));
}

}  // namespace

// A menu of the bar lists its title first; a sub-menu shows in its parent as "{" and its title,
// with the negated handle as command.
int SimWindowSystem::add_menu(int window, int parent, std::string_view title) {
  const int handle = next_menu_++;
  Menu& menu = menus_[handle];
  if (parent == 0) {
    if (Window* w = window_of(window)) w->menu_bar.push_back(handle);
    menu.texts.emplace_back(title);
    menu.commands.push_back(0);
  } else if (menus_.contains(parent)) {
    std::string entry = "{";  // appended: GCC 12 warns falsely (-Wrestrict) on "{" + string
    entry += title;
    add_menu_item(parent, -handle, entry);
  }
  return handle;
}

void SimWindowSystem::add_menu_item(int menu, int command, std::string_view text) {
  const auto found = menus_.find(menu);
  if (found == menus_.end()) return;
  found->second.texts.emplace_back(text);
  found->second.commands.push_back(command);
}

void SimWindowSystem::add_menu_separator(int menu) {
  add_menu_item(menu, 0, "-");
}

// A tick the user sees is written to the transcript when it changes.
void SimWindowSystem::set_menu_item_checked(int window, int command, bool checked) {
  Window* w = window_of(window);
  if (w == nullptr || w->checked_commands.contains(command) == checked) return;
  if (checked) {
    w->checked_commands.insert(command);
  } else {
    w->checked_commands.erase(command);
  }
  transcript_.write("menu-check " + std::to_string(command) + (checked ? " on" : " off"));
}

bool SimWindowSystem::menu_item_checked(int window, int command) const {
  const Window* w = window_of(window);
  return w != nullptr && w->checked_commands.contains(command);
}

int SimWindowSystem::popup_menu(int window) {
  Window* w = window_of(window);
  if (w == nullptr) return 0;
  if (w->popup == 0) w->popup = next_menu_++;
  menus_[w->popup] = Menu{};
  return w->popup;
}

// The pop-up menu shows its items, separators as "-".
void SimWindowSystem::show_popup_menu(int window) {
  const Window* w = window_of(window);
  if (w == nullptr || w->popup == 0) return;
  std::string line = "popup";
  for (const std::string& text : menu_texts(w->popup)) {
    line += ' ';
    line += in_quotes(text);
  }
  transcript_.write(line);
}

std::vector<std::string> SimWindowSystem::menu_texts(int menu) const {
  const auto found = menus_.find(menu);
  return found == menus_.end() ? std::vector<std::string>{} : found->second.texts;
}

std::vector<int> SimWindowSystem::menu_commands(int menu) const {
  const auto found = menus_.find(menu);
  return found == menus_.end() ? std::vector<int>{} : found->second.commands;
}

int SimWindowSystem::menu_bar_count(int window) const {
  const Window* w = window_of(window);
  return w == nullptr ? 0 : static_cast<int>(w->menu_bar.size());
}

int SimWindowSystem::menu_handle_at(int window, int index) const {
  const Window* w = window_of(window);
  if (w == nullptr || index < 0 || index >= static_cast<int>(w->menu_bar.size())) return 0;
  return w->menu_bar[static_cast<std::size_t>(index)];
}

// Alt and the underlined letter of a menu of the bar open it with its first entry highlighted.
bool SimWindowSystem::open_menu_of_letter(Window& w, int key) {
  for (const int handle : w.menu_bar) {
    if (mnemonic_of(menus_.at(handle).texts.front()) != key) continue;
    open_menu_ = {handle, 0};
    step_in_menu(1);
    return true;
  }
  return false;
}

// The menu takes the keys: the arrows go from entry to entry round the menu, Return or an
// entry's letter chooses it, Escape closes the menu.
void SimWindowSystem::menu_key(int key) {
  const Menu& menu = menus_.at(open_menu_.handle);
  if (key == vk::escape) {
    open_menu_ = {};
  } else if (key == vk::down || key == vk::up) {
    step_in_menu(key == vk::down ? 1 : -1);
  } else if (key == vk::enter || key == vk::space) {
    choose_entry(open_menu_.entry);
  } else {
    for (std::size_t entry = 0; entry < menu.texts.size(); ++entry) {
      if (menu.commands[entry] == 0 || mnemonic_of(menu.texts[entry]) != key) continue;
      choose_entry(static_cast<int>(entry));
      return;
    }
  }
}

// Separators and the title of a menu of the bar are passed over.
void SimWindowSystem::step_in_menu(int step) {
  const Menu& menu = menus_.at(open_menu_.handle);
  const int count = static_cast<int>(menu.texts.size());
  for (int tries = 0, entry = open_menu_.entry; tries < count; ++tries) {
    entry = ((entry + step) % count + count) % count;
    if (menu.commands[static_cast<std::size_t>(entry)] == 0) continue;
    open_menu_.entry = entry;
    return;
  }
}

// An item closes the menu and gives its command; a sub-menu opens in its place.
void SimWindowSystem::choose_entry(int entry) {
  const Menu& menu = menus_.at(open_menu_.handle);
  if (entry < 0 || entry >= static_cast<int>(menu.commands.size())) return;
  const int command = menu.commands[static_cast<std::size_t>(entry)];
  if (command < 0) {
    open_menu_ = {-command, -1};
    step_in_menu(1);
  } else if (command > 0) {
    open_menu_ = {};
    post({.kind = RawEvent::Kind::command, .window = foreground_, .id = command});
  }
}

}  // namespace tavelo
