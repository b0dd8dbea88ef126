#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.hpp"

namespace tavelo {

// Real windows: native Win32 windows and controls, which screen readers know by their classes.
// The program's own message loop reads every message before the controls do, and turns them into
// the same raw events as the other backends: a key message while the key is held, then the
// control's notification; registered shortcuts take their key instead. Tab moves the focus as in
// a dialog box. Check lists are list views with tick boxes, trees are tree views, tab panels are
// tab controls. Key state is GetAsyncKeyState, synthesised keys go through SendInput.
class Win32WindowSystem final : public WindowSystem {
 public:
  Win32WindowSystem();
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  int desktop_width() const override;
  int desktop_height() const override;

  int open_window(const WindowSpec& wanted) override;
  void close_window(int window) override;
  void set_window_title(int window, std::string_view title) override;
  void show_window(int window, bool shown) override;
  bool program_in_foreground() const override;
  int foreground_window() const override;

  void place_control(int window, int number, ControlKind kind, const PixelRect& rect,
                     std::string_view text, int flags) override;
  void remove_control(int window, int number) override;
  std::optional<ControlKind> control_kind(int window, int number) const override;
  std::string control_text(int window, int number) const override;
  void set_control_text(int window, int number, std::string_view text) override;
  int control_flags(int window, int number) const override;
  void set_control_flags(int window, int number, int flags) override;
  int control_state(int window, int number) const override;
  void set_control_state(int window, int number, int state) override;
  void add_item(int window, int number, const ListItem& item) override;
  void clear_items(int window, int number) override;
  int item_count(int window, int number) const override;
  ListItem item(int window, int number, int index) const override;
  void set_grid_columns(int window, int number, int columns) override;
  void set_item_marked(int window, int number, int index, bool marked) override;
  CaretPosition caret(int window, int number) const override;
  void set_caret(int window, int number, CaretPosition position) override;
  void select_all_text(int window, int number) override;
  void select_text(int window, int number, int start, int length) override;
  void set_control_name(int window, int number, std::string_view name) override;
  void play_sound(std::string_view file) override;
  int focused_control(int window) const override;
  void set_focus(int window, int number) override;

  int add_menu(int window, int parent, std::string_view title) override;
  void add_menu_item(int menu, int command, std::string_view text) override;
  void add_menu_separator(int menu) override;
  void set_menu_item_checked(int window, int command, bool checked) override;
  int popup_menu(int window) override;
  void show_popup_menu(int window) override;

  void add_shortcut(int window, int shortcut, int command) override;
  void remove_shortcut(int window, int shortcut) override;

  void start_timer(int window, int id, int interval_ms) override;
  void stop_timer(int window, int id) override;

  void set_tray_icon(int icon, std::string_view image, std::string_view tooltip) override;
  void remove_tray_icon(int icon) override;
  bool tray_icon_shown(int icon) const override;

  void message_box(std::string_view title, std::string_view text) override;
  bool yes_no_box(std::string_view title, std::string_view text) override;
  std::optional<std::string> input_box(std::string_view title, std::string_view prompt,
                                       std::string_view preset) override;
  std::optional<std::string> open_file_dialog(std::string_view title, std::string_view pattern,
                                              std::string_view folder) override;
  std::vector<std::string> open_files_dialog(std::string_view title, std::string_view pattern,
                                             std::string_view folder) override;
  std::optional<std::string> save_file_dialog(std::string_view title, std::string_view pattern,
                                              std::string_view folder,
                                              std::string_view proposed_name) override;
  std::optional<std::string> folder_dialog(std::string_view title) override;

  std::uint16_t key_state(int key) const override;
  void synthesize_key(int key, bool down) override;

  RawEvent wait_event(int timeout_ms) override;
  void watch_file(const std::filesystem::path& file) override;
  void watch_desktop_key(int key) override;

  // The native window of a window and of a control, for tests and screenshots.
  void* native_window(int window) const;
  void* native_control(int window, int number) const;
  // True while messages other than timers wait in the thread's queue, or raw events.
  bool events_pending() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace tavelo
