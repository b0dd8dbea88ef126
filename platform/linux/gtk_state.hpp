#pragma once

// The parts of the GTK window system that its source files share: the state behind the class,
// the records of its windows, controls and menus, and the helpers more than one file uses. The
// core (windows, events, keys, text fields, editors, buttons, tab panels) is
// gtk_window_system.cpp; lists and grids, menus and tray, standard dialogs have files of their
// own.

#include <X11/Xlib.h>
#include <gtk/gtk.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/control_kinds.hpp"
#include "platform/linux/gtk_window_system.hpp"
#include "platform/linux/wake_watches.hpp"
#include "platform/linux/x11_keys.hpp"

namespace tavelo {

namespace gtk {

// Object data keys. A number is stored plus one, because a stored 0 reads as "no data".
inline constexpr const char* kWindowTag = "tavelo-window";
inline constexpr const char* kControlTag = "tavelo-control";
inline constexpr const char* kCommandTag = "tavelo-command";
inline constexpr const char* kIconTag = "tavelo-icon";
inline constexpr const char* kViewKey = "tavelo-view";  // the list a tick renderer draws in

// The columns of a list's rows: the text, the index among the control's items, the tick.
inline constexpr gint kTextColumn = 0;
inline constexpr gint kIndexColumn = 1;
inline constexpr gint kTickColumn = 2;

inline void tag(gpointer object, const char* key, int value) {
  g_object_set_data(G_OBJECT(object), key, GINT_TO_POINTER(value + 1));
}

inline int tag_of(gpointer object, const char* key) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(object), key)) - 1;
}

// Lists and trees are tree views; a multi-column list is an icon view, a grid of text cells.
inline bool has_rows(ControlKind kind) {
  return kind == ControlKind::list_box || kind == ControlKind::multi_list ||
         kind == ControlKind::tree;
}

inline bool takes_items(ControlKind kind) {
  return has_rows(kind) || kind == ControlKind::combo_box || kind == ControlKind::tab_panel;
}

struct Control {
  ControlKind kind = ControlKind::label;
  GtkWidget* outer = nullptr;  // the widget placed in the window
  GtkWidget* inner = nullptr;  // the widget that takes the focus and carries the name
  std::string text;
  int flags = 0;
  // The ticks of a check list are kept here; the marks of a list of several are its selection.
  std::vector<ListItem> items;
  std::vector<std::string> paths;  // tree paths of the rows of `items`
  int created = 0;                 // the order in which the window's controls were made
  std::string given_name;          // the program's name for a control without caption or label
};

inline bool is_grid(const Control& c) {
  return c.kind == ControlKind::multi_list;
}

inline bool is_check_list(const Control& c) {
  return is_check_list(c.kind, c.flags);
}

inline bool selects_several(const Control& c) {
  return selects_several(c.kind, c.flags);
}

// The text field of an editable combo box, null for any other control.
inline GtkWidget* combo_entry(const Control& c) {
  if (c.kind != ControlKind::combo_box || !gtk_combo_box_get_has_entry(GTK_COMBO_BOX(c.inner))) {
    return nullptr;
  }
  return gtk_bin_get_child(GTK_BIN(c.inner));
}

struct Window {
  GtkWidget* gtk = nullptr;
  GtkWidget* box = nullptr;
  GtkWidget* menu_bar = nullptr;
  GtkWidget* fixed = nullptr;
  GtkCssProvider* colours = nullptr;
  std::map<int, Control> controls;
  int controls_made = 0;
  std::map<int, int> shortcuts;
  std::map<int, guint> timers;
  int popup = 0;
  // A combo box's list is open, or has just closed and the window has not yet had the keyboard
  // back: the list's grab does not take the window out of the foreground.
  bool list_shown = false;
  bool list_grab = false;
  guint list_settle = 0;   // the check that ends `list_grab` when the keyboard went elsewhere
  guint deactivation = 0;  // the check that the window has not had the keyboard back at once
};

struct Menu {
  GtkWidget* shell = nullptr;
  int window = 0;
};

}  // namespace gtk

struct GtkWindowSystem::State {
  Display* display = nullptr;
  std::unique_ptr<X11Keys> keys;
  std::map<int, gtk::Window> windows;
  int next_window = 1;
  std::map<int, gtk::Menu> menus;
  int next_menu = 1;
  std::map<int, GtkStatusIcon*> tray;
  // The last click on a tray icon: the menu it opens appears there, grabbing the keys with it.
  int clicked_icon = 0;
  GdkEvent* icon_click = nullptr;
  std::deque<RawEvent> queue;
  bool programmatic = false;  // signals raised by our own changes are not the user's
  bool focus_moved = false;
  // Space or Return gone down on a button, box or option: key -> window and control, clicked
  // when the key comes up, as on Windows (GTK's own would click after a quarter second).
  std::map<int, std::pair<int, int>> click_on_release;
  // What else ends the wait, made when first asked for.
  std::unique_ptr<FileWatch> file_watch;
  std::unique_ptr<DesktopKeyWatch> key_watch;
  int watched_key = 0;

  gtk::Window* window_of(int window) {
    const auto found = windows.find(window);
    return found == windows.end() ? nullptr : &found->second;
  }
  gtk::Control* control_of(int window, int number) {
    gtk::Window* w = window_of(window);
    if (w == nullptr) return nullptr;
    const auto found = w->controls.find(number);
    return found == w->controls.end() ? nullptr : &found->second;
  }
  void post(RawEvent event) { queue.push_back(event); }
  int top_window() const { return windows.empty() ? 0 : windows.rbegin()->first; }
  int focused(const gtk::Window& w) const {
    for (GtkWidget* widget = gtk_window_get_focus(GTK_WINDOW(w.gtk)); widget != nullptr;
         widget = gtk_widget_get_parent(widget)) {
      const int number = gtk::tag_of(widget, gtk::kControlTag);
      if (number >= 0) return number;
    }
    return -1;
  }
  bool key_pressed(int window, int key, guint state);
  void toggle_tick(gtk::Control& c, int index);
  void key_released(int window, int key, guint state);
  void present_top_window();
};

namespace gtk {

using State = GtkWindowSystem::State;

struct TimerTag {
  State* state;
  int window;
  int id;
};

void delete_timer_tag(gpointer data);

// The text GLib gave, freed.
std::string taken_string(gchar* text);
// Without a window manager nobody gives a new window the keyboard; it takes it when mapped.
gboolean on_map(GtkWidget* widget, GdkEvent*, gpointer);
// A control's notification, unless the program's own change raised it.
void post_notification(State& s, GtkWidget* widget, Notification notification);
void on_changed(GtkWidget* widget, gpointer data);
// The label names the control for a screen reader.
void relate(GtkWidget* label, GtkWidget* control);

// Lists and grids (gtk_lists.cpp).
GtkWidget* make_rows(bool tree, bool ticks, State& s);
GtkWidget* make_grid(State& s);
GtkWidget* make_editable_combo();
void connect_combo_notifications(GtkWidget* combo, State& s);
// The selected row; a list of several gives its cursor row while any row is selected.
int selected_row(const Control& c);
// The row alone is selected, and the arrow keys go on from it.
void select_row(const Control& c, int index);
// The keys a list, a tree or a check list uses as its Windows counterpart does where GTK's
// control would not; true when the control used the key.
bool used_by_list(State& s, Control& c, int key, int modifiers);

}  // namespace gtk

}  // namespace tavelo
