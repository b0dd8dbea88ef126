#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/menus.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

DialogSnapshot& slot_of(int slot) {
  return interface_context().saved_dialogs[static_cast<std::size_t>(slot)];
}

bool is_slot(int slot) {
  return slot >= 0 && slot < kSnapshotSlots;
}

SavedControl save_control(const DialogState& s, int number) {
  const WindowSystem& ws = window_system();
  SavedControl saved;
  saved.number = number;
  saved.record = s.records.at(number);
  saved.text = ws.control_text(s.window, number);
  saved.flags = ws.control_flags(s.window, number);
  saved.state = ws.control_state(s.window, number);
  saved.caret = ws.caret(s.window, number);
  for (int i = 0; i < ws.item_count(s.window, number); ++i) {
    saved.items.push_back(ws.item(s.window, number, i));
  }
  const auto mnemonic = s.mnemonics.find(number);
  saved.skip_mnemonic = mnemonic != s.mnemonics.end() && mnemonic->second.skip;
  return saved;
}

void recreate(const SavedControl& saved) {
  const ControlRecord& r = saved.record;
  const int n = saved.number;
  place_registered_control(n, r.kind, saved.text, r.row, r.column, r.width, r.height, r.flags);
  DialogState& s = dialog_state();
  WindowSystem& ws = window_system();
  for (const ListItem& item : saved.items) ws.add_item(s.window, n, item);
  ws.set_control_flags(s.window, n, saved.flags);
  ws.set_control_state(s.window, n, saved.state);
  // Selecting the focused item of a list of several selected it alone; the marks come back after.
  for (std::size_t i = 0; i < saved.items.size(); ++i) {
    ws.set_item_marked(s.window, n, static_cast<int>(i), saved.items[i].marked);
  }
  ws.set_caret(s.window, n, saved.caret);
  s.records[n].combo_selection = r.combo_selection;
  s.records[n].page_step = r.page_step;
  if (r.grid_columns > 0) SetGridColumns(n, r.grid_columns);
  if (saved.skip_mnemonic) SkipMnemonic(n, true);
}

// The dialog's own timers (the layer's start at 1000) that are running.
std::map<int, DialogTimer> running_timers(const DialogState& s) {
  std::map<int, DialogTimer> running;
  for (int id = 0; id < kAltTimer; ++id) {
    const DialogTimer& timer = s.timers[static_cast<std::size_t>(id)];
    if (timer.running != 0) running[id] = timer;
  }
  return running;
}

void rebuild_menus(const DialogSnapshot& snapshot) {
  for (const BuiltMenu& menu : snapshot.menu_bar) {
    const std::vector<std::string_view> items(menu.items.begin(), menu.items.end());
    BuildMenu(menu.title, menu.first, items);
  }
  for (const int item : snapshot.checked_menu_items) CheckMenuItem(item, true);
  DialogState& s = dialog_state();
  s.last_menu_number = snapshot.last_menu_number;
  s.edit_menu_base = snapshot.edit_menu_base;
}

}  // namespace

void SaveDialog(int slot) {
  if (!is_slot(slot)) return;
  const DialogState& s = dialog_state();
  DialogSnapshot& snapshot = slot_of(slot);
  snapshot = DialogSnapshot{};
  snapshot.taken = true;
  snapshot.look = s.look;
  snapshot.extra_rows = s.grid_height - s.look.parameters.height;
  snapshot.program_caret = s.program_caret;
  snapshot.focus = FocusedControl();
  snapshot.has_ok = s.ok_number != -1;
  snapshot.has_cancel = s.cancel_number != -1;
  snapshot.ok_place = s.ok_place;
  snapshot.cancel_place = s.cancel_place;
  for (const auto& [number, mnemonic] : s.mnemonics) {
    if (mnemonic.shortcut != 0) snapshot.had_mnemonics = true;
  }
  for (const int number : s.registered) snapshot.controls.push_back(save_control(s, number));
  snapshot.menu_bar = s.menu_bar;
  snapshot.checked_menu_items = s.checked_menu_items;
  snapshot.last_menu_number = s.last_menu_number;
  snapshot.edit_menu_base = s.edit_menu_base;
  snapshot.shortcuts = s.shortcuts;
  snapshot.timers = running_timers(s);
}

void RestoreDialog(int slot) {
  if (!is_slot(slot) || !slot_of(slot).taken) return;
  const DialogSnapshot snapshot = slot_of(slot);
  DialogState& s = dialog_state();
  s.look = snapshot.look;
  reopen_dialog(snapshot.extra_rows);
  int highest = 0;
  for (const SavedControl& saved : snapshot.controls) {
    recreate(saved);
    highest = std::max(highest, saved.number);
  }
  if (snapshot.has_ok) AddOkButton(snapshot.ok_place[0], snapshot.ok_place[1]);
  if (snapshot.has_cancel) AddCancelButton(snapshot.cancel_place[0], snapshot.cancel_place[1]);
  // The mnemonics belong to the window; a rebuilt window needs them again.
  if (snapshot.had_mnemonics) AddMnemonics(highest);
  rebuild_menus(snapshot);
  for (const auto& [shortcut, command] : snapshot.shortcuts) AddShortcut(shortcut, command);
  // A timer starts again with its whole interval, as the timers of a new window do.
  for (const auto& [id, timer] : snapshot.timers) {
    StartDialogTimer(id, timer.interval, timer.repeat);
  }
  s.program_caret = snapshot.program_caret;
  if (snapshot.focus >= 0) FocusControl(snapshot.focus);
}

}  // namespace tavelo
