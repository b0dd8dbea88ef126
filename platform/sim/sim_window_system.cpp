#include "platform/sim/sim_window_system.hpp"

#include <algorithm>

#include "platform/control_kinds.hpp"

namespace tavelo {

namespace {

bool can_take_focus(ControlKind kind) {
  return kind != ControlKind::label;
}

bool hidden_or_disabled(int flags) {
  return (flags & (kHidden | kDisabled)) != 0;
}

int virtual_key_of(char32_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 'A');
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<int>(c);
  if (c == ' ') return vk::space;
  return 0;
}

}  // namespace

SimWindowSystem::SimWindowSystem(Clock& clock, Transcript& transcript)
    : clock_(clock), transcript_(transcript) {}

SimWindowSystem::Window* SimWindowSystem::window_of(int window) {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

const SimWindowSystem::Window* SimWindowSystem::window_of(int window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

SimWindowSystem::Control* SimWindowSystem::control_of(int window, int number) {
  Window* w = window_of(window);
  if (w == nullptr) return nullptr;
  const auto found = w->controls.find(number);
  return found == w->controls.end() ? nullptr : &found->second;
}

const SimWindowSystem::Control* SimWindowSystem::control_of(int window, int number) const {
  const Window* w = window_of(window);
  if (w == nullptr) return nullptr;
  const auto found = w->controls.find(number);
  return found == w->controls.end() ? nullptr : &found->second;
}

SimWindowSystem::Window& SimWindowSystem::current() {
  Window* w = window_of(foreground_);
  if (w == nullptr) throw std::logic_error("aucune fenêtre n'est ouverte");
  return *w;
}

SimWindowSystem::Window& SimWindowSystem::reachable() {
  Window& w = current();
  if (!w.shown)
    throw std::invalid_argument("la fenêtre " + in_quotes(w.shape.title) + " est cachée");
  return w;
}

// A window opened hidden says so instead of appearing.
int SimWindowSystem::open_window(const WindowSpec& wanted) {
  const int number = next_window_++;
  Window& w = windows_[number];
  w.shape = wanted;
  w.shown = !wanted.hidden;
  foreground_ = number;
  open_menu_ = {};
  active_ = w.shown;
  transcript_.write((w.shown ? "window " : "hide ") + in_quotes(wanted.title));
  if (w.shown) post({.kind = RawEvent::Kind::activated, .window = number});
  return number;
}

// Showing a window activates it; hiding it takes the activation away.
void SimWindowSystem::show_window(int window, bool shown) {
  Window* w = window_of(window);
  if (w == nullptr || w->shown == shown) return;
  w->shown = shown;
  transcript_.write((shown ? "show " : "hide ") + in_quotes(w->shape.title));
  if (window != foreground_) return;
  active_ = shown;
  post({.kind = shown ? RawEvent::Kind::activated : RawEvent::Kind::deactivated, .window = window});
}

void SimWindowSystem::close_window(int window) {
  if (windows_.erase(window) == 0) return;
  open_menu_ = {};
  std::erase_if(queue_, [window](const RawEvent& e) {
    return e.window == window && e.kind != RawEvent::Kind::tray;
  });
  if (foreground_ == window) foreground_ = windows_.empty() ? 0 : windows_.rbegin()->first;
}

void SimWindowSystem::set_window_title(int window, std::string_view title) {
  Window* w = window_of(window);
  if (w == nullptr || w->shape.title == title) return;
  w->shape.title = title;
  transcript_.write("window " + in_quotes(title));
}

bool SimWindowSystem::program_in_foreground() const {
  const Window* w = window_of(foreground_);
  return active_ && w != nullptr && w->shown;
}

void SimWindowSystem::set_control_name(int window, int number, std::string_view name) {
  if (Control* c = control_of(window, number)) c->name = name;
}

std::string SimWindowSystem::window_title(int window) const {
  const Window* w = window_of(window);
  return w == nullptr ? std::string() : w->shape.title;
}

void SimWindowSystem::place_control(int window, int number, ControlKind kind, const PixelRect& rect,
                                    std::string_view text, int flags) {
  Window* w = window_of(window);
  if (w == nullptr) return;
  const bool exists = w->controls.contains(number);
  Control& c = w->controls[number];
  if (!exists) {
    c.kind = kind;
    c.state = has_items(kind) ? -1 : 0;
    w->creation_order.push_back(number);
  }
  c.rect = rect;
  c.flags = flags;
  set_text(c, text);
}

void SimWindowSystem::remove_control(int window, int number) {
  Window* w = window_of(window);
  if (w == nullptr || w->controls.erase(number) == 0) return;
  std::erase(w->creation_order, number);
  if (w->focus == number) w->focus = -1;
  std::erase_if(queue_, [&](const RawEvent& e) {
    return e.window == window && e.kind == RawEvent::Kind::control && e.id == number;
  });
}

std::optional<ControlKind> SimWindowSystem::control_kind(int window, int number) const {
  const Control* c = control_of(window, number);
  if (c == nullptr) return std::nullopt;
  return c->kind;
}

std::string SimWindowSystem::control_text(int window, int number) const {
  const Control* c = control_of(window, number);
  return c == nullptr ? std::string() : c->text;
}

void SimWindowSystem::set_control_text(int window, int number, std::string_view text) {
  Control* c = control_of(window, number);
  if (c == nullptr) return;
  set_text(*c, text);
  // A text of its own in an editable combo box is none of its items.
  if (is_editable_combo(c->kind, c->flags)) c->state = -1;
}

int SimWindowSystem::control_flags(int window, int number) const {
  const Control* c = control_of(window, number);
  return c == nullptr ? 0 : c->flags;
}

void SimWindowSystem::set_grid_columns(int window, int number, int columns) {
  if (Control* c = control_of(window, number)) c->grid_columns = columns;
}

void SimWindowSystem::set_control_flags(int window, int number, int flags) {
  if (Control* c = control_of(window, number)) c->flags = flags;
}

// A list of several gives its focused item while any item is selected, -1 when none is.
int SimWindowSystem::control_state(int window, int number) const {
  const Control* c = control_of(window, number);
  if (c == nullptr) return 0;
  if (!selects_several(c->kind, c->flags)) return c->state;
  const auto marked = std::find_if(c->items.begin(), c->items.end(),
                                   [](const ListItem& item) { return item.marked; });
  if (marked == c->items.end()) return -1;
  return c->state >= 0 ? c->state : static_cast<int>(marked - c->items.begin());
}

void SimWindowSystem::set_control_state(int window, int number, int state) {
  Control* c = control_of(window, number);
  if (c == nullptr) return;
  if (has_items(c->kind)) {
    select_item(*c, state);
    return;
  }
  if (c->kind == ControlKind::option && state != 0) uncheck_group_of(window, number);
  c->state = state;
}

// The numbers of the options of the option's group, in order.
std::vector<int> SimWindowSystem::group_of(int window, int number) const {
  const auto joins_before = [&](int n) {
    const Control* c = control_of(window, n);
    return c != nullptr && joins_group_before(c->kind, c->flags) &&
           control_kind(window, n - 1) == ControlKind::option;
  };
  int first = number;
  while (joins_before(first)) --first;
  std::vector<int> group{first};
  for (int n = first + 1; joins_before(n); ++n) group.push_back(n);
  return group;
}

// Options exclude each other within their group.
void SimWindowSystem::uncheck_group_of(int window, int number) {
  for (const int n : group_of(window, number)) control_of(window, n)->state = 0;
}

// Tab stops at one option of a group: the checked one, or the first when none is; options that
// are hidden or disabled are passed by.
bool SimWindowSystem::tab_stop(int window, int number) const {
  const Control* c = control_of(window, number);
  if (c == nullptr || !can_take_focus(c->kind) || hidden_or_disabled(c->flags)) return false;
  if (c->kind != ControlKind::option) return true;
  std::vector<int> group = group_of(window, number);
  std::erase_if(group, [&](int n) { return hidden_or_disabled(control_of(window, n)->flags); });
  const auto checked = std::find_if(group.begin(), group.end(),
                                    [&](int n) { return control_state(window, n) != 0; });
  return number == (checked == group.end() ? group.front() : *checked);
}

void SimWindowSystem::add_item(int window, int number, const ListItem& item) {
  Control* c = control_of(window, number);
  if (c == nullptr) return;
  c->items.push_back(item);
  c->items.back().marked = item.marked && keeps_marks(c->kind, c->flags);
  c->open.push_back(false);
}

void SimWindowSystem::clear_items(int window, int number) {
  if (Control* c = control_of(window, number)) {
    c->items.clear();
    c->open.clear();
    c->state = -1;
  }
}

int SimWindowSystem::item_count(int window, int number) const {
  const Control* c = control_of(window, number);
  return c == nullptr ? 0 : static_cast<int>(c->items.size());
}

ListItem SimWindowSystem::item(int window, int number, int index) const {
  const Control* c = control_of(window, number);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
  return c->items[static_cast<std::size_t>(index)];
}

void SimWindowSystem::set_item_marked(int window, int number, int index, bool marked) {
  Control* c = control_of(window, number);
  if (c == nullptr || !keeps_marks(c->kind, c->flags) || index < 0 ||
      index >= static_cast<int>(c->items.size())) {
    return;
  }
  c->items[static_cast<std::size_t>(index)].marked = marked;
}

CaretPosition SimWindowSystem::caret(int window, int number) const {
  const Control* c = control_of(window, number);
  return c == nullptr ? CaretPosition{} : caret_position(c->text, c->selection.caret);
}

void SimWindowSystem::set_caret(int window, int number, CaretPosition position) {
  Control* c = control_of(window, number);
  if (c == nullptr) return;
  c->selection.caret = c->selection.anchor = offset_of(c->text, position);
}

// The caret goes after the text, as on Windows.
void SimWindowSystem::select_all_text(int window, int number) {
  Control* c = control_of(window, number);
  if (c != nullptr && takes_text(*c))
    select_range(c->text, c->selection, 0, length_in_characters(c->text));
}

void SimWindowSystem::select_text(int window, int number, int start, int length) {
  Control* c = control_of(window, number);
  if (c == nullptr || start < 0 || length < 0) return;
  select_range(c->text, c->selection, start, length);
  transcript_.write("selected " + std::to_string(number) + " " +
                    in_quotes(selected_text(c->text, c->selection)));
}

int SimWindowSystem::focused_control(int window) const {
  const Window* w = window_of(window);
  return w == nullptr ? -1 : w->focus;
}

void SimWindowSystem::set_focus(int window, int number) {
  Window* w = window_of(window);
  if (w != nullptr && w->controls.contains(number)) focus_control(*w, number);
}

// A field of one line has its text selected when the focus comes to it, as native ones do.
void SimWindowSystem::focus_control(Window& window, int number) {
  if (window.focus == number) return;
  window.focus = number;
  Control& c = window.controls.at(number);
  if (takes_text(c) && c.kind != ControlKind::editor) {
    select_range(c.text, c.selection, 0, length_in_characters(c.text));
  }
  transcript_.write("focus " + std::to_string(number) + " " +
                    in_quotes(accessible_name(window, number)));
}

// What a screen reader says for the control: its caption, or the label numbered just before it,
// or else the label created just before it.
std::string SimWindowSystem::accessible_name(const Window& window, int number) const {
  const Control& c = window.controls.at(number);
  if (!c.name.empty()) return c.name;
  switch (c.kind) {
    case ControlKind::button:
    case ControlKind::check_box:
    case ControlKind::option:
    case ControlKind::label:
      return without_ampersands(c.text);
    default:
      break;
  }
  const auto is_label = [&window](int n) {
    const auto found = window.controls.find(n);
    return found != window.controls.end() && found->second.kind == ControlKind::label;
  };
  if (is_label(number - 1)) return without_ampersands(window.controls.at(number - 1).text);
  const auto created = std::find(window.creation_order.begin(), window.creation_order.end(), number);
  if (created != window.creation_order.begin() && created != window.creation_order.end() &&
      is_label(*std::prev(created))) {
    return without_ampersands(window.controls.at(*std::prev(created)).text);
  }
  return {};
}

void SimWindowSystem::add_shortcut(int window, int shortcut, int command) {
  if (Window* w = window_of(window)) w->shortcuts[shortcut] = command;
}

void SimWindowSystem::remove_shortcut(int window, int shortcut) {
  if (Window* w = window_of(window)) w->shortcuts.erase(shortcut);
}

bool SimWindowSystem::has_shortcut(int window, int shortcut) const {
  const Window* w = window_of(window);
  return w != nullptr && w->shortcuts.contains(shortcut);
}

PixelRect SimWindowSystem::control_rect(int window, int number) const {
  const Control* c = control_of(window, number);
  return c == nullptr ? PixelRect{} : c->rect;
}

void SimWindowSystem::start_timer(int window, int id, int interval_ms) {
  if (Window* w = window_of(window)) {
    const int interval = std::max(interval_ms, 1);
    w->timers[id] = Timer{interval, clock_.tick() + static_cast<std::uint32_t>(interval)};
  }
}

void SimWindowSystem::stop_timer(int window, int id) {
  if (Window* w = window_of(window)) w->timers.erase(id);
}

bool SimWindowSystem::timer_running(int window, int id) const {
  const Window* w = window_of(window);
  return w != nullptr && w->timers.contains(id);
}

std::uint16_t SimWindowSystem::key_state(int key) const {
  if (key < 0 || key > 255) return 0;
  return keys_[static_cast<std::size_t>(key)];
}

void SimWindowSystem::synthesize_key(int key, bool down) {
  if (key < 0 || key > 255) return;
  if (down) {
    press(key);
  } else if (keys_[static_cast<std::size_t>(key)] != 0) {
    release(key);
  }
}

void SimWindowSystem::post(RawEvent event) {
  queue_.push_back(event);
}

int SimWindowSystem::held_modifiers() const {
  int modifiers = 0;
  if (key_state(vk::shift) != 0) modifiers |= kShortcutShift;
  if (key_state(vk::control) != 0) modifiers |= kShortcutControl;
  if (key_state(vk::alt) != 0) modifiers |= kShortcutAlt;
  return modifiers;
}

void SimWindowSystem::press(int key) {
  if (key <= 0 || key > 255) return;
  const bool watched_was_down = key_state(watched_key_) != 0;
  keys_[static_cast<std::size_t>(key)] = 0x8000;
  // The side-specific keys hold their common key too, as on Windows.
  if (key == vk::left_shift || key == vk::right_shift) keys_[vk::shift] = 0x8000;
  if (key == vk::left_control || key == vk::right_control) keys_[vk::control] = 0x8000;
  if (key == vk::shift) keys_[vk::left_shift] = 0x8000;
  if (key == vk::control) keys_[vk::left_control] = 0x8000;
  if (watched_key_ != 0 && !watched_was_down && key_state(watched_key_) != 0) {
    post({.kind = RawEvent::Kind::desktop_key, .key = watched_key_});
  }
  Window* w = window_of(foreground_);
  keys_unseen_ = true;
  if (w == nullptr || !active_ || !w->shown) return;
  if (open_menu_.handle != 0) {
    pressed_on_.erase(key);
    if (!vk::is_modifier(key)) menu_key(key);
    return;
  }
  const int window = foreground_;
  const int modifiers = held_modifiers();
  const bool alt = (modifiers & kShortcutAlt) != 0;
  if (alt) post({.kind = RawEvent::Kind::system_key_down, .window = window, .key = key});
  if (vk::is_modifier(key)) return;
  const auto shortcut = w->shortcuts.find(key | modifiers);
  if (shortcut != w->shortcuts.end()) {
    pressed_on_[key] = {window, -2};
    post({.kind = RawEvent::Kind::command, .window = window, .id = shortcut->second});
    return;
  }
  pressed_on_[key] = {window, w->focus};
  if (alt) {
    post({.kind = RawEvent::Kind::system_char, .window = window, .key = key});
    open_menu_of_letter(*w, key);
    return;
  }
  if (key == vk::tab && !(modifiers & kShortcutControl)) {
    pressed_on_[key] = {window, -2};
    move_focus((modifiers & kShortcutShift) ? -1 : 1);
    return;
  }
  const bool character = vk::types_character(key) && !(modifiers & kShortcutControl);
  post({.kind = RawEvent::Kind::key_down,
        .window = window,
        .id = w->focus,
        .key = key,
        .character = character});
  use_key_on_focus(*w, key, modifiers);
}

void SimWindowSystem::use_key_on_focus(Window& w, int key, int modifiers) {
  const auto focused = w.controls.find(w.focus);
  if (focused == w.controls.end()) return;
  if (use_key(focused->second, key, modifiers) == KeyUse::changed) post_change(w.focus);
}

void SimWindowSystem::release(int key) {
  if (key <= 0 || key > 255 || keys_[static_cast<std::size_t>(key)] == 0) return;
  keys_[static_cast<std::size_t>(key)] = 0;
  if (key == vk::left_shift || key == vk::right_shift || key == vk::shift) {
    keys_[vk::shift] = keys_[vk::left_shift] = keys_[vk::right_shift] = 0;
  }
  if (key == vk::left_control || key == vk::right_control || key == vk::control) {
    keys_[vk::control] = keys_[vk::left_control] = keys_[vk::right_control] = 0;
  }
  const Window* shown = window_of(foreground_);
  if (shown == nullptr || !active_ || !shown->shown) return;
  // Where the key went down: no control when a shortcut, Tab or a menu took it.
  std::pair<int, int> down_on{0, -2};
  if (const auto pressed = pressed_on_.find(key); pressed != pressed_on_.end()) {
    down_on = pressed->second;
    pressed_on_.erase(pressed);
  }
  if (open_menu_.handle != 0) return;  // an open menu takes the releases too
  const bool system = key == vk::alt || key_state(vk::alt) != 0;
  post({.kind = system ? RawEvent::Kind::system_key_up : RawEvent::Kind::key_up,
        .window = foreground_,
        .key = key});
  // A key that went down in a window now replaced clicks nothing in the new one.
  const auto [window, on] = down_on;
  if (on == -2 || system || window != foreground_) return;
  const std::optional<ControlKind> kind = control_kind(foreground_, on);
  const bool clickable =
      kind == ControlKind::button || kind == ControlKind::check_box || kind == ControlKind::option;
  if ((key == vk::space && clickable) || (key == vk::enter && kind == ControlKind::button)) {
    post_click(on);
  }
}

void SimWindowSystem::post_click(int number) {
  Control* c = control_of(foreground_, number);
  if (c == nullptr) return;
  if (c->kind == ControlKind::check_box) c->state = c->state == 0 ? 1 : 0;
  if (c->kind == ControlKind::option) set_control_state(foreground_, number, 1);
  post({.kind = RawEvent::Kind::control,
        .window = foreground_,
        .id = number,
        .notification = Notification::click});
}

// Tab goes round the controls in their order of creation.
void SimWindowSystem::move_focus(int step) {
  Window& w = current();
  const std::vector<int>& order = w.creation_order;
  const auto count = static_cast<std::ptrdiff_t>(order.size());
  const auto at = std::find(order.begin(), order.end(), w.focus);
  std::ptrdiff_t index = at == order.end() ? (step > 0 ? -1 : count) : at - order.begin();
  for (std::ptrdiff_t tries = 0; tries < count; ++tries) {
    index = ((index + step) % count + count) % count;
    const int number = order[static_cast<std::size_t>(index)];
    if (tab_stop(foreground_, number)) {
      focus_control(w, number);
      return;
    }
  }
}

// Each character goes down and up as the user types it.
void SimWindowSystem::type_text(std::string_view text) {
  Window& w = reachable();
  if (Control* c = control_of(foreground_, w.focus)) take_typed_text(*c, text);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    const int key = virtual_key_of(static_cast<unsigned char>(text[i]));
    post({.kind = RawEvent::Kind::key_down,
          .window = foreground_,
          .id = w.focus,
          .key = key,
          .character = true});
    post({.kind = RawEvent::Kind::key_up, .window = foreground_, .key = key});
  }
}

// The user reaches only the controls that show and are enabled.
SimWindowSystem::Control& SimWindowSystem::reachable_control(int number) {
  reachable();
  Control* c = control_of(foreground_, number);
  if (c == nullptr) throw std::invalid_argument("aucun contrôle " + std::to_string(number));
  if (hidden_or_disabled(c->flags)) {
    throw std::invalid_argument("le contrôle " + std::to_string(number) +
                                " est caché ou désactivé");
  }
  return *c;
}

void SimWindowSystem::user_focus(int number) {
  reachable_control(number);
  focus_control(current(), number);
}

void SimWindowSystem::click(int number) {
  const Control* c = &reachable_control(number);
  if (can_take_focus(c->kind)) focus_control(current(), number);
  post_click(number);
}

SimWindowSystem::Control& SimWindowSystem::control_with_item(int number, int index) {
  Control* c = &reachable_control(number);
  if (index < 0 || index >= static_cast<int>(c->items.size())) {
    throw std::invalid_argument("le contrôle " + std::to_string(number) + " n'a pas d'élément " +
                                std::to_string(index));
  }
  return *c;
}

void SimWindowSystem::post_change(int number) {
  post({.kind = RawEvent::Kind::control,
        .window = foreground_,
        .id = number,
        .notification = Notification::change});
}

void SimWindowSystem::select(int number, int index) {
  control_with_item(number, index);
  set_control_state(foreground_, number, index);
  post_change(number);
}

// Marking an item of a list of several also makes it the focused item, as Control+click does.
void SimWindowSystem::mark(int number, int index, bool marked) {
  Control& c = control_with_item(number, index);
  if (!keeps_marks(c.kind, c.flags)) {
    throw std::invalid_argument("le contrôle " + std::to_string(number) +
                                " n'est ni une liste à choix multiple ni une liste à cocher");
  }
  ListItem& item = c.items[static_cast<std::size_t>(index)];
  if (item.marked == marked) return;
  item.marked = marked;
  if (selects_several(c.kind, c.flags)) c.state = c.anchor_item = index;
  post_change(number);
}

void SimWindowSystem::set_checked(int number, bool checked) {
  reachable();
  Control* c = control_of(foreground_, number);
  if (c == nullptr || c->kind != ControlKind::check_box) {
    throw std::invalid_argument("aucune case à cocher " + std::to_string(number));
  }
  if ((c->state != 0) != checked) post_click(number);
}

void SimWindowSystem::choose_menu(int command) {
  post({.kind = RawEvent::Kind::command, .window = foreground_, .id = command});
}

void SimWindowSystem::click_tray(int icon) {
  post({.kind = RawEvent::Kind::tray, .window = foreground_, .id = icon});
}

void SimWindowSystem::ask_close() {
  post({.kind = RawEvent::Kind::close, .window = foreground_});
}

void SimWindowSystem::activate(bool active) {
  if (active_ == active) return;
  active_ = active;
  post({.kind = active ? RawEvent::Kind::activated : RawEvent::Kind::deactivated,
        .window = foreground_});
}

std::optional<std::uint32_t> SimWindowSystem::next_timer_due() const {
  std::optional<std::uint32_t> earliest;
  const std::uint32_t now = clock_.tick();
  for (const auto& [number, window] : windows_) {
    for (const auto& [id, timer] : window.timers) {
      const std::uint32_t due = static_cast<std::int32_t>(timer.due - now) < 0 ? now : timer.due;
      if (!earliest || static_cast<std::int32_t>(due - *earliest) < 0) earliest = due;
    }
  }
  return earliest;
}

bool SimWindowSystem::fire_due_timer() {
  const std::uint32_t now = clock_.tick();
  for (auto& [number, window] : windows_) {
    for (auto& [id, timer] : window.timers) {
      if (static_cast<std::int32_t>(timer.due - now) > 0) continue;
      timer.due = now + static_cast<std::uint32_t>(timer.interval);
      post({.kind = RawEvent::Kind::timer, .window = number, .id = id});
      return true;
    }
  }
  return false;
}

void SimWindowSystem::watch_file(const std::filesystem::path& file) {
  if (file.empty()) {
    std::erase_if(queue_, [](const RawEvent& e) { return e.kind == RawEvent::Kind::file; });
  }
  watched_file_ = file;
  file_seen_.reset();
}

void SimWindowSystem::watch_desktop_key(int key) {
  if (key == 0) {
    std::erase_if(queue_, [](const RawEvent& e) { return e.kind == RawEvent::Kind::desktop_key; });
  }
  watched_key_ = key >= 0 && key <= 255 ? key : 0;
}

bool SimWindowSystem::watched_file_changed() {
  if (watched_file_.empty()) return false;
  std::error_code error;
  const auto time = std::filesystem::last_write_time(watched_file_, error);
  if (error) {
    file_seen_.reset();
    return false;
  }
  if (file_seen_ == time) return false;
  file_seen_ = time;
  return true;
}

void SimWindowSystem::advance_to(std::uint32_t tick) {
  const auto ahead = static_cast<std::int32_t>(tick - clock_.tick());
  if (ahead > 0) clock_.sleep(std::chrono::milliseconds(ahead));
}

RawEvent SimWindowSystem::wait_event(int timeout_ms) {
  const std::optional<std::uint32_t> deadline =
      timeout_ms < 0
          ? std::nullopt
          : std::optional<std::uint32_t>(clock_.tick() + static_cast<std::uint32_t>(timeout_ms));
  for (;;) {
    if (!queue_.empty()) {
      const RawEvent event = queue_.front();
      queue_.pop_front();
      return event;
    }
    if (watched_file_changed()) return RawEvent{.kind = RawEvent::Kind::file};
    if (fire_due_timer()) continue;
    const std::uint32_t now = clock_.tick();
    const std::optional<std::uint32_t> input_due =
        input_ != nullptr ? input_->next_due() : std::nullopt;
    if (input_ != nullptr && !input_due) throw SimSessionOver();
    if (input_due && static_cast<std::int32_t>(*input_due - now) <= 0) {
      keys_unseen_ = false;
      input_->perform(*this);
      if (queue_.empty() && std::exchange(keys_unseen_, false)) return RawEvent{};
      continue;
    }
    std::optional<std::uint32_t> next = deadline;
    for (const auto& candidate : {next_timer_due(), input_due}) {
      if (candidate && (!next || static_cast<std::int32_t>(*candidate - *next) < 0)) {
        next = candidate;
      }
    }
    if (!next) throw SimSessionOver();
    advance_to(*next);
    if (deadline && static_cast<std::int32_t>(clock_.tick() - *deadline) >= 0 && next == deadline) {
      return RawEvent{};
    }
  }
}

}  // namespace tavelo
