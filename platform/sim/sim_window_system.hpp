#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.hpp"
#include "platform/sim/sim_control.hpp"
#include "platform/sim/transcript.hpp"
#include "platform/window_system.hpp"

namespace tavelo {

class SimWindowSystem;

// Where a simulated user's input comes from when the program waits and nothing is queued.
class SimInput {
 public:
  virtual ~SimInput() = default;
  // The tick at which the next input is due, nothing when the input has run out.
  virtual std::optional<std::uint32_t> next_due() = 0;
  // Carries out the input due now; it may queue events or move on to a later due time.
  virtual void perform(SimWindowSystem& windows) = 0;
  // A standard dialog opens: the answers the user has ready now are queued.
  virtual void offer_answers(SimWindowSystem& windows) = 0;
};

// Raised by a wait when the simulated user has nothing more to do: the session is over.
struct SimSessionOver : std::runtime_error {
  SimSessionOver() : std::runtime_error("simulated session over") {}
};

// An in-memory window system that behaves like native controls. A key pressed on a control gives
// a key message (a character message for the keys that type one) while it is held, and the
// control uses it as its native counterpart does: text fields and editors edit their text at the
// caret (see text_editing.hpp), lists, trees, combo boxes and tab panels move their selection or
// page and report the change, Space ticks the focused item of a check list. On release, Space on
// a button, check box or option and Return on a button give that control's click; the dialog
// layer's own shortcuts make Return and Escape act as OK and Cancel. A registered shortcut takes
// its key instead; Alt and the underlined letter of a menu of the bar open that menu, which then
// takes the keys until an item is chosen or Escape closes it. Time moves only while the program
// waits: a wait with nothing due advances the clock by its timeout, or to the next timer or input.
// A hidden window gets no keys and cannot be clicked, but its timers, menu commands and tray clicks
// reach the program.
class SimWindowSystem final : public WindowSystem {
 public:
  SimWindowSystem(Clock& clock, Transcript& transcript);

  int desktop_width() const override { return 1280; }
  int desktop_height() const override { return 1020; }

  int open_window(const WindowSpec& wanted) override;
  void close_window(int window) override;
  void set_window_title(int window, std::string_view title) override;
  void show_window(int window, bool shown) override;
  bool program_in_foreground() const override;
  int foreground_window() const override { return foreground_; }

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

  void play_sound(std::string_view file) override;
  void message_box(std::string_view title, std::string_view text) override;
  bool yes_no_box(std::string_view title, std::string_view text) override;
  std::optional<std::string> input_box(std::string_view title, std::string_view prompt,
                                       std::string_view preset) override;
  std::optional<std::string> open_file_dialog(std::string_view title, std::string_view pattern,
                                              std::string_view folder) override;
  // One answer names every file chosen, the paths separated by "|".
  std::vector<std::string> open_files_dialog(std::string_view title, std::string_view pattern,
                                             std::string_view folder) override;
  std::optional<std::string> save_file_dialog(std::string_view title, std::string_view pattern,
                                              std::string_view folder,
                                              std::string_view proposed_name) override;
  std::optional<std::string> folder_dialog(std::string_view title) override;

  std::uint16_t key_state(int key) const override;
  void synthesize_key(int key, bool down) override;

  RawEvent wait_event(int timeout_ms) override;
  // The watched file is looked at each time the wait goes round: at every step of the
  // simulated time, and at every look at the typed lines of a terminal.
  void watch_file(const std::filesystem::path& file) override;
  void watch_desktop_key(int key) override;

  // The simulated user.
  void set_input(SimInput* input) { input_ = input; }
  void press(int key);
  void release(int key);
  void type_text(std::string_view text);
  void user_focus(int number);
  void click(int number);
  void select(int number, int index);
  // Selects or unselects an item of a list of several, ticks or unticks one of a check list.
  void mark(int number, int index, bool marked);
  void set_checked(int number, bool checked);
  void choose_menu(int command);
  void click_tray(int icon);
  void ask_close();
  void activate(bool active);
  void queue_answer(std::string answer) { answers_.push_back(std::move(answer)); }

  // What a test may look at.
  int current_window() const { return foreground_; }
  bool events_pending() const { return !queue_.empty(); }
  std::string window_title(int window) const;
  bool has_shortcut(int window, int shortcut) const;
  std::vector<std::string> menu_texts(int menu) const;
  std::vector<int> menu_commands(int menu) const;
  bool menu_item_checked(int window, int command) const;
  int menu_bar_count(int window) const;
  PixelRect control_rect(int window, int number) const;
  bool timer_running(int window, int id) const;
  std::optional<std::string> tray_tooltip(int icon) const;
  // A desktop without a notification area, for the tests that need one.
  void set_notification_area(bool present) { notification_area_ = present; }
  int menu_handle_at(int window, int index) const;  // index-th menu of the bar
  int open_menu() const { return open_menu_.handle; }  // 0 when no menu has the keys
  // When the next timer of a window fires (now, when it is overdue); nothing without timers.
  std::optional<std::uint32_t> next_timer_due() const;

 private:
  using Control = SimControl;
  struct Timer {
    int interval = 0;
    std::uint32_t due = 0;
  };
  struct Window {
    WindowSpec shape;
    bool shown = true;
    std::map<int, Control> controls;
    std::vector<int> creation_order;
    int focus = -1;
    std::map<int, int> shortcuts;
    std::map<int, Timer> timers;
    std::vector<int> menu_bar;
    int popup = 0;
    std::set<int> checked_commands;
  };
  struct Menu {
    std::vector<std::string> texts;  // "-" marks a separator
    std::vector<int> commands;       // 0 for separators, the negated handle for sub-menus
  };
  // The menu that has the keys, and its highlighted entry.
  struct OpenMenu {
    int handle = 0;
    int entry = -1;
  };

  Window* window_of(int window);
  const Window* window_of(int window) const;
  Control* control_of(int window, int number);
  const Control* control_of(int window, int number) const;
  Control& control_with_item(int number, int index);
  Control& reachable_control(int number);
  void post_change(int number);
  void use_key_on_focus(Window& w, int key, int modifiers);
  bool open_menu_of_letter(Window& w, int key);
  void menu_key(int key);
  void step_in_menu(int step);
  void choose_entry(int entry);
  std::vector<int> group_of(int window, int number) const;
  void uncheck_group_of(int window, int number);
  bool tab_stop(int window, int number) const;
  Window& current();
  // The window the user acts on: the current one, which must be shown.
  Window& reachable();
  void post(RawEvent event);
  void post_click(int number);
  void move_focus(int step);
  void focus_control(Window& window, int number);
  std::string accessible_name(const Window& window, int number) const;
  int held_modifiers() const;
  bool fire_due_timer();
  bool watched_file_changed();
  void advance_to(std::uint32_t tick);
  void offer_answers();
  std::optional<std::string> take_answer();
  std::optional<std::string> file_answer(std::string_view kind, std::string_view title);

  Clock& clock_;  // moved by sleeping, so that a clock that renders sound renders the wait
  Transcript& transcript_;
  SimInput* input_ = nullptr;
  std::map<int, Window> windows_;
  int next_window_ = 1;
  int foreground_ = 0;
  bool active_ = true;
  std::map<int, Menu> menus_;
  int next_menu_ = 1;
  std::map<int, std::string> tray_;
  std::array<std::uint16_t, 256> keys_{};
  // key -> window and control it went down on; control -2 when a shortcut or Tab took it
  std::map<int, std::pair<int, int>> pressed_on_;
  std::deque<RawEvent> queue_;
  std::deque<std::string> answers_;
  OpenMenu open_menu_;
  // Keys went down that gave no event (modifiers, or a hidden window): the wait ends so that
  // the program can read them while they are held.
  bool keys_unseen_ = false;
  std::filesystem::path watched_file_;
  std::optional<std::filesystem::file_time_type> file_seen_;  // its time when last looked at
  int watched_key_ = 0;
  bool notification_area_ = true;
};

}  // namespace tavelo
