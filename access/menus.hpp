#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

namespace tavelo {

inline constexpr std::size_t kMenuItems = 24;

// Adds a menu to the current window's menu bar. Item markup: "-" first adds a separator before
// the item, "{" opens a sub-menu titled with the rest, "}" adds the last item of the sub-menu;
// empty items are skipped. Items take consecutive menu numbers from `first` (above 0), or on
// from the last number given. Only the first 24 items count. SaveDialog keeps the menu bar.
void BuildMenu(std::string_view title, int first, std::span<const std::string_view> items);
void BuildMenu(std::string_view title, int first, std::initializer_list<std::string_view> items);
// The same, filling the window's pop-up menu, emptied first.
void BuildPopupMenu(std::string_view title, int first, std::span<const std::string_view> items);
void BuildPopupMenu(std::string_view title, int first,
                    std::initializer_list<std::string_view> items);
// Opens the pop-up menu of the current window; its items come as "menu" + number.
void ShowPopupMenu();

// Shows a tick beside the menu item of the current window, or takes it away; a restored window
// shows it again.
void CheckMenuItem(int item, bool checked);

// The edit menu at menu numbers base .. base + 7 (base 0 means 1); language 1 is English.
void AddEditMenu(int base, int language);
// The first item of the current window's edit menu; 1 when it has none.
int EditMenuBase();

}  // namespace tavelo
