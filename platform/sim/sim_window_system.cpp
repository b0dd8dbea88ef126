#include "platform/sim/sim_window_system.hpp"

#include <algorithm>
#include <climits>
#include <filesystem>

#include "platform/files.hpp"
#include "platform/list_kinds.hpp"

namespace tavelo {

namespace {

bool is_editable(ControlKind kind, int flags) {
  return kind == ControlKind::text_field || kind == ControlKind::editor ||
         is_editable_combo(kind, flags);
}

bool has_items(ControlKind kind) {
  return kind == ControlKind::combo_box || kind == ControlKind::list_box ||
         kind == ControlKind::multi_list || kind == ControlKind::tree;
}

bool can_take_focus(ControlKind kind) {
  return kind != ControlKind::label;
}

// Line and column (1-based) just after the text.
CaretPosition end_of(std::string_view text) {
  CaretPosition at;
  for (const char c : text) {
    if (c == '\n') {
      ++at.line;
      at.column = 1;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\r') {
      ++at.column;
    }
  }
  return at;
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

int SimWindowSystem::open_window(const WindowSpec& wanted) {
  const int number = next_window_++;
  windows_[number].shape = wanted;
  foreground_ = number;
  active_ = true;
  transcript_.write("window " + in_quotes(wanted.title));
  post({.kind = RawEvent::Kind::activated, .window = number});
  return number;
}

void SimWindowSystem::close_window(int window) {
  if (windows_.erase(window) == 0) return;
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
  return active_ && foreground_ != 0;
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
  c.text = text;
  c.flags = flags;
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
  c->text = text;
  // A text of its own in an editable combo box is none of its items.
  if (is_editable_combo(c->kind, c->flags)) c->state = -1;
}

int SimWindowSystem::control_flags(int window, int number) const {
  const Control* c = control_of(window, number);
  return c == nullptr ? 0 : c->flags;
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
  if (c->kind == ControlKind::option && state != 0) {
    // Options of one window exclude each other within their run of consecutive numbers.
    for (int n = number - 1; Control* o = control_of(window, n); --n) {
      if (o->kind != ControlKind::option) break;
      o->state = 0;
    }
    for (int n = number + 1; Control* o = control_of(window, n); ++n) {
      if (o->kind != ControlKind::option) break;
      o->state = 0;
    }
  }
  const int count = static_cast<int>(c->items.size());
  c->state = has_items(c->kind) ? std::clamp(state, -1, count - 1) : state;
  // Selecting an item of a list of several selects that item alone, as a click does.
  if (selects_several(c->kind, c->flags)) {
    for (int i = 0; i < count; ++i) c->items[static_cast<std::size_t>(i)].marked = i == c->state;
  }
  // A combo box shows its selected item in its field.
  if (c->kind == ControlKind::combo_box && c->state >= 0) {
    c->text = c->items[static_cast<std::size_t>(c->state)].text;
  }
}

void SimWindowSystem::add_item(int window, int number, const ListItem& item) {
  Control* c = control_of(window, number);
  if (c == nullptr) return;
  c->items.push_back(item);
  c->items.back().marked = item.marked && keeps_marks(c->kind, c->flags);
}

void SimWindowSystem::clear_items(int window, int number) {
  if (Control* c = control_of(window, number)) {
    c->items.clear();
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
  return c == nullptr ? CaretPosition{} : c->caret;
}

void SimWindowSystem::set_caret(int window, int number, CaretPosition position) {
  if (Control* c = control_of(window, number)) c->caret = position;
}

void SimWindowSystem::select_all_text(int, int) {}

void SimWindowSystem::select_text(int window, int number, int start, int length) {
  Control* c = control_of(window, number);
  if (c == nullptr || start < 0 || length < 0) return;
  // Byte offset of a character index of the UTF-8 text, the end when it is beyond.
  const auto offset_of = [&text = c->text](int index) {
    std::size_t at = 0;
    for (; at < text.size(); ++at) {
      if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
      if (index-- == 0) return at;
    }
    return at;
  };
  const std::size_t from = offset_of(start);
  const std::size_t to = std::max(from, offset_of(start + std::min(length, INT_MAX - start)));
  c->caret = end_of(std::string_view(c->text).substr(0, to));
  transcript_.write("selected " + std::to_string(number) + " " +
                    in_quotes(std::string_view(c->text).substr(from, to - from)));
}

int SimWindowSystem::focused_control(int window) const {
  const Window* w = window_of(window);
  return w == nullptr ? -1 : w->focus;
}

void SimWindowSystem::set_focus(int window, int number) {
  Window* w = window_of(window);
  if (w != nullptr && w->controls.contains(number)) focus_control(*w, number);
}

void SimWindowSystem::focus_control(Window& window, int number) {
  if (window.focus == number) return;
  window.focus = number;
  transcript_.write("focus " + std::to_string(number) + " " +
                    in_quotes(accessible_name(window, number)));
}

// What a screen reader says for the control: its caption, or the label numbered just before it,
// or else the label created just before it.
std::string SimWindowSystem::accessible_name(const Window& window, int number) const {
  const Control& c = window.controls.at(number);
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
    add_menu_item(parent, -handle, "{" + std::string(title));
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

int SimWindowSystem::popup_menu(int window) {
  Window* w = window_of(window);
  if (w == nullptr) return 0;
  if (w->popup == 0) w->popup = next_menu_++;
  menus_[w->popup] = Menu{};
  return w->popup;
}

void SimWindowSystem::show_popup_menu(int) {}

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

void SimWindowSystem::set_tray_icon(int icon, std::string_view, std::string_view tooltip) {
  tray_[icon] = tooltip;
  transcript_.write("tray " + std::to_string(icon) + " " + in_quotes(tooltip));
}

void SimWindowSystem::remove_tray_icon(int icon) {
  if (tray_.erase(icon) != 0) transcript_.write("tray-remove " + std::to_string(icon));
}

std::optional<std::string> SimWindowSystem::tray_tooltip(int icon) const {
  const auto found = tray_.find(icon);
  if (found == tray_.end()) return std::nullopt;
  return found->second;
}

void SimWindowSystem::offer_answers() {
  if (answers_.empty() && input_ != nullptr) input_->offer_answers(*this);
}

std::optional<std::string> SimWindowSystem::take_answer() {
  offer_answers();
  if (answers_.empty()) return std::nullopt;
  std::string answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

void SimWindowSystem::play_sound(std::string_view file) {
  std::error_code error;
  const bool playable = !file.empty() && std::filesystem::is_regular_file(file, error);
  transcript_.write(playable ? "sound " + in_quotes(file) : std::string("sound default"));
}

void SimWindowSystem::message_box(std::string_view title, std::string_view text) {
  offer_answers();
  if (!answers_.empty() && answers_.front() == "ok") answers_.pop_front();
  transcript_.write("notice " + in_quotes(title) + " " + in_quotes(text));
}

bool SimWindowSystem::yes_no_box(std::string_view, std::string_view text) {
  offer_answers();
  std::string outcome = "no (default)";
  if (!answers_.empty() && (answers_.front() == "yes" || answers_.front() == "no")) {
    outcome = *take_answer();
  }
  transcript_.write("question " + in_quotes(text) + " -> " + outcome);
  return outcome == "yes";
}

std::optional<std::string> SimWindowSystem::input_box(std::string_view title,
                                                      std::string_view prompt,
                                                      std::string_view preset) {
  const std::optional<std::string> answer = take_answer();
  const std::string head = "input " + in_quotes(title) + " " + in_quotes(prompt) + " -> ";
  if (!answer) {
    transcript_.write(head + in_quotes(preset) + " (default)");
    return std::string(preset);
  }
  if (*answer == "cancel") {
    transcript_.write(head + "cancel");
    return std::nullopt;
  }
  transcript_.write(head + in_quotes(*answer));
  return answer;
}

std::optional<std::string> SimWindowSystem::file_answer(std::string_view kind,
                                                        std::string_view title) {
  const std::optional<std::string> answer = take_answer();
  const std::string head = std::string(kind) + " " + in_quotes(title) + " -> ";
  if (!answer || *answer == "cancel") {
    transcript_.write(head + (answer ? "cancel" : "cancel (default)"));
    return std::nullopt;
  }
  transcript_.write(head + in_quotes(*answer));
  return answer;
}

std::optional<std::string> SimWindowSystem::open_file_dialog(std::string_view title,
                                                             std::string_view, std::string_view) {
  return file_answer("open-file", title);
}

std::vector<std::string> SimWindowSystem::open_files_dialog(std::string_view title,
                                                            std::string_view, std::string_view) {
  const std::optional<std::string> answer = take_answer();
  std::vector<std::string> chosen;
  if (answer && *answer != "cancel") chosen = pieces_between(*answer, '|');
  std::string line = "open-files " + in_quotes(title) + " ->";
  if (chosen.empty()) line += answer ? " cancel" : " cancel (default)";
  for (const std::string& path : chosen) line += " " + in_quotes(path);
  transcript_.write(line);
  return chosen;
}

std::optional<std::string> SimWindowSystem::save_file_dialog(std::string_view title,
                                                             std::string_view, std::string_view) {
  return file_answer("save-file", title);
}

std::optional<std::string> SimWindowSystem::folder_dialog(std::string_view title) {
  return file_answer("folder", title);
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
  keys_[static_cast<std::size_t>(key)] = 0x8000;
  // The side-specific keys hold their common key too, as on Windows.
  if (key == vk::left_shift || key == vk::right_shift) keys_[vk::shift] = 0x8000;
  if (key == vk::left_control || key == vk::right_control) keys_[vk::control] = 0x8000;
  if (key == vk::shift) keys_[vk::left_shift] = 0x8000;
  if (key == vk::control) keys_[vk::left_control] = 0x8000;
  Window* w = window_of(foreground_);
  if (w == nullptr || !active_) return;
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
  const Control* c = control_of(window, w->focus);
  if (key == vk::space && modifiers == 0 && c != nullptr && is_check_list(c->kind, c->flags) &&
      c->state >= 0) {
    mark(w->focus, c->state, !c->items[static_cast<std::size_t>(c->state)].marked);
  }
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
  Window* w = window_of(foreground_);
  if (w == nullptr || !active_) return;
  const bool system = key == vk::alt || key_state(vk::alt) != 0;
  post({.kind = system ? RawEvent::Kind::system_key_up : RawEvent::Kind::key_up,
        .window = foreground_,
        .key = key});
  const auto pressed = pressed_on_.find(key);
  if (pressed == pressed_on_.end()) return;
  const auto [window, on] = pressed->second;
  pressed_on_.erase(pressed);
  // A key that went down in a window now replaced clicks nothing in the new one.
  if (on == -2 || system || window != foreground_) return;
  const std::optional<ControlKind> kind = control_kind(foreground_, on);
  const bool clickable =
      kind == ControlKind::button || kind == ControlKind::check_box || kind == ControlKind::option;
  if (key == vk::space && clickable) {
    post_click(on);
  } else if (key == vk::enter && kind == ControlKind::button) {
    post_click(on);
  } else if (key == vk::enter && w->controls.contains(1036) && kind != ControlKind::editor) {
    post_click(1036);
  } else if (key == vk::escape && w->controls.contains(1035)) {
    post_click(1035);
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

void SimWindowSystem::move_focus(int step) {
  Window& w = current();
  std::vector<int> order;
  for (const int n : w.creation_order) {
    if (can_take_focus(w.controls.at(n).kind)) order.push_back(n);
  }
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), w.focus);
  const auto count = static_cast<std::ptrdiff_t>(order.size());
  std::ptrdiff_t index = at == order.end() ? (step > 0 ? -1 : 0) : at - order.begin();
  index = ((index + step) % count + count) % count;
  focus_control(w, order[static_cast<std::size_t>(index)]);
}

void SimWindowSystem::type_text(std::string_view text) {
  Window& w = current();
  Control* c = control_of(foreground_, w.focus);
  if (c != nullptr && is_editable(c->kind, c->flags) && !(c->flags & kReadOnly)) {
    c->text += text;
    c->caret = end_of(c->text);
    if (c->kind == ControlKind::combo_box) c->state = -1;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    post({.kind = RawEvent::Kind::key_down,
          .window = foreground_,
          .id = w.focus,
          .key = virtual_key_of(static_cast<unsigned char>(text[i])),
          .character = true});
  }
}

void SimWindowSystem::user_focus(int number) {
  if (!current().controls.contains(number)) {
    throw std::invalid_argument("aucun contrôle " + std::to_string(number));
  }
  focus_control(current(), number);
}

void SimWindowSystem::click(int number) {
  Control* c = control_of(foreground_, number);
  if (c == nullptr) throw std::invalid_argument("aucun contrôle " + std::to_string(number));
  if (can_take_focus(c->kind)) focus_control(current(), number);
  post_click(number);
}

SimWindowSystem::Control& SimWindowSystem::control_with_item(int number, int index) {
  Control* c = control_of(foreground_, number);
  if (c == nullptr) throw std::invalid_argument("aucun contrôle " + std::to_string(number));
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
  if (selects_several(c.kind, c.flags)) c.state = index;
  post_change(number);
}

void SimWindowSystem::set_checked(int number, bool checked) {
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
    if (fire_due_timer()) continue;
    const std::uint32_t now = clock_.tick();
    const std::optional<std::uint32_t> input_due =
        input_ != nullptr ? input_->next_due() : std::nullopt;
    if (input_ != nullptr && !input_due) throw SimSessionOver();
    if (input_due && static_cast<std::int32_t>(*input_due - now) <= 0) {
      input_->perform(*this);
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
