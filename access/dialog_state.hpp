#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.hpp"

namespace tavelo {

inline constexpr int kOkButton = 1036;
inline constexpr int kCancelButton = 1035;
inline constexpr int kNoticeEditor = 1037;
inline constexpr int kTextDisplay = 1000;
inline constexpr int kReturnCommand = 2013;
inline constexpr int kEscapeCommand = 2027;
inline constexpr int kMnemonicCommands = 1000;
inline constexpr int kAltTimer = 1000;
inline constexpr int kOptionStepTimer = 1002;
inline constexpr int kTimerCount = 1004;
inline constexpr int kNoticeRows = 4;  // rows the notice editor adds under a "d" dialog

struct DialogTimer {
  std::int32_t repeat = 0;
  std::int32_t due = 0;
  std::int32_t reserved = 0;
  std::int32_t interval = 0;
  std::int32_t running = 0;
};

// Where and how the creation helpers placed a control, and the combo-box page data.
struct ControlRecord {
  int combo_selection = 0;
  int page_step = 0;
  int row = 0;
  int column = 0;
  int width = 0;
  int height = 0;
  ControlKind kind = ControlKind::label;
  int flags = 0;
  int grid_columns = 0;  // cells a line of a multi-column list, 0 as many as its width holds
};

struct Mnemonic {
  int shortcut = 0;
  int window = 0;
  bool skip = false;
};

// The parameters OpenDialog was called with.
struct DialogParameters {
  std::string mode;
  int row = 0;
  int column = 0;
  int height = 0;
  int width = 0;
  std::string title;
  int flags = 0;
};

// What a window looks like: kept by SaveDialog and brought back by RestoreDialog.
struct DialogLook {
  DialogParameters parameters;
  std::string notice;  // one-shot text of the next "d" window
  std::string ok_caption = "ok";
  std::string cancel_caption = "annuler";
  // Unless set, a window has the system's colours ("w" windows: white on dark blue).
  std::uint32_t text_colour = 0;        // 0x00RRGGBB
  std::uint32_t background_colour = 0;  // 0x00RRGGBB
  bool colours_set = false;
};

// A menu of the window's bar as BuildMenu made it, to be built again when the window is restored.
struct BuiltMenu {
  std::string title;
  int first = 0;  // the number its first item took
  std::vector<std::string> items;
};

// The dialog layer's state, part of the interface context (access/interface_context.hpp).
struct DialogState {
  int window = 0;
  DialogLook look;
  int grid_height = 0;  // rows of the window's inside, the notice included
  int grid_width = 0;
  int ok_number = -1;
  int cancel_number = -1;
  std::array<int, 2> ok_place{};      // row and column given to AddOkButton
  std::array<int, 2> cancel_place{};  // row and column given to AddCancelButton
  int last_focused = 0;
  std::string pending_announcement;
  std::uint32_t quiet_deadline = 0;
  bool key_consumed = false;
  bool window_active = false;
  int alt_state = 0;
  bool option_step_lock = false;
  bool focus_on_mnemonic = false;
  int last_timer_id = 0;
  std::string awaited;
  CaretPosition program_caret;
  std::array<DialogTimer, kTimerCount> timers{};
  std::map<int, ControlRecord> records;
  std::vector<int> registered;  // controls of the creation helpers, in creation order
  std::map<int, Mnemonic> mnemonics;
  std::vector<BuiltMenu> menu_bar;
  std::set<int> checked_menu_items;
  std::map<int, int> shortcuts;  // shortcut -> command, as the dialog added them
  int last_menu_number = 0;
  int edit_menu_base = 0;   // first item of the window's edit menu, 0 when it has none
  bool inner_wait = false;  // a wait of the translation itself is running
};

// One control as SaveDialog keeps it.
struct SavedControl {
  int number = 0;
  ControlRecord record;
  std::string text;
  int flags = 0;
  int state = 0;
  CaretPosition caret;
  std::vector<ListItem> items;
  bool skip_mnemonic = false;
};

inline constexpr int kSnapshotSlots = 10;

// A dialog as SaveDialog keeps it, for RestoreDialog to rebuild it whole: window, controls,
// menus, shortcuts and running timers.
struct DialogSnapshot {
  bool taken = false;
  DialogLook look;
  int extra_rows = 0;
  CaretPosition program_caret;
  int focus = -1;
  bool has_ok = false;
  bool has_cancel = false;
  std::array<int, 2> ok_place{};
  std::array<int, 2> cancel_place{};
  bool had_mnemonics = false;
  std::vector<SavedControl> controls;
  std::vector<BuiltMenu> menu_bar;
  std::set<int> checked_menu_items;
  int last_menu_number = 0;
  int edit_menu_base = 0;
  std::map<int, int> shortcuts;
  std::map<int, DialogTimer> timers;  // the dialog's own running timers, by id
};

DialogState& dialog_state();

// Opens the window again with the current look and `extra_rows` more rows at the bottom (the
// place of a notice that a restored snapshot shows again).
void reopen_dialog(int extra_rows);

// What every creation helper does: places the control on the grid and registers it.
void place_registered_control(int number, ControlKind kind, std::string_view text, int row,
                              int column, int width, int height, int flags);

// Ends the program with an exit code; the program's entry catches it.
struct ProgramEnd {
  int code = 0;
};

}  // namespace tavelo
