#include "platform/sim/sim_control.hpp"

#include <algorithm>
#include <cctype>

#include "platform/control_kinds.hpp"

namespace tavelo {

namespace {

bool held(int modifiers, int bit) {
  return (modifiers & bit) != 0;
}

int last_item(const SimControl& c) {
  return static_cast<int>(c.items.size()) - 1;
}

bool read_only(const SimControl& c) {
  return (c.flags & kReadOnly) != 0;
}

KeyUse moved_caret(SimControl& c, CaretMove move, bool extend) {
  move_caret(c.text, c.selection, move, extend);
  return KeyUse::used;
}

KeyUse edited(SimControl& c, void (*edit)(std::string&, TextSelection&)) {
  if (read_only(c)) return KeyUse::none;
  edit(c.text, c.selection);
  if (c.kind == ControlKind::combo_box) c.state = -1;  // a text of its own is none of its items
  return KeyUse::used;
}

std::optional<CaretMove> caret_move(const SimControl& c, int key, int modifiers) {
  const bool lines = c.kind == ControlKind::editor;
  const bool whole = held(modifiers, kShortcutControl);
  switch (key) {
    case vk::left:
      return CaretMove::left;
    case vk::right:
      return CaretMove::right;
    case vk::home:
      return whole ? CaretMove::text_start : CaretMove::line_start;
    case vk::end:
      return whole ? CaretMove::text_end : CaretMove::line_end;
    case vk::up:
      return lines ? std::optional(CaretMove::line_up) : std::nullopt;
    case vk::down:
      return lines ? std::optional(CaretMove::line_down) : std::nullopt;
    default:
      return std::nullopt;
  }
}

KeyUse text_key(SimControl& c, int key, int modifiers) {
  const bool shift = held(modifiers, kShortcutShift);
  if (held(modifiers, kShortcutAlt)) return KeyUse::none;
  if (const std::optional<CaretMove> move = caret_move(c, key, modifiers)) {
    return moved_caret(c, *move, shift);
  }
  if (held(modifiers, kShortcutControl)) {
    if (key != 'A') return KeyUse::none;
    select_range(c.text, c.selection, 0, length_in_characters(c.text));
    return KeyUse::used;
  }
  if (key == vk::back) return edited(c, erase_before);
  if (key == vk::delete_key) return edited(c, erase_after);
  if (key == vk::enter && c.kind == ControlKind::editor && !read_only(c)) {
    type_over(c.text, c.selection, "\n");
    return KeyUse::used;
  }
  const std::optional<char> typed = character_of_key(key, shift);
  if (!typed || read_only(c)) return KeyUse::none;
  take_typed_text(c, std::string(1, *typed));
  return KeyUse::used;
}

KeyUse selected(SimControl& c, int index) {
  index = std::clamp(index, 0, last_item(c));
  if (index == c.state) return KeyUse::none;
  select_item(c, index);
  return KeyUse::changed;
}

// The next item, round the list, whose text begins with the key's letter or digit; in a tree,
// among the rows shown.
bool begins_with(const ListItem& item, int key) {
  return !item.text.empty() && std::toupper(static_cast<unsigned char>(item.text.front())) == key;
}

// Rows of a tree show when every node above them is open.
bool shown(const SimControl& c, int index) {
  int level = c.items[static_cast<std::size_t>(index)].level;
  for (int i = index - 1; i >= 0 && level > 0; --i) {
    const ListItem& above = c.items[static_cast<std::size_t>(i)];
    if (above.level >= level) continue;
    if (!c.open[static_cast<std::size_t>(i)]) return false;
    level = above.level;
  }
  return true;
}

KeyUse to_initial(SimControl& c, int key) {
  const int count = static_cast<int>(c.items.size());
  for (int step = 1; step <= count; ++step) {
    const int index = (std::max(c.state, -1) + step + count) % count;
    if (begins_with(c.items[static_cast<std::size_t>(index)], key) && shown(c, index)) {
      return selected(c, index);
    }
  }
  return KeyUse::none;
}

bool letter_or_digit(int key) {
  return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
}

// A list of several: a plain arrow selects one item, Shift extends the selection from the
// anchor, Control moves the focus alone and Control+Space adds or takes away the focused item.
KeyUse several_key(SimControl& c, int key, int modifiers) {
  const int step = key == vk::down ? 1 : key == vk::up ? -1 : 0;
  const bool control = held(modifiers, kShortcutControl);
  if (key == vk::space && control && c.state >= 0) {
    ListItem& item = c.items[static_cast<std::size_t>(c.state)];
    item.marked = !item.marked;
    c.anchor_item = c.state;
    return KeyUse::changed;
  }
  if (step == 0) return KeyUse::none;
  const int focus = std::clamp(c.state < 0 ? 0 : c.state + step, 0, last_item(c));
  if (control) {
    c.state = focus;
    return KeyUse::used;
  }
  if (!held(modifiers, kShortcutShift) || c.anchor_item < 0) c.anchor_item = focus;
  for (int i = 0; i <= last_item(c); ++i) {
    c.items[static_cast<std::size_t>(i)].marked =
        i >= std::min(c.anchor_item, focus) && i <= std::max(c.anchor_item, focus);
  }
  c.state = focus;
  return KeyUse::changed;
}

KeyUse list_key(SimControl& c, int key, int modifiers) {
  if (c.items.empty()) return KeyUse::none;
  if (selects_several(c.kind, c.flags)) return several_key(c, key, modifiers);
  if (key == vk::space && modifiers == 0 && is_check_list(c.kind, c.flags) && c.state >= 0) {
    ListItem& item = c.items[static_cast<std::size_t>(c.state)];
    item.marked = !item.marked;
    return KeyUse::changed;
  }
  if (modifiers != 0 && modifiers != kShortcutShift) return KeyUse::none;
  const bool grid = c.kind == ControlKind::multi_list;
  switch (key) {
    case vk::up:
      if (grid) return c.grid_columns > 0 ? selected(c, c.state - c.grid_columns) : KeyUse::none;
      return selected(c, c.state - 1);
    case vk::down:
      if (grid) return c.grid_columns > 0 ? selected(c, c.state + c.grid_columns) : KeyUse::none;
      return selected(c, c.state + 1);
    case vk::left:
      return grid ? selected(c, c.state - 1) : KeyUse::none;
    case vk::right:
      return grid ? selected(c, c.state + 1) : KeyUse::none;
    case vk::home:
      return selected(c, 0);
    case vk::end:
      return selected(c, last_item(c));
    default:
      return letter_or_digit(key) && !grid ? to_initial(c, key) : KeyUse::none;
  }
}

int shown_beside(const SimControl& c, int step) {
  for (int i = c.state + step; i >= 0 && i <= last_item(c); i += step) {
    if (shown(c, i)) return i;
  }
  return c.state;
}

bool has_inner_rows(const SimControl& c, int index) {
  return index < last_item(c) && c.items[static_cast<std::size_t>(index) + 1].level >
                                     c.items[static_cast<std::size_t>(index)].level;
}

int parent_of(const SimControl& c, int index) {
  const int level = c.items[static_cast<std::size_t>(index)].level;
  for (int i = index - 1; i >= 0; --i) {
    if (c.items[static_cast<std::size_t>(i)].level < level) return i;
  }
  return index;
}

// Right opens a closed node and goes into an open one; Left closes an open node and goes up
// from any other row.
KeyUse tree_key(SimControl& c, int key, int modifiers) {
  if (c.items.empty() || modifiers != 0) return KeyUse::none;
  const int at = std::max(c.state, 0);
  const bool open = c.open[static_cast<std::size_t>(at)] && has_inner_rows(c, at);
  switch (key) {
    case vk::up:
      return selected(c, c.state < 0 ? 0 : shown_beside(c, -1));
    case vk::down:
      return selected(c, c.state < 0 ? 0 : shown_beside(c, 1));
    case vk::right:
      if (!has_inner_rows(c, at)) return KeyUse::none;
      if (open) return selected(c, at + 1);
      c.open[static_cast<std::size_t>(at)] = true;
      return KeyUse::used;
    case vk::left:
      if (!open) return selected(c, parent_of(c, at));
      c.open[static_cast<std::size_t>(at)] = false;
      return KeyUse::used;
    default:
      return letter_or_digit(key) ? to_initial(c, key) : KeyUse::none;
  }
}

KeyUse combo_key(SimControl& c, int key, int modifiers) {
  if (c.items.empty() || modifiers != 0) return KeyUse::none;
  if (key == vk::down) return selected(c, c.state + 1);
  if (key == vk::up) return selected(c, c.state < 0 ? last_item(c) : c.state - 1);
  return KeyUse::none;
}

// Left and Right turn to the page beside, up to the first or the last one; Control+Tab turns
// to the next page and Control+Shift+Tab to the one before, round the pages.
KeyUse page_key(SimControl& c, int key, int modifiers) {
  const int pages = static_cast<int>(c.items.size());
  if (pages == 0) return KeyUse::none;
  int page = c.state;
  if (key == vk::tab && (modifiers & ~kShortcutShift) == kShortcutControl) {
    page = (c.state + (held(modifiers, kShortcutShift) ? pages - 1 : 1)) % pages;
  } else if (modifiers != 0) {
    return KeyUse::none;
  } else if (key == vk::left || key == vk::right) {
    page = std::clamp(c.state + (key == vk::left ? -1 : 1), 0, pages - 1);
  } else {
    return KeyUse::none;
  }
  if (page == c.state) return KeyUse::used;
  c.state = page;
  return KeyUse::changed;
}

}  // namespace

bool has_items(ControlKind kind) {
  return kind == ControlKind::combo_box || kind == ControlKind::list_box ||
         kind == ControlKind::multi_list || kind == ControlKind::tree;
}

bool takes_text(const SimControl& c) {
  return c.kind == ControlKind::text_field || c.kind == ControlKind::editor ||
         is_editable_combo(c.kind, c.flags);
}

void select_item(SimControl& c, int index) {
  c.state = std::clamp(index, -1, last_item(c));
  if (selects_several(c.kind, c.flags)) {
    for (int i = 0; i <= last_item(c); ++i) {
      c.items[static_cast<std::size_t>(i)].marked = i == c.state;
    }
    c.anchor_item = c.state;
  }
  // A combo box shows its item in its field, selected, so that typing replaces it.
  if (c.kind == ControlKind::combo_box && c.state >= 0) {
    set_text(c, c.items[static_cast<std::size_t>(c.state)].text);
    select_range(c.text, c.selection, 0, length_in_characters(c.text));
  }
  for (int i = c.state; c.kind == ControlKind::tree && i >= 0;) {
    const int parent = parent_of(c, i);
    if (parent == i) break;
    c.open[static_cast<std::size_t>(parent)] = true;
    i = parent;
  }
}

void set_text(SimControl& c, std::string_view text) {
  c.text = c.kind == ControlKind::editor ? with_line_feeds(text) : std::string(text);
  c.selection = {};
}

KeyUse use_key(SimControl& c, int key, int modifiers) {
  const bool arrow_on_combo =
      c.kind == ControlKind::combo_box && (key == vk::up || key == vk::down);
  if (takes_text(c) && !arrow_on_combo) return text_key(c, key, modifiers);
  switch (c.kind) {
    case ControlKind::list_box:
    case ControlKind::multi_list:
      return list_key(c, key, modifiers);
    case ControlKind::tree:
      return tree_key(c, key, modifiers);
    case ControlKind::combo_box:
      return combo_key(c, key, modifiers);
    case ControlKind::tab_panel:
      return page_key(c, key, modifiers);
    default:
      return KeyUse::none;
  }
}

void take_typed_text(SimControl& c, std::string_view typed) {
  if (!takes_text(c) || read_only(c)) return;
  const bool digits = c.kind == ControlKind::text_field && (c.flags & kDigitsOnly) != 0;
  type_over(c.text, c.selection, digits ? digits_of(typed) : std::string(typed));
  if (c.kind == ControlKind::combo_box) c.state = -1;
}

}  // namespace tavelo
