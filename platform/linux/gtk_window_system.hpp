#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.hpp"

namespace tavelo {

// Real windows: GTK 3 on X11. Keys reach the controls as native keys do, and the window's own
// key handler turns them into the same raw events as the sim backend: a character message while
// the key is held, then the control's click notification; registered shortcuts take their key
// instead. Key state comes from the X server's key map, synthesised keys go through XTest.
// Lists are tree views (a check list with a tick column, a list of several with a multiple
// selection); a multi-column list is a grid of equal cells filled line by line; an editable
// combo box has a text field.
// Throws std::runtime_error when no X display can be opened.
class GtkWindowSystem final : public WindowSystem {
 public:
  GtkWindowSystem();
  ~GtkWindowSystem() override;
  GtkWindowSystem(const GtkWindowSystem&) = delete;
  GtkWindowSystem& operator=(const GtkWindowSystem&) = delete;

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
  void set_item_marked(int window, int number, int index, bool marked) override;
  void set_grid_columns(int window, int number, int columns) override;
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

  // What a screen reader is told about a control: its accessible name and description.
  std::string accessible_name(int window, int number) const;
  std::string accessible_description(int window, int number) const;
  std::optional<std::string> tray_tooltip(int icon) const;
  // Where an item of a list lies in its window: a cell of a grid, the first cell of a row (the
  // tick of a check list).
  PixelRect item_rect(int window, int number, int index) const;
  // Where a notification area shows the tray icon; nothing while none has taken it in.
  std::optional<PixelRect> tray_geometry(int icon) const;
  // Where the control shows on the screen; nothing while it does not show.
  std::optional<PixelRect> control_on_screen(int window, int number) const;
  // True when an event is waiting for `wait_event`.
  bool events_pending() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace tavelo
