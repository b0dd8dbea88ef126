#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

// The kinds of control the dialog layer creates.
enum class ControlKind {
  button,
  check_box,
  option,
  text_field,
  label,
  list_box,
  multi_list,
  tree,
  combo_box,
  editor,
  tab_panel
};

// Style flags of a control.
inline constexpr int kReadOnly = 1;
inline constexpr int kGroupStart = 2;  // options: the first of its group
inline constexpr int kPassword = 4;    // text fields: the text is not shown
inline constexpr int kDigitsOnly = 8;  // text fields: only digits can be typed
inline constexpr int kSeveral = 16;    // lists and multi-column lists: several items selected
inline constexpr int kCheckList = 32;  // list boxes: every item has a tick box
inline constexpr int kEditable = 64;   // combo boxes: the user may type a text of his own

// Every control: not shown, or shown greyed; Tab passes it by either way.
inline constexpr int kHidden = 1024;
inline constexpr int kDisabled = 2048;

// A caption as it reads: Windows captions mark their mnemonic letter with "&".
inline std::string without_ampersands(std::string_view caption) {
  std::string out;
  for (const char c : caption) {
    if (c != '&') out += c;
  }
  return out;
}

// Texts of the program break lines with "\r" or "\r\n"; an editor keeps its lines with "\n".
inline std::string with_line_feeds(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

// A keyboard shortcut: a Windows virtual-key code combined with modifier bits.
inline constexpr int kShortcutShift = 0x1000;
inline constexpr int kShortcutControl = 0x2000;
inline constexpr int kShortcutAlt = 0x4000;

// Windows virtual-key codes the layers above name directly.
namespace vk {
inline constexpr int back = 8, tab = 9, enter = 13, shift = 16, control = 17, alt = 18, escape = 27,
                     space = 32, page_up = 33, page_down = 34, end = 35, home = 36, left = 37,
                     up = 38, right = 39, down = 40, delete_key = 46, left_shift = 160,
                     right_shift = 161, left_control = 162, right_control = 163;

// True for the keys that type a character where a text could take it (Windows' WM_CHAR keys).
inline bool types_character(int key) {
  return key == space || key == enter || key == escape || key == back ||
         (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || (key >= 96 && key <= 111) ||
         (key >= 186 && key <= 192) || (key >= 219 && key <= 222) || key == 226;
}

// Shift, Control and Alt, common or of one side.
inline bool is_modifier(int key) {
  return key == shift || key == control || key == alt || (key >= left_shift && key <= 165);
}
}  // namespace vk

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct WindowSpec {
  std::string title;
  PixelRect rect;
  bool centred = false;
  bool maximised = false;
  bool hidden = false;                         // opened without being shown
  bool custom_colours = false;                 // otherwise the system's colours
  std::uint32_t text_colour = 0xFFFFFF;        // 0x00RRGGBB
  std::uint32_t background_colour = 0x000080;  // 0x00RRGGBB
};

struct CaretPosition {
  int line = 1;    // 1-based
  int column = 1;  // 1-based
  bool operator==(const CaretPosition&) const = default;
};

// One entry of a combo box, list or tree.
struct ListItem {
  std::string text;
  std::int64_t data = 0;
  int level = 0;        // nesting depth in a tree
  bool marked = false;  // selected in a list of several, ticked in a check list
};

enum class Notification { click, change, focus, lost_focus };

// One message from the window system, carrying what the event translation needs.
struct RawEvent {
  enum class Kind {
    none,             // the wait timed out
    system_key_down,  // a key went down while Alt is involved
    system_key_up,
    system_char,
    key_down,  // `character` tells whether the key types a character
    key_up,
    tray,  // `id` = icon number
    activated,
    deactivated,
    timer,    // `id` = timer id
    control,  // `id` = control number, `notification`
    close,
    command,      // `id` = menu item or shortcut command
    file,         // the watched file was created or replaced
    desktop_key,  // the watched key went down somewhere on the desktop; `key` = the key
  };
  Kind kind = Kind::none;
  int window = 0;
  int id = 0;
  int key = 0;  // virtual-key code of key messages
  bool character = false;
  Notification notification = Notification::click;
};

// What the dialog layer needs from a window system. Windows are numbered from 1; 0 is none.
// Controls are numbered by the dialogs; -1 means no control.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual int desktop_width() const = 0;
  virtual int desktop_height() const = 0;

  virtual int open_window(const WindowSpec& wanted) = 0;
  virtual void close_window(int window) = 0;
  virtual void set_window_title(int window, std::string_view title) = 0;
  // Shows or hides a window. A hidden window is never the active one and gets no keys; its
  // timers, its pop-up menu and the tray icons still reach the program.
  virtual void show_window(int window, bool shown) = 0;
  // True when one of the program's windows is the active one.
  virtual bool program_in_foreground() const = 0;
  virtual int foreground_window() const = 0;

  // Creates the control, or moves, re-captions and shows an existing one of that number.
  virtual void place_control(int window, int number, ControlKind kind, const PixelRect& rect,
                             std::string_view text, int flags) = 0;
  // Takes the control out of the window with its items; a focus it had goes to no control.
  virtual void remove_control(int window, int number) = 0;
  virtual std::optional<ControlKind> control_kind(int window, int number) const = 0;
  virtual std::string control_text(int window, int number) const = 0;
  virtual void set_control_text(int window, int number, std::string_view text) = 0;
  virtual int control_flags(int window, int number) const = 0;
  virtual void set_control_flags(int window, int number, int flags) = 0;
  // Checked state (0/1) of check boxes and options; selected index (-1 none) of lists.
  virtual int control_state(int window, int number) const = 0;
  virtual void set_control_state(int window, int number, int state) = 0;
  virtual void add_item(int window, int number, const ListItem& item) = 0;
  virtual void clear_items(int window, int number) = 0;
  virtual int item_count(int window, int number) const = 0;
  virtual ListItem item(int window, int number, int index) const = 0;
  // A multi-column list shows this many cells a line, all of one width; 0 shows as many as its
  // width holds.
  virtual void set_grid_columns(int window, int number, int columns) = 0;
  // Selects or unselects an item of a list of several, ticks or unticks one of a check list;
  // other controls keep no marks. Not reported as the user's change.
  virtual void set_item_marked(int window, int number, int index, bool marked) = 0;
  virtual CaretPosition caret(int window, int number) const = 0;
  virtual void set_caret(int window, int number, CaretPosition position) = 0;
  virtual void select_all_text(int window, int number) = 0;
  // Selects `length` characters from character `start` (0-based, every character counted, line
  // ends included) and puts the caret after them.
  virtual void select_text(int window, int number, int start, int length) = 0;
  // The name a screen reader says for a control that has no caption and no label just before it.
  virtual void set_control_name(int window, int number, std::string_view name) = 0;
  virtual int focused_control(int window) const = 0;
  virtual void set_focus(int window, int number) = 0;

  // Menus: 0 stands for the window's menu bar; sub-menus and the pop-up menu get handles.
  virtual int add_menu(int window, int parent, std::string_view title) = 0;
  virtual void add_menu_item(int menu, int command, std::string_view text) = 0;
  virtual void add_menu_separator(int menu) = 0;
  // Shows a tick beside the window's menu item of that command, or takes it away.
  virtual void set_menu_item_checked(int window, int command, bool checked) = 0;
  virtual int popup_menu(int window) = 0;  // emptied each time it is asked for
  virtual void show_popup_menu(int window) = 0;

  virtual void add_shortcut(int window, int shortcut, int command) = 0;
  virtual void remove_shortcut(int window, int shortcut) = 0;

  virtual void start_timer(int window, int id, int interval_ms) = 0;
  virtual void stop_timer(int window, int id) = 0;

  virtual void set_tray_icon(int icon, std::string_view image, std::string_view tooltip) = 0;
  virtual void remove_tray_icon(int icon) = 0;
  // Whether a notification area shows the icon: a desktop without one (a stock GNOME) keeps it
  // unseen. The area may take a moment to take a new icon in.
  virtual bool tray_icon_shown(int icon) const = 0;

  // Plays a wave file without waiting; the empty name, or a file that cannot be played, plays
  // the system's default sound.
  virtual void play_sound(std::string_view file) = 0;

  // Standard dialogs; each waits for the user's answer.
  virtual void message_box(std::string_view title, std::string_view text) = 0;
  virtual bool yes_no_box(std::string_view title, std::string_view text) = 0;
  virtual std::optional<std::string> input_box(std::string_view title, std::string_view prompt,
                                               std::string_view preset) = 0;
  virtual std::optional<std::string> open_file_dialog(std::string_view title,
                                                      std::string_view pattern,
                                                      std::string_view folder) = 0;
  // Several files may be chosen; nothing chosen (cancelled) gives the empty list.
  virtual std::vector<std::string> open_files_dialog(std::string_view title,
                                                     std::string_view pattern,
                                                     std::string_view folder) = 0;
  // The name proposed for the file, which the user may change.
  virtual std::optional<std::string> save_file_dialog(std::string_view title,
                                                      std::string_view pattern,
                                                      std::string_view folder,
                                                      std::string_view proposed_name) = 0;
  virtual std::optional<std::string> folder_dialog(std::string_view title) = 0;

  // Asynchronous state of a virtual key: any bit of the low 16 set means held.
  virtual std::uint16_t key_state(int key) const = 0;
  virtual void synthesize_key(int key, bool down) = 0;

  // The next raw event, waiting at most `timeout_ms` (negative: without limit).
  virtual RawEvent wait_event(int timeout_ms) = 0;

  // What else ends the wait, for a program that sleeps until something happens rather than
  // looking again and again. While `file` is watched, its creation or replacement posts a `file`
  // event; when it is there already, one is posted at once. The empty path watches nothing.
  virtual void watch_file(const std::filesystem::path& file) = 0;
  // While `key` is watched, the key going down posts a `desktop_key` event, whichever program
  // has the keyboard (the state of the key can then be read). 0 watches no key. Events of a
  // watch that stopped are dropped.
  virtual void watch_desktop_key(int key) = 0;
};

}  // namespace tavelo
