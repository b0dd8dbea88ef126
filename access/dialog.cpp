#include "access/dialog.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "access/key_names.hpp"
#include "access/layer_variant.hpp"
#include "access/speech.hpp"
#include "planning/text.hpp"
#include "platform/control_kinds.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

bool has_letter(std::string_view mode, char letter) {
  return mode.find(letter) != std::string_view::npos;
}

std::optional<ControlKind> kind_of(int number) {
  return window_system().control_kind(dialog_state().window, number);
}

bool is_kind(int number, ControlKind kind) {
  return kind_of(number) == kind;
}

std::string numbered(std::string_view prefix, int number) {
  return std::string(prefix) + std::to_string(number);
}

int caption_length(std::string_view caption) {
  return static_cast<int>(character_count(caption));
}

std::uint32_t now_tick() {
  return interface_clock().tick();
}

bool tick_is_future(std::uint32_t tick) {
  return static_cast<std::int32_t>(tick - now_tick()) > 0;
}

// Runs one of the translation's own waits; the steps that wait do not start again inside it.
void inner_wait(int duration_ms) {
  DialogState& s = dialog_state();
  const bool was_inner = s.inner_wait;
  s.inner_wait = true;
  try {
    WaitWithEvents(duration_ms, 10, false);
  } catch (...) {
    s.inner_wait = was_inner;
    throw;
  }
  s.inner_wait = was_inner;
}

PixelRect grid_rect(int row, int column, int width, int height) {
  return {GridX(column - 1), GridY(row - 1), GridX(width), GridY(height)};
}

void place(int number, ControlKind kind, std::string_view text, int row, int column, int width,
           int height, int flags, bool registered) {
  DialogState& s = dialog_state();
  PixelRect rect = grid_rect(row, column, width, height);
  if (kind == ControlKind::label) rect.y += GridY(1) / 4;
  window_system().place_control(s.window, number, kind, rect, text, flags);
  ControlRecord& record = s.records[number];
  record.row = row;
  record.column = column;
  record.width = width;
  record.height = height;
  record.kind = kind;
  record.flags = flags;
  if (registered &&
      std::find(s.registered.begin(), s.registered.end(), number) == s.registered.end()) {
    s.registered.push_back(number);
  }
}

// OK and Cancel placed with row or column 0 sit on the last row at the right; when both are
// placed so, OK moves to the left of Cancel so that they do not overlap.
void place_default_buttons() {
  DialogState& s = dialog_state();
  const int last_row = s.grid_height;
  const bool cancel_auto =
      s.cancel_number != -1 && (s.cancel_place[0] == 0 || s.cancel_place[1] == 0);
  int cancel_column = s.grid_width - caption_length(s.look.cancel_caption);
  if (s.cancel_number != -1) {
    const int row = cancel_auto ? last_row : s.cancel_place[0];
    const int column = cancel_auto ? cancel_column : s.cancel_place[1];
    cancel_column = column;
    place(kCancelButton, ControlKind::button, s.look.cancel_caption, row, column,
          caption_length(s.look.cancel_caption) + 2, 2, 0, false);
  }
  if (s.ok_number != -1) {
    const bool ok_auto = s.ok_place[0] == 0 || s.ok_place[1] == 0;
    const int ok_width = caption_length(s.look.ok_caption) + 2;
    int column = ok_auto ? s.grid_width - caption_length(s.look.ok_caption) : s.ok_place[1];
    if (ok_auto && cancel_auto) column = cancel_column - ok_width - 1;
    place(kOkButton, ControlKind::button, s.look.ok_caption, ok_auto ? last_row : s.ok_place[0],
          column, ok_width, 2, 0, false);
  }
}

void reset_window_state(DialogState& s) {
  s.timers = {};
  s.mnemonics.clear();
  s.records.clear();
  s.registered.clear();
  s.menu_bar.clear();
  s.checked_menu_items.clear();
  s.shortcuts.clear();
  s.last_menu_number = 0;
  s.edit_menu_base = 0;
  s.ok_number = -1;
  s.cancel_number = -1;
  s.last_focused = 0;
  s.key_consumed = false;
  s.option_step_lock = false;
}

void show_notice(DialogState& s) {
  AddEditor(kNoticeEditor, s.look.notice, s.look.parameters.height + 1, 1, s.look.parameters.width,
            kNoticeRows - 1, kReadOnly);
  const std::string notice = s.look.notice;
  s.look.notice.clear();
  WaitSilenced(200, 30, false);
  Speak(notice, 0);
}

// The program owns the caret of a text display: the user's caret movements are undone.
void guard_caret(DialogState& s) {
  if (!has_letter(s.look.parameters.mode, 'w') || !kind_of(kTextDisplay)) return;
  WindowSystem& ws = window_system();
  if (ws.caret(s.window, kTextDisplay) == s.program_caret) return;
  ws.set_caret(s.window, kTextDisplay, s.program_caret);
  ws.set_focus(s.window, kTextDisplay);
}

bool takes_return_as_ok(int number) {
  const std::optional<ControlKind> kind = kind_of(number);
  if (!kind) return false;
  switch (*kind) {
    case ControlKind::text_field:
    case ControlKind::tree:
    case ControlKind::combo_box:
      return true;
    case ControlKind::check_box:
    case ControlKind::option:
    case ControlKind::multi_list:
    case ControlKind::list_box:
      return !kDialogLibrary;
    case ControlKind::editor:
      return (window_system().control_flags(dialog_state().window, number) & kReadOnly) != 0;
    default:
      return false;
  }
}

void speak_label(int number) {
  if (is_kind(number, ControlKind::label)) {
    Speak(window_system().control_text(dialog_state().window, number), 0);
  }
}

// A focus change registers Return as OK where Return has no meaning of its own, and names the
// newly focused control; entering an option group or a tree says its label first.
std::optional<std::string> focus_change(DialogState& s) {
  WindowSystem& ws = window_system();
  const int n = ws.focused_control(s.window);
  if (n < 0 || n == s.last_focused) return std::nullopt;
  s.last_focused = n;
  if (s.ok_number != -1 && takes_return_as_ok(n)) {
    ws.add_shortcut(s.window, vk::enter, kReturnCommand);
  } else {
    ws.remove_shortcut(s.window, vk::enter);
  }
  if (is_kind(n, ControlKind::text_field)) ws.select_all_text(s.window, n);
  if (!kDialogLibrary && is_kind(n, ControlKind::option)) {
    for (int before = n - 1; before >= 1; --before) {
      const std::optional<ControlKind> kind = kind_of(before);
      if (!kind || kind == ControlKind::option) continue;
      speak_label(before);
      break;
    }
    return numbered("rd", n);
  }
  if (is_kind(n, ControlKind::tree)) speak_label(n - 1);
  return numbered("g", n);
}

// The quiet period keeps the readers cut every 30 ms, then says the pending announcement.
// Gives the wait for the next window event.
int quiet_period(DialogState& s, int timeout_ms) {
  if (tick_is_future(s.quiet_deadline)) {
    if (s.pending_announcement.empty()) s.quiet_deadline = now_tick();
    SilenceScreenReaders();
    return 30;
  }
  if (!s.pending_announcement.empty()) {
    const std::string announcement = std::move(s.pending_announcement);
    s.pending_announcement.clear();
    s.quiet_deadline = now_tick();
    Speak(announcement, 1);
  }
  // An editor with the focus waits without limit, but not during a quiet period, whose
  // announcement would otherwise wait for the user's next key.
  const int focus = window_system().focused_control(s.window);
  return is_kind(focus, ControlKind::editor) ? -1 : timeout_ms;
}

// Returns the event name of a timer, or nothing when the translation goes on.
std::optional<std::string> timer_event(DialogState& s, int id) {
  if (id < 0 || id >= kTimerCount || s.timers[static_cast<std::size_t>(id)].running == 0) {
    return std::nullopt;
  }
  DialogTimer& entry = s.timers[static_cast<std::size_t>(id)];
  if (entry.repeat == 0) {
    StopDialogTimer(id);
  } else {
    entry.due = static_cast<std::int32_t>(now_tick() + static_cast<std::uint32_t>(entry.interval));
  }
  if (id == kOptionStepTimer) s.option_step_lock = false;
  if (id == kAltTimer) {
    s.alt_state = 2;
    StopDialogTimer(kAltTimer);
    return "getfocus";
  }
  if (id < 1000) {
    s.last_timer_id = id;
    return numbered("timer", id);
  }
  return std::nullopt;
}

// Option `later` and the option numbered just before it belong to one group. Groups with
// consecutive numbers stay apart: an arrow never changes the choice of the next group.
bool joins_option_before(const DialogState& s, int later) {
  const std::optional<ControlKind> kind = kind_of(later);
  return kind && is_kind(later - 1, ControlKind::option) &&
         joins_group_before(*kind, window_system().control_flags(s.window, later));
}

// The arrow keys walk through a group of option buttons, one option per step lock.
std::optional<std::string> option_step(DialogState& s) {
  WindowSystem& ws = window_system();
  const int n = ws.focused_control(s.window);
  if (kDialogLibrary || s.inner_wait || !is_kind(n, ControlKind::option)) return std::nullopt;
  int next = 0;
  if (joins_option_before(s, n) && (IsKeyDown(vk::up) || IsKeyDown(vk::left))) {
    next = n - 1;
  } else if (joins_option_before(s, n + 1) && (IsKeyDown(vk::down) || IsKeyDown(vk::right))) {
    next = n + 1;
  } else {
    return std::nullopt;
  }
  inner_wait(50);
  const bool say_reader_took_it = Speak(" ", 0) == 1;
  if (!say_reader_took_it && s.option_step_lock) {
    StartDialogTimer(kOptionStepTimer, 50, 0);
    return "";
  }
  ws.set_control_state(s.window, next, 1);
  ws.set_focus(s.window, next);
  s.last_focused = next;  // the step announces the option; focus must not announce it twice
  if (!say_reader_took_it) s.option_step_lock = true;
  return numbered("rd", next);
}

bool any_arrow_held() {
  return IsKeyDown(vk::left) || IsKeyDown(vk::up) || IsKeyDown(vk::right) || IsKeyDown(vk::down);
}

// A character key held on a control is reported before its click.
std::optional<std::string> key_action(DialogState& s, int n) {
  const std::optional<ControlKind> kind = kind_of(n);
  const bool space = IsKeyDown(vk::space);
  const bool enter = IsKeyDown(vk::enter);
  const bool on_button = kind == ControlKind::button;
  // Return keeps its own meaning in an editor that can be written to.
  const bool editable_editor =
      kind == ControlKind::editor && (window_system().control_flags(s.window, n) & kReadOnly) == 0;
  const bool return_is_ok = kDialogLibrary ? takes_return_as_ok(n) : !on_button && !editable_editor;
  std::optional<std::string> name;
  if (s.ok_number != -1 && (((space || enter) && n == s.ok_number) || (enter && return_is_ok))) {
    name = "btnok";
  } else if (s.cancel_number != -1 &&
             (((space || enter) && n == s.cancel_number) || IsKeyDown(vk::escape))) {
    name = "btncancel";
  } else if (space && kind == ControlKind::check_box) {
    const bool checked = window_system().control_state(s.window, n) != 0;
    name = numbered("chk", n) + (checked ? "-unset" : "-set");
  } else if ((space || enter) && on_button) {
    name = numbered("btn", n);
  }
  if (name) s.key_consumed = true;
  return name;
}

void select_combo_item(DialogState& s, int n, int index, std::string& provisional) {
  WindowSystem& ws = window_system();
  ws.set_control_state(s.window, n, index);
  s.records[n].combo_selection = ws.control_state(s.window, n);
  provisional = numbered("cmb", n);
}

// Ctrl+Home, Ctrl+End and the page keys of a combo box.
void combo_keys(DialogState& s, std::string& provisional) {
  WindowSystem& ws = window_system();
  const int n = ws.focused_control(s.window);
  if (kDialogLibrary || s.inner_wait || !is_kind(n, ControlKind::combo_box)) return;
  const int count = ws.item_count(s.window, n);
  const bool control = IsKeyDown(vk::control);
  if (control && (IsKeyDown(vk::end) || IsKeyDown(vk::home))) {
    const bool to_end = IsKeyDown(vk::end);
    inner_wait(100);
    select_combo_item(s, n, to_end ? count - 1 : 0, provisional);
    Speak(ws.item(s.window, n, ws.control_state(s.window, n)).text, 200);
    return;
  }
  ControlRecord& record = s.records[n];
  if (record.page_step < 1) return;
  if (IsKeyDown(vk::page_up)) {
    select_combo_item(s, n, std::max(record.combo_selection - record.page_step, 0), provisional);
  } else if (IsKeyDown(vk::page_down)) {
    select_combo_item(s, n, std::min(record.combo_selection + record.page_step, count - 1),
                      provisional);
  } else {
    record.combo_selection = ws.control_state(s.window, n);
  }
}

// A click that follows a key already reported gives "key_released".
bool take_consumed_key(DialogState& s, std::string& provisional) {
  if (!s.key_consumed) return false;
  s.key_consumed = false;
  provisional = "key_released";
  return true;
}

// Clicks and changes of controls.
std::optional<std::string> control_event(DialogState& s, const RawEvent& event,
                                         std::string& provisional) {
  WindowSystem& ws = window_system();
  const int g = event.id;
  const std::optional<ControlKind> kind = kind_of(g);
  if (!kind) return std::nullopt;
  if (g == s.ok_number || g == s.cancel_number) {
    if (take_consumed_key(s, provisional)) return std::nullopt;
    return g == s.ok_number ? "btnok" : "btncancel";
  }
  if (kDialogLibrary && *kind != ControlKind::button && *kind != ControlKind::check_box) {
    return std::nullopt;
  }
  switch (*kind) {
    case ControlKind::tab_panel:
      return numbered("pnl", g);
    case ControlKind::list_box:
    case ControlKind::multi_list:
    case ControlKind::tree:
      return numbered("lst", g);
    case ControlKind::combo_box: {
      if (event.notification != Notification::change) return std::nullopt;
      const int selected = ws.control_state(s.window, g);
      s.records[g].combo_selection = selected;
      if (selected >= 0) Speak(ws.item(s.window, g, selected).text, 200);
      return numbered("cmb", g);
    }
    case ControlKind::button:
      if (take_consumed_key(s, provisional)) return std::nullopt;
      return numbered("btn", g);
    case ControlKind::check_box:
      if (take_consumed_key(s, provisional)) return std::nullopt;
      return numbered("chk", g) + (ws.control_state(s.window, g) != 0 ? "-set" : "-unset");
    default:
      return std::nullopt;
  }
}

// Menu items and shortcuts; an Alt mnemonic acts on its control.
std::string command_event(DialogState& s, int command) {
  if (command == kEscapeCommand) return "btncancel";
  if (command == kReturnCommand) return "btnok";
  const int n = command - kMnemonicCommands;
  const auto mnemonic = s.mnemonics.find(n);
  if (command < kMnemonicCommands || command >= 2000 || mnemonic == s.mnemonics.end() ||
      mnemonic->second.shortcut == 0) {
    return numbered("menu", command);
  }
  WindowSystem& ws = window_system();
  std::string name = numbered("menu", command);
  if (is_kind(n, ControlKind::button)) {
    name = numbered("btn", n);
  } else if (!kDialogLibrary && is_kind(n, ControlKind::option)) {
    ws.set_control_state(s.window, n, 1);
    name = numbered("rd", n);
  } else if (is_kind(n, ControlKind::check_box)) {
    const bool was_checked = ws.control_state(s.window, n) != 0;
    ws.set_control_state(s.window, n, was_checked ? 0 : 1);
    name = numbered("chk", n) + (was_checked ? "-unset" : "-set");
  }
  if (s.focus_on_mnemonic) ws.set_focus(s.window, n);
  return name;
}

std::string translate(DialogState& s, const RawEvent& event) {
  using Kind = RawEvent::Kind;
  WindowSystem& ws = window_system();
  switch (event.kind) {
    case Kind::system_key_down:
      s.alt_state = 1;
      break;
    case Kind::system_key_up:
      StartDialogTimer(kAltTimer, 100, 0);
      break;
    case Kind::system_char:
    case Kind::timer:
      s.alt_state = 2;
      break;
    default:
      break;
  }
  switch (event.kind) {
    case Kind::tray:
      return kDialogLibrary ? "" : numbered("tray", event.id);
    case Kind::command:
      // The tray icon's menu belongs to a window that may be hidden, never the active one.
      return command_event(s, event.id);
    case Kind::activated:
      s.window_active = true;
      ReleaseStuckKeys();
      // An Alt that came up while another window had the keyboard (the question of an Alt
      // shortcut) never reached this one, whose keys would otherwise all read as none.
      s.alt_state = 0;
      return "getfocus";
    case Kind::deactivated:
      s.window_active = false;
      return "lostfocus";
    case Kind::timer:
      if (std::optional<std::string> name = timer_event(s, event.id)) return *name;
      break;
    default:
      break;
  }
  if (!ws.program_in_foreground()) return "";
  if (std::optional<std::string> name = option_step(s)) return *name;
  std::string provisional;
  if (event.kind == Kind::key_up) {
    // A release the window system never reports (a key held by another window's grab) must not
    // hold the dialog: the wait gives up after three seconds.
    for (int round = 0; !s.inner_wait && round < 100 && any_arrow_held(); ++round) {
      inner_wait(30);
    }
    provisional = "key_released";
  }
  const bool character = event.kind == Kind::key_down && event.character;
  if (character) {
    if (std::optional<std::string> name = key_action(s, ws.focused_control(s.window))) {
      return *name;
    }
  }
  combo_keys(s, provisional);
  if (event.kind == Kind::control) {
    if (std::optional<std::string> name = control_event(s, event, provisional)) return *name;
  }
  if (event.kind == Kind::close) return "winclose";
  if (character) return "key_pressed";
  return provisional;
}

void open_window(DialogState& s, int extra_rows) {
  const DialogParameters& p = s.look.parameters;
  const bool notice = p.mode == "d" && !s.look.notice.empty();
  s.grid_height = p.height + (notice ? kNoticeRows : extra_rows);
  s.grid_width = p.width;
  WindowSpec wanted;
  wanted.title = p.title;
  wanted.rect = {GridX(p.column - 1), GridY(p.row - 1), GridX(s.grid_width + 2),
                 GridY(s.grid_height + 2)};
  wanted.centred = p.row == 0 || p.column == 0;
  wanted.maximised = has_letter(p.mode, 'm');
  wanted.hidden = (p.flags & kHiddenWindow) != 0;
  if (wanted.hidden) s.window_active = false;
  wanted.custom_colours = s.look.colours_set || has_letter(p.mode, 'w');
  if (s.look.colours_set) {
    wanted.text_colour = s.look.text_colour;
    wanted.background_colour = s.look.background_colour;
  }
  s.window = window_system().open_window(wanted);
  if (has_letter(p.mode, 'w')) s.program_caret = {1, 1};
  if (!has_letter(p.mode, 'd')) return;
  AddOkButton(0, 0);
  if (!has_letter(p.mode, 'w')) window_system().set_focus(s.window, kOkButton);
  if (notice) show_notice(s);
}

}  // namespace

void OpenDialog(std::string_view mode, int row, int column, int height, int width,
                std::string_view title, int flags) {
  DialogState& s = dialog_state();
  if (!(title.empty() && mode.empty() && row == 0 && column == 0 && height == 0 && width == 0)) {
    s.look.parameters = {std::string(mode), row, column, height, width, std::string(title), flags};
    // A new window, opened over one that renamed its buttons (the editor over the real-time
    // agenda), starts with the usual captions; a window renames its own once it is open.
    s.look.ok_caption = DialogLook{}.ok_caption;
    s.look.cancel_caption = DialogLook{}.cancel_caption;
  }
  reopen_dialog(0);
}

void CloseDialog() {
  DialogState& s = dialog_state();
  if (s.window != 0) window_system().close_window(s.window);
  s.window = 0;
  reset_window_state(s);
}

void reopen_dialog(int extra_rows) {
  CloseDialog();
  ReleaseStuckKeys();
  open_window(dialog_state(), extra_rows);
}

std::string WaitDialogEvent(int timeout_ms) {
  DialogState& s = dialog_state();
  guard_caret(s);
  if (std::optional<std::string> name = focus_change(s)) return *name;
  const RawEvent event = window_system().wait_event(quiet_period(s, timeout_ms));
  if (event.kind == RawEvent::Kind::none) return "";
  if (event.window != s.window && event.kind != RawEvent::Kind::tray) return "";
  return translate(s, event);
}

namespace {

std::string wait_rounds(int duration_ms, int poll_ms, bool sides, bool silenced) {
  DialogState& s = dialog_state();
  const std::uint32_t start = now_tick();
  do {
    if (silenced) Speak(" ", 1);
    const std::string event = WaitDialogEvent(poll_ms);
    const std::string key = s.window_active ? ReadKeyName(sides, false, event) : "";
    const std::string text = lower_ascii(key + event);
    if (!s.awaited.empty() && ((s.awaited == "any" && !text.empty()) || text == s.awaited)) {
      return text;
    }
  } while (now_tick() - start < static_cast<std::uint32_t>(std::max(duration_ms, 0)));
  return "";
}

}  // namespace

std::string WaitWithEvents(int duration_ms, int poll_ms, bool sides) {
  return wait_rounds(duration_ms, poll_ms, sides, false);
}

std::string WaitSilenced(int duration_ms, int poll_ms, bool sides) {
  return wait_rounds(duration_ms, poll_ms, sides, true);
}

void place_registered_control(int number, ControlKind kind, std::string_view text, int row,
                              int column, int width, int height, int flags) {
  place(number, kind, text, row, column, width, height, flags, true);
}

void AddLabel(int number, std::string_view caption, int row, int column) {
  place(number, ControlKind::label, caption, row, column, caption_length(caption) + 2, 2, 0, true);
}

void AddTextField(int number, std::string_view text, int row, int column, int width, int flags) {
  place(number, ControlKind::text_field, text, row, column, width, 2, flags, true);
}

void AddButton(int number, std::string_view caption, int row, int column, int width, int height,
               int flags) {
  place(number, ControlKind::button, caption, row, column, width, height, flags, true);
}

void AddCheckBox(int number, std::string_view caption, int row, int column, int width, int height,
                 int flags) {
  place(number, ControlKind::check_box, caption, row, column, width, height, flags, true);
}

void AddOption(int number, std::string_view caption, bool first_of_group, int row, int column,
               int width, int height) {
  place(number, ControlKind::option, caption, row, column, width, height,
        first_of_group ? kGroupStart : 0, true);
}

void AddCombo(int number, int row, int column, int width, int height, int flags) {
  place(number, ControlKind::combo_box, "", row, column, width, height, flags, true);
}

void AddList(int number, int row, int column, int width, int height, int flags) {
  place(number, ControlKind::list_box, "", row, column, width, height, flags, true);
}

void AddMultiList(int number, int row, int column, int width, int height, int flags) {
  place(number, ControlKind::multi_list, "", row, column, width, height, flags, true);
}

void AddTree(int number, int row, int column, int width, int height, int flags) {
  place(number, ControlKind::tree, "", row, column, width, height, flags, true);
}

void AddEditor(int number, std::string_view text, int row, int column, int width, int height,
               int flags) {
  place(number, ControlKind::editor, text, row, column, width, height, flags, true);
}

void AddTabPanel(int number, int row, int column, int width, int height) {
  place(number, ControlKind::tab_panel, "", row, column, width, height, 0, false);
}

void AddItem(int number, std::string_view text, std::int64_t data, int level) {
  window_system().add_item(dialog_state().window, number, {std::string(text), data, level});
}

bool ItemMarked(int number, int index) {
  return window_system().item(dialog_state().window, number, index).marked;
}

void MarkItem(int number, int index, bool marked) {
  window_system().set_item_marked(dialog_state().window, number, index, marked);
}

std::vector<int> MarkedItems(int number) {
  std::vector<int> marked;
  const int count = window_system().item_count(dialog_state().window, number);
  for (int index = 0; index < count; ++index) {
    if (ItemMarked(number, index)) marked.push_back(index);
  }
  return marked;
}

void ClearItems(int number) {
  window_system().clear_items(dialog_state().window, number);
}

void SetComboPageStep(int number, int step) {
  dialog_state().records[number].page_step = step;
}

void SetGridColumns(int number, int columns) {
  dialog_state().records[number].grid_columns = columns;
  window_system().set_grid_columns(dialog_state().window, number, columns);
}

void AddOkButton(int row, int column) {
  DialogState& s = dialog_state();
  s.ok_number = kOkButton;
  s.ok_place = {row, column};
  place_default_buttons();
}

void AddCancelButton(int row, int column) {
  DialogState& s = dialog_state();
  s.cancel_number = kCancelButton;
  s.cancel_place = {row, column};
  place_default_buttons();
  window_system().add_shortcut(s.window, vk::escape, kEscapeCommand);
}

void SetOkCaption(std::string_view caption) {
  dialog_state().look.ok_caption = caption;
  if (dialog_state().ok_number != -1) place_default_buttons();
}

void SetCancelCaption(std::string_view caption) {
  dialog_state().look.cancel_caption = caption;
  if (dialog_state().cancel_number != -1) place_default_buttons();
}

UsualCaptionsAfter::~UsualCaptionsAfter() {
  DialogLook& look = dialog_state().look;
  look.ok_caption = DialogLook{}.ok_caption;
  look.cancel_caption = DialogLook{}.cancel_caption;
}

void AddMnemonic(int number) {
  const std::optional<ControlKind> kind = kind_of(number);
  if (kind != ControlKind::button && kind != ControlKind::check_box &&
      kind != ControlKind::option) {
    return;
  }
  DialogState& s = dialog_state();
  WindowSystem& ws = window_system();
  Mnemonic& mnemonic = s.mnemonics[number];
  if (mnemonic.skip) return;
  const std::u32string caption = to_codepoints(ws.control_text(s.window, number));
  const auto amp = caption.find(U'&');
  if (amp == std::u32string::npos || amp + 1 >= caption.size()) return;
  char32_t letter = caption[amp + 1];
  if (letter > 96) letter -= 32;
  if (letter > 255) return;
  if (mnemonic.shortcut != 0) ws.remove_shortcut(mnemonic.window, mnemonic.shortcut);
  mnemonic.shortcut = static_cast<int>(letter) | kShortcutAlt;
  mnemonic.window = s.window;
  ws.add_shortcut(s.window, mnemonic.shortcut, kMnemonicCommands + number);
}

void AddMnemonics(int highest) {
  for (int n = 0; n <= highest; ++n) AddMnemonic(n);
}

void AddShortcut(int shortcut, int command) {
  DialogState& s = dialog_state();
  s.shortcuts[shortcut] = command;
  window_system().add_shortcut(s.window, shortcut, command);
}

void SkipMnemonic(int number, bool skip) {
  dialog_state().mnemonics[number].skip = skip;
}

void SelectAllText(int number) {
  window_system().select_all_text(dialog_state().window, number);
}

void FocusControl(int number) {
  window_system().set_focus(dialog_state().window, number);
}

int FocusedControl() {
  return window_system().focused_control(dialog_state().window);
}

void RemoveControl(int number) {
  DialogState& s = dialog_state();
  WindowSystem& ws = window_system();
  ws.remove_control(s.window, number);
  s.records.erase(number);
  std::erase(s.registered, number);
  const auto mnemonic = s.mnemonics.find(number);
  if (mnemonic == s.mnemonics.end()) return;
  const int shortcut = mnemonic->second.shortcut;
  s.mnemonics.erase(mnemonic);
  // Another control's mnemonic on the same letter keeps the shortcut.
  const bool shared = std::any_of(s.mnemonics.begin(), s.mnemonics.end(), [&](const auto& other) {
    return other.second.shortcut == shortcut && other.second.window == s.window;
  });
  if (shortcut != 0 && !shared) ws.remove_shortcut(s.window, shortcut);
}

bool ControlExists(int number) {
  return kind_of(number).has_value();
}

std::string ControlText(int number) {
  return window_system().control_text(dialog_state().window, number);
}

void SetControlText(int number, std::string_view text) {
  window_system().set_control_text(dialog_state().window, number, text);
}

void SetControlFlags(int number, int flags) {
  window_system().set_control_flags(dialog_state().window, number, flags);
}

void SelectText(int number, int start, int length) {
  window_system().select_text(dialog_state().window, number, start, length);
}

int ControlState(int number) {
  return window_system().control_state(dialog_state().window, number);
}

void SetControlState(int number, int state) {
  window_system().set_control_state(dialog_state().window, number, state);
}

void ShowDialogWindow(bool shown) {
  DialogState& s = dialog_state();
  int& flags = s.look.parameters.flags;
  flags = shown ? flags & ~kHiddenWindow : flags | kHiddenWindow;
  if (!shown) s.window_active = false;
  window_system().show_window(s.window, shown);
}

bool DialogWindowShown() {
  return (dialog_state().look.parameters.flags & kHiddenWindow) == 0;
}

void NameControl(int number, std::string_view name) {
  window_system().set_control_name(dialog_state().window, number, name);
}

void SetDialogTitle(std::string_view title) {
  DialogState& s = dialog_state();
  s.look.parameters.title = title;
  window_system().set_window_title(s.window, title);
}

void ResetAltState() {
  dialog_state().alt_state = 0;
}

void SetNoticeText(std::string_view text) {
  dialog_state().look.notice = text;
}

void SetAwaitedName(std::string_view name) {
  dialog_state().awaited = name;
}

void SetDialogColours(std::uint32_t text, std::uint32_t background) {
  DialogState& s = dialog_state();
  s.look.text_colour = text;
  s.look.background_colour = background;
  s.look.colours_set = true;
}

void StartDialogTimer(int id, int interval_ms, int repeat) {
  DialogState& s = dialog_state();
  if (id < 0 || id >= kTimerCount) return;
  DialogTimer& entry = s.timers[static_cast<std::size_t>(id)];
  if (entry.running != 0) return;
  entry.repeat = repeat;
  entry.due = static_cast<std::int32_t>(now_tick() + static_cast<std::uint32_t>(interval_ms));
  entry.interval = interval_ms;
  entry.running = 1;
  window_system().start_timer(s.window, id, interval_ms);
}

void StopDialogTimer(int id) {
  DialogState& s = dialog_state();
  if (id < 0 || id >= kTimerCount) return;
  DialogTimer& entry = s.timers[static_cast<std::size_t>(id)];
  const bool was_running = entry.running != 0;
  entry = DialogTimer{};
  if (was_running) window_system().stop_timer(s.window, id);
}

void ReleaseStuckKeys() {
  WindowSystem& ws = window_system();
  for (int key = 3; key <= 254; ++key) {
    if (key == vk::tab) continue;
    for (int tries = 0; tries < 5 && IsKeyDown(key); ++tries) ws.synthesize_key(key, false);
  }
}

bool IsKeyDown(int key) {
  return (window_system().key_state(key) & 0xFFFF) != 0;
}

void SimulateKey(int key, int how) {
  WindowSystem& ws = window_system();
  if (how == 0 || how == 1) ws.synthesize_key(key, true);
  if (how != 0 && how != 2) return;
  if (how == 0) interface_clock().sleep(std::chrono::milliseconds(50));
  ws.synthesize_key(key, false);
  if (how == 0) interface_clock().sleep(std::chrono::milliseconds(10));
}

int GridX(int columns) {
  return columns * (window_system().desktop_width() / 80);
}

int GridY(int rows) {
  return rows * (window_system().desktop_height() / 34);
}

CaretPosition EditorCaret(int number) {
  return window_system().caret(dialog_state().window, number);
}

void SetProgramCaret(int line, int column) {
  DialogState& s = dialog_state();
  if (!has_letter(s.look.parameters.mode, 'w')) return;
  if (line != 0) s.program_caret.line = line;
  if (column != 0) s.program_caret.column = column;
  window_system().set_caret(s.window, kTextDisplay, s.program_caret);
  window_system().set_focus(s.window, kTextDisplay);
}

}  // namespace tavelo
