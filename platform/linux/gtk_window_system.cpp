#include "platform/linux/gtk_window_system.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/files.hpp"
#include "platform/linux/x11_keys.hpp"
#include "platform/list_kinds.hpp"
#include "platform/services.hpp"
#include "platform/sound_decoders.hpp"

namespace tavelo {

namespace {

// Object data keys. A number is stored plus one, because a stored 0 reads as "no data".
constexpr const char* kWindowTag = "tavelo-window";
constexpr const char* kControlTag = "tavelo-control";
constexpr const char* kCommandTag = "tavelo-command";
constexpr const char* kIconTag = "tavelo-icon";
constexpr const char* kViewKey = "tavelo-view";  // the list a tick renderer draws in

// The columns of a list's rows: the text, the index among the control's items, the tick.
constexpr gint kTextColumn = 0;
constexpr gint kIndexColumn = 1;
constexpr gint kTickColumn = 2;

void tag(gpointer object, const char* key, int value) {
  g_object_set_data(G_OBJECT(object), key, GINT_TO_POINTER(value + 1));
}

int tag_of(gpointer object, const char* key) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(object), key)) - 1;
}

bool is_arrow(int key) {
  return key >= vk::left && key <= vk::down;
}

bool is_alt(int key) {
  return key == vk::alt || key == 164 || key == 165;
}

bool has_caption(ControlKind kind) {
  return kind == ControlKind::button || kind == ControlKind::check_box ||
         kind == ControlKind::option || kind == ControlKind::label;
}

// Lists and trees are tree views; a multi-column list is an icon view, a grid of text cells.
bool has_rows(ControlKind kind) {
  return kind == ControlKind::list_box || kind == ControlKind::multi_list ||
         kind == ControlKind::tree;
}

bool takes_items(ControlKind kind) {
  return has_rows(kind) || kind == ControlKind::combo_box || kind == ControlKind::tab_panel;
}

// Windows captions mark their mnemonic with "&"; GTK menus with "_".
std::string menu_label(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') {
      out += '_';
    } else if (c == '_') {
      out += "__";
    } else {
      out += c == '\t' ? ' ' : c;
    }
  }
  return out;
}

// Texts of the program break lines with "\r" or "\r\n".
std::string with_line_feeds(std::string_view text) {
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

std::string taken_string(gchar* text) {
  std::string out = text == nullptr ? "" : text;
  g_free(text);
  return out;
}

int modifiers_of(guint state, int key) {
  int modifiers = 0;
  if ((state & GDK_SHIFT_MASK) != 0 || key == vk::shift || key == 160 || key == 161) {
    modifiers |= kShortcutShift;
  }
  if ((state & GDK_CONTROL_MASK) != 0 || key == vk::control || key == 162 || key == 163) {
    modifiers |= kShortcutControl;
  }
  if ((state & GDK_MOD1_MASK) != 0 || is_alt(key)) modifiers |= kShortcutAlt;
  return modifiers;
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
};

bool is_grid(const Control& c) {
  return c.kind == ControlKind::multi_list;
}

bool is_check_list(const Control& c) {
  return is_check_list(c.kind, c.flags);
}

bool selects_several(const Control& c) {
  return selects_several(c.kind, c.flags);
}

// The text field of an editable combo box, null for any other control.
GtkWidget* combo_entry(const Control& c) {
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
  guint list_settle = 0;  // the check that ends `list_grab` when the keyboard went elsewhere
};

struct Menu {
  GtkWidget* shell = nullptr;
  int window = 0;
};

struct TimerTag;

}  // namespace

struct GtkWindowSystem::State {
  Display* display = nullptr;
  std::unique_ptr<X11Keys> keys;
  std::map<int, Window> windows;
  int next_window = 1;
  std::map<int, Menu> menus;
  int next_menu = 1;
  std::map<int, GtkStatusIcon*> tray;
  std::deque<RawEvent> queue;
  bool programmatic = false;  // signals raised by our own changes are not the user's
  bool focus_moved = false;

  Window* window_of(int window) {
    const auto found = windows.find(window);
    return found == windows.end() ? nullptr : &found->second;
  }
  Control* control_of(int window, int number) {
    Window* w = window_of(window);
    if (w == nullptr) return nullptr;
    const auto found = w->controls.find(number);
    return found == w->controls.end() ? nullptr : &found->second;
  }
  void post(RawEvent event) { queue.push_back(event); }
  int top_window() const { return windows.empty() ? 0 : windows.rbegin()->first; }
  int focused(const Window& w) const {
    for (GtkWidget* widget = gtk_window_get_focus(GTK_WINDOW(w.gtk)); widget != nullptr;
         widget = gtk_widget_get_parent(widget)) {
      const int number = tag_of(widget, kControlTag);
      if (number >= 0) return number;
    }
    return -1;
  }
  bool key_pressed(int window, int key, guint state);
  void toggle_tick(Control& c, int index);
  void key_released(int window, int key, guint state);
  void present_top_window();
};

namespace {

using State = GtkWindowSystem::State;

struct TimerTag {
  State* state;
  int window;
  int id;
};

void delete_timer_tag(gpointer data) {
  delete static_cast<TimerTag*>(data);
}

gboolean on_key(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  State& s = *static_cast<State*>(data);
  const int key = s.keys->key_of(event->hardware_keycode);
  if (key == 0) return FALSE;
  const int window = tag_of(widget, kWindowTag);
  if (event->type == GDK_KEY_PRESS) return s.key_pressed(window, key, event->state) ? TRUE : FALSE;
  s.key_released(window, key, event->state);
  return FALSE;
}

void on_active(GObject* object, GParamSpec*, gpointer data) {
  State& s = *static_cast<State*>(data);
  const int window = tag_of(object, kWindowTag);
  const bool active = gtk_window_is_active(GTK_WINDOW(object)) != FALSE;
  if (Window* w = s.window_of(window); w != nullptr && w->list_grab) {
    if (active && !w->list_shown) w->list_grab = false;
    return;
  }
  s.post(
      {.kind = active ? RawEvent::Kind::activated : RawEvent::Kind::deactivated, .window = window});
}

// When the list closed and the keyboard did not come back to the window, another window took
// it: the window leaves the foreground now.
gboolean settle_list_grab(gpointer data) {
  const TimerTag& settle = *static_cast<TimerTag*>(data);
  Window* w = settle.state->window_of(settle.window);
  if (w == nullptr) return G_SOURCE_REMOVE;
  w->list_settle = 0;
  if (!w->list_grab || w->list_shown) return G_SOURCE_REMOVE;
  w->list_grab = false;
  if (!gtk_window_is_active(GTK_WINDOW(w->gtk))) {
    settle.state->post({.kind = RawEvent::Kind::deactivated, .window = settle.window});
  }
  return G_SOURCE_REMOVE;
}

// The keys released while the list has the keyboard are released in the dialog all the same.
gboolean on_list_key_release(GtkWidget* list, GdkEventKey* event, gpointer data) {
  State& s = *static_cast<State*>(data);
  const int key = s.keys->key_of(event->hardware_keycode);
  if (key != 0) s.key_released(tag_of(list, kWindowTag), key, event->state);
  return FALSE;
}

// The list's own window: its key handler sees each key once, the list inside may see it twice.
void follow_list_keys(State& s, GtkWidget* combo, int window) {
  AtkObject* popup = gtk_combo_box_get_popup_accessible(GTK_COMBO_BOX(combo));
  GtkWidget* inside = popup == nullptr ? nullptr : gtk_accessible_get_widget(GTK_ACCESSIBLE(popup));
  GtkWidget* list = inside == nullptr ? nullptr : gtk_widget_get_toplevel(inside);
  if (list == nullptr || tag_of(list, kWindowTag) >= 0) return;
  tag(list, kWindowTag, window);
  g_signal_connect(list, "key-release-event", G_CALLBACK(on_list_key_release), &s);
}

// A combo box's list grabs the keyboard, which GTK reports as the window losing it; a Windows
// combo box's list leaves the dialog in the foreground, its keys and its choice the dialog's.
void on_list_shown(GObject* combo, GParamSpec*, gpointer data) {
  State& s = *static_cast<State*>(data);
  const int window = tag_of(combo, kWindowTag);
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  gboolean shown = FALSE;
  g_object_get(combo, "popup-shown", &shown, nullptr);
  w->list_shown = shown != FALSE;
  if (w->list_shown) {
    w->list_grab = true;
    follow_list_keys(s, GTK_WIDGET(combo), window);
  } else if (gtk_window_is_active(GTK_WINDOW(w->gtk))) {
    w->list_grab = false;
  } else if (w->list_settle == 0) {
    w->list_settle = g_timeout_add_full(G_PRIORITY_DEFAULT, 250, settle_list_grab,
                                        new TimerTag{&s, window, 0}, delete_timer_tag);
  }
}

gboolean on_delete(GtkWidget* widget, GdkEvent*, gpointer data) {
  static_cast<State*>(data)->post(
      {.kind = RawEvent::Kind::close, .window = tag_of(widget, kWindowTag)});
  return TRUE;  // the dialog decides whether its window closes
}

// Without a window manager nobody gives a new window the keyboard; it takes it when mapped.
gboolean on_map(GtkWidget* widget, GdkEvent*, gpointer) {
  gtk_window_present(GTK_WINDOW(widget));
  return FALSE;
}

void on_focus_set(GtkWindow*, GtkWidget*, gpointer data) {
  static_cast<State*>(data)->focus_moved = true;
}

void post_notification(State& s, GtkWidget* widget, Notification notification) {
  if (s.programmatic) return;
  s.post({.kind = RawEvent::Kind::control,
          .window = tag_of(widget, kWindowTag),
          .id = tag_of(widget, kControlTag),
          .notification = notification});
}

void on_clicked(GtkWidget* widget, gpointer data) {
  // A radio button that the group switches off is not clicked by the user.
  if (GTK_IS_RADIO_BUTTON(widget) && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) {
    return;
  }
  post_notification(*static_cast<State*>(data), widget, Notification::click);
}

void on_changed(GtkWidget* widget, gpointer data) {
  post_notification(*static_cast<State*>(data), widget, Notification::change);
}

void on_selection_changed(GtkTreeSelection* selection, gpointer data) {
  on_changed(GTK_WIDGET(gtk_tree_selection_get_tree_view(selection)), data);
}

// Typing in an editable combo box leaves no item chosen; only choosing an item is a change.
void on_combo_changed(GtkComboBox* combo, gpointer data) {
  if (gtk_combo_box_get_active(combo) >= 0) on_changed(GTK_WIDGET(combo), data);
}

void on_tick_clicked(GtkCellRendererToggle* renderer, gchar* path, gpointer data) {
  State& s = *static_cast<State*>(data);
  GtkWidget* view = GTK_WIDGET(g_object_get_data(G_OBJECT(renderer), kViewKey));
  Control* c = s.control_of(tag_of(view, kWindowTag), tag_of(view, kControlTag));
  GtkTreeIter iter;
  GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view));
  if (c == nullptr || !gtk_tree_model_get_iter_from_string(model, &iter, path)) return;
  gint index = -1;
  gtk_tree_model_get(model, &iter, kIndexColumn, &index, -1);
  s.toggle_tick(*c, index);
}

void on_page(GtkNotebook* notebook, GtkWidget*, guint, gpointer data) {
  post_notification(*static_cast<State*>(data), GTK_WIDGET(notebook), Notification::click);
}

void on_menu_item(GtkWidget* item, gpointer data) {
  static_cast<State*>(data)->post({.kind = RawEvent::Kind::command,
                                   .window = tag_of(item, kWindowTag),
                                   .id = tag_of(item, kCommandTag)});
}

gboolean on_timer(gpointer data) {
  const TimerTag& timer = *static_cast<TimerTag*>(data);
  timer.state->post({.kind = RawEvent::Kind::timer, .window = timer.window, .id = timer.id});
  return G_SOURCE_CONTINUE;
}

void on_tray(GtkStatusIcon* icon, gpointer data) {
  State& s = *static_cast<State*>(data);
  s.post({.kind = RawEvent::Kind::tray, .window = s.top_window(), .id = tag_of(icon, kIconTag)});
}

// A field of digits takes the digits of what the user types or pastes, and sounds the bell for
// the rest; the program's own text goes in as it is, as on Windows.
void keep_digits(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer data) {
  if (static_cast<State*>(data)->programmatic) return;
  const std::string_view typed(text,
                               length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
  std::string digits;
  for (const char c : typed) {
    if (g_ascii_isdigit(c)) digits += c;
  }
  if (digits.size() == typed.size()) return;
  gtk_widget_error_bell(GTK_WIDGET(editable));
  if (!digits.empty()) {
    g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(keep_digits), data);
    gtk_editable_insert_text(editable, digits.c_str(), static_cast<gint>(digits.size()), position);
    g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(keep_digits), data);
  }
  g_signal_stop_emission_by_name(editable, "insert-text");
}

GtkWidget* scrolled(GtkWidget* inner) {
  GtkWidget* outer = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(outer), GTK_POLICY_AUTOMATIC,
                                 GTK_POLICY_AUTOMATIC);
  gtk_container_add(GTK_CONTAINER(outer), inner);
  // Only the list or editor inside is a stop of the keyboard and of the screen reader.
  gtk_widget_set_can_focus(outer, FALSE);
  return outer;
}

// A check list draws a tick box before each text; a click on it ticks or unticks it.
void add_tick_column(GtkWidget* view, State& s) {
  GtkCellRenderer* tick = gtk_cell_renderer_toggle_new();
  g_object_set_data(G_OBJECT(tick), kViewKey, view);
  g_signal_connect(tick, "toggled", G_CALLBACK(on_tick_clicked), &s);
  gtk_tree_view_append_column(GTK_TREE_VIEW(view), gtk_tree_view_column_new_with_attributes(
                                                       "", tick, "active", kTickColumn, nullptr));
}

GtkTreeModel* new_rows(bool tree) {
  return tree ? GTK_TREE_MODEL(gtk_tree_store_new(3, G_TYPE_STRING, G_TYPE_INT, G_TYPE_BOOLEAN))
              : GTK_TREE_MODEL(gtk_list_store_new(3, G_TYPE_STRING, G_TYPE_INT, G_TYPE_BOOLEAN));
}

GtkWidget* make_rows(bool tree, bool ticks, State& s) {
  GtkTreeModel* model = new_rows(tree);
  GtkWidget* view = gtk_tree_view_new_with_model(model);
  g_object_unref(model);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), FALSE);
  // GTK's search field would take the keys typed after a letter; a letter goes to a row instead.
  gtk_tree_view_set_enable_search(GTK_TREE_VIEW(view), FALSE);
  if (ticks) add_tick_column(view, s);
  gtk_tree_view_append_column(GTK_TREE_VIEW(view),
                              gtk_tree_view_column_new_with_attributes(
                                  "", gtk_cell_renderer_text_new(), "text", kTextColumn, nullptr));
  g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(view)), "changed",
                   G_CALLBACK(on_selection_changed), &s);
  return view;
}

// GTK 3 works out whether a cell of an icon view shows on the screen when the view scrolls, not
// when it lays its cells out: after each layout the view is told that it scrolled, so that a
// screen reader finds the cells that show.
void on_grid_allocated(GtkWidget* grid, GdkRectangle*, gpointer) {
  GtkAdjustment* adjustment = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(grid));
  if (adjustment != nullptr) g_signal_emit_by_name(adjustment, "value-changed");
}

// Cells of equal width, placed line by line, as many on a line as the width holds. Unlike a
// flow box, an icon view tells a screen reader which of its cells are selected.
GtkWidget* make_grid(State& s) {
  GtkTreeModel* model = new_rows(false);
  GtkWidget* grid = gtk_icon_view_new_with_model(model);
  g_object_unref(model);
  // A text column of the icon view's own would wrap every text at 50 pixels, and so make every
  // cell that wide; a plain text cell is as wide as the longest text.
  GtkCellRenderer* text = gtk_cell_renderer_text_new();
  g_object_set(text, "xalign", 0.5F, nullptr);
  gtk_cell_layout_pack_start(GTK_CELL_LAYOUT(grid), text, TRUE);
  gtk_cell_layout_add_attribute(GTK_CELL_LAYOUT(grid), text, "text", kTextColumn);
  GtkIconView* icons = GTK_ICON_VIEW(grid);
  gtk_icon_view_set_columns(icons, -1);
  gtk_icon_view_set_margin(icons, 0);
  gtk_icon_view_set_spacing(icons, 0);
  gtk_icon_view_set_row_spacing(icons, 0);
  gtk_icon_view_set_column_spacing(icons, 0);
  g_signal_connect(grid, "selection-changed", G_CALLBACK(on_changed), &s);
  g_signal_connect_after(grid, "size-allocate", G_CALLBACK(on_grid_allocated), nullptr);
  return grid;
}

void leave_out_of_tab_order(GtkWidget* widget, gpointer) {
  if (GTK_IS_TOGGLE_BUTTON(widget)) {
    gtk_widget_set_can_focus(widget, FALSE);
  } else if (GTK_IS_CONTAINER(widget)) {
    gtk_container_forall(GTK_CONTAINER(widget), leave_out_of_tab_order, nullptr);
  }
}

// A combo box the user may type in is one stop of the Tab key, as on Windows: the arrow button
// GTK puts beside its text field would be a second stop, where the typed keys go nowhere.
GtkWidget* make_editable_combo() {
  GtkWidget* combo = gtk_combo_box_text_new_with_entry();
  gtk_container_forall(GTK_CONTAINER(combo), leave_out_of_tab_order, nullptr);
  return combo;
}

GtkWidget* make_inner(ControlKind kind, int flags, GtkWidget* group, State& s) {
  switch (kind) {
    case ControlKind::button:
      return gtk_button_new_with_label("");
    case ControlKind::check_box:
      return gtk_check_button_new_with_label("");
    case ControlKind::option:
      return gtk_radio_button_new_with_label_from_widget(
          group == nullptr ? nullptr : GTK_RADIO_BUTTON(group), "");
    case ControlKind::text_field: {
      GtkWidget* entry = gtk_entry_new();
      if ((flags & kPassword) != 0) gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
      if ((flags & kDigitsOnly) != 0) {
        gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_DIGITS);
        g_signal_connect(entry, "insert-text", G_CALLBACK(keep_digits), &s);
      }
      return entry;
    }
    case ControlKind::label: {
      GtkWidget* label = gtk_label_new("");
      gtk_label_set_xalign(GTK_LABEL(label), 0.0F);
      return label;
    }
    case ControlKind::list_box:
      return make_rows(false, is_check_list(kind, flags), s);
    case ControlKind::multi_list:
      return make_grid(s);
    case ControlKind::tree:
      return make_rows(true, false, s);
    case ControlKind::combo_box:
      return is_editable_combo(kind, flags) ? make_editable_combo() : gtk_combo_box_text_new();
    case ControlKind::editor: {
      GtkWidget* view = gtk_text_view_new();
      gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
      return view;
    }
    case ControlKind::tab_panel:
      return gtk_notebook_new();
  }
  return gtk_label_new("");
}

void connect_notifications(Control& c, State& s) {
  switch (c.kind) {
    case ControlKind::button:
    case ControlKind::check_box:
    case ControlKind::option:
      g_signal_connect(c.inner, "clicked", G_CALLBACK(on_clicked), &s);
      break;
    case ControlKind::combo_box:
      g_signal_connect(c.inner, "changed", G_CALLBACK(on_combo_changed), &s);
      g_signal_connect(c.inner, "notify::popup-shown", G_CALLBACK(on_list_shown), &s);
      break;
    case ControlKind::tab_panel:
      g_signal_connect(c.inner, "switch-page", G_CALLBACK(on_page), &s);
      break;
    default:
      break;
  }
}

void apply_flags(Control& c) {
  if (c.kind == ControlKind::editor) {
    const bool read_only = (c.flags & kReadOnly) != 0;
    gtk_text_view_set_editable(GTK_TEXT_VIEW(c.inner), read_only ? FALSE : TRUE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(c.inner), TRUE);
  } else if (c.kind == ControlKind::text_field) {
    gtk_editable_set_editable(GTK_EDITABLE(c.inner), (c.flags & kReadOnly) != 0 ? FALSE : TRUE);
  } else if (is_grid(c)) {
    gtk_icon_view_set_selection_mode(
        GTK_ICON_VIEW(c.inner), selects_several(c) ? GTK_SELECTION_MULTIPLE : GTK_SELECTION_SINGLE);
  } else if (has_rows(c.kind)) {
    gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(c.inner)),
                                selects_several(c) ? GTK_SELECTION_MULTIPLE : GTK_SELECTION_SINGLE);
  }
}

GtkTextBuffer* buffer_of(const Control& c) {
  return gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.inner));
}

GtkTreeModel* model_of(const Control& c) {
  return is_grid(c) ? gtk_icon_view_get_model(GTK_ICON_VIEW(c.inner))
                    : gtk_tree_view_get_model(GTK_TREE_VIEW(c.inner));
}

void show_caption(Control& c) {
  const std::string caption = without_ampersands(c.text);
  if (c.kind == ControlKind::label) {
    gtk_label_set_text(GTK_LABEL(c.inner), caption.c_str());
  } else {
    gtk_button_set_label(GTK_BUTTON(c.inner), caption.c_str());
  }
}

void show_text(Control& c) {
  if (has_caption(c.kind)) {
    show_caption(c);
  } else if (c.kind == ControlKind::text_field) {
    gtk_entry_set_text(GTK_ENTRY(c.inner), c.text.c_str());
    // The field will select its text when the keyboard enters it. Selected already, the text
    // gives a screen reader no selection to tell of then, which would cut the field's name short
    // the first time it is entered.
    if (!gtk_widget_has_focus(c.inner)) gtk_editable_select_region(GTK_EDITABLE(c.inner), 0, -1);
  } else if (c.kind == ControlKind::editor) {
    gtk_text_buffer_set_text(buffer_of(c), with_line_feeds(c.text).c_str(), -1);
  } else if (GtkWidget* entry = combo_entry(c)) {
    gtk_entry_set_text(GTK_ENTRY(entry), c.text.c_str());
  }
}

void relate(GtkWidget* label, GtkWidget* control) {
  AtkObject* label_object = gtk_widget_get_accessible(label);
  AtkObject* control_object = gtk_widget_get_accessible(control);
  // GTK gives an option button its group relation when its relations are first asked for, and
  // fails an assertion (a critical) when a screen reader asks after other relations came first.
  g_object_unref(atk_object_ref_relation_set(control_object));
  atk_object_add_relationship(control_object, ATK_RELATION_LABELLED_BY, label_object);
  atk_object_add_relationship(label_object, ATK_RELATION_LABEL_FOR, control_object);
}

// The label of an option group: the nearest control before the run of options, when a label.
const Control* group_label(const Window& w, int number) {
  for (int n = number - 1; n >= 0; --n) {
    const auto found = w.controls.find(n);
    if (found == w.controls.end()) return nullptr;
    if (found->second.kind == ControlKind::option) continue;
    return found->second.kind == ControlKind::label ? &found->second : nullptr;
  }
  return nullptr;
}

// The label that names a control without a caption: the one numbered just before it, or else
// the one made just before it (Windows names a control by the label before it in the dialog's
// order, whatever their numbers).
const Control* naming_label(const Window& w, int number, const Control& c) {
  if (const auto before = w.controls.find(number - 1);
      before != w.controls.end() && before->second.kind == ControlKind::label) {
    return &before->second;
  }
  for (const auto& [n, other] : w.controls) {
    if (other.created == c.created - 1) {
      return other.kind == ControlKind::label ? &other : nullptr;
    }
  }
  return nullptr;
}

// A screen reader says a control by its caption, or by the label placed just before it;
// GTK does not take a field's name from a neighbouring label by itself.
void name_control(const Window& w, int number) {
  const auto found = w.controls.find(number);
  if (found == w.controls.end()) return;
  const Control& c = found->second;
  AtkObject* object = gtk_widget_get_accessible(c.inner);
  if (has_caption(c.kind)) {
    atk_object_set_name(object, without_ampersands(c.text).c_str());
  } else if (const Control* label = naming_label(w, number, c)) {
    atk_object_set_name(object, without_ampersands(label->text).c_str());
    relate(label->inner, c.inner);
  }
  // The text field of an editable combo box takes the keyboard: it carries the same name.
  if (GtkWidget* entry = combo_entry(c)) {
    const char* name = atk_object_get_name(object);
    atk_object_set_name(gtk_widget_get_accessible(entry), name == nullptr ? "" : name);
  }
  if (c.kind != ControlKind::option) return;
  if (const Control* label = group_label(w, number)) {
    atk_object_set_description(object, without_ampersands(label->text).c_str());
    relate(label->inner, c.inner);
  }
}

void name_neighbours(const Window& w, int number) {
  name_control(w, number);
  for (int n = number + 1; w.controls.contains(n); ++n) {
    name_control(w, n);
    if (w.controls.at(n).kind != ControlKind::option) break;
  }
}

std::string css_colour(std::uint32_t colour) {
  char text[8];
  g_snprintf(text, sizeof text, "#%06x", colour & 0xFFFFFFU);
  return text;
}

void apply_colours(Window& w, const WindowSpec& wanted, int number) {
  const std::string name = "tavelo-window-" + std::to_string(number);
  gtk_widget_set_name(w.gtk, name.c_str());
  const std::string css =
      "#" + name + ", #" + name + " * { color: " + css_colour(wanted.text_colour) +
      "; background-color: " + css_colour(wanted.background_colour) + "; background-image: none; }";
  w.colours = gtk_css_provider_new();
  gtk_css_provider_load_from_data(w.colours, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(w.colours),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

GdkRectangle desktop() {
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
  GdkRectangle area{0, 0, 1280, 1024};
  if (monitor != nullptr) gdk_monitor_get_geometry(monitor, &area);
  return area;
}

bool tree_iter(const Control& c, int index, GtkTreeIter* iter) {
  if (index < 0 || index >= static_cast<int>(c.paths.size())) return false;
  return gtk_tree_model_get_iter_from_string(
             model_of(c), iter, c.paths[static_cast<std::size_t>(index)].c_str()) != FALSE;
}

GtkTreeSelection* selection_of(const Control& c) {
  return gtk_tree_view_get_selection(GTK_TREE_VIEW(c.inner));
}

int row_index(GtkTreeModel* model, GtkTreeIter* iter) {
  gint index = -1;
  gtk_tree_model_get(model, iter, kIndexColumn, &index, -1);
  return index;
}

int row_at(const Control& c, GtkTreePath* path) {
  GtkTreeIter iter;
  return gtk_tree_model_get_iter(model_of(c), &iter, path) ? row_index(model_of(c), &iter) : -1;
}

// Every selected row, the grid's included; the caller frees the list.
GList* selected_paths(const Control& c) {
  if (is_grid(c)) return gtk_icon_view_get_selected_items(GTK_ICON_VIEW(c.inner));
  return gtk_tree_selection_get_selected_rows(selection_of(c), nullptr);
}

void free_paths(GList* paths) {
  g_list_free_full(paths, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
}

int first_selected_row(const Control& c) {
  GList* paths = selected_paths(c);
  int first = -1;
  for (GList* path = paths; path != nullptr; path = path->next) {
    const int index = row_at(c, static_cast<GtkTreePath*>(path->data));
    if (index >= 0 && (first < 0 || index < first)) first = index;
  }
  free_paths(paths);
  return first;
}

// The row of the keyboard's cursor, -1 without one.
int cursor_row(const Control& c) {
  GtkTreePath* path = nullptr;
  if (is_grid(c)) {
    gtk_icon_view_get_cursor(GTK_ICON_VIEW(c.inner), &path, nullptr);
  } else {
    gtk_tree_view_get_cursor(GTK_TREE_VIEW(c.inner), &path, nullptr);
  }
  if (path == nullptr) return -1;
  const int index = row_at(c, path);
  gtk_tree_path_free(path);
  return index;
}

// The selected row; a list of several gives its cursor row while any row is selected.
int selected_row(const Control& c) {
  const int first = first_selected_row(c);
  if (first < 0 || !selects_several(c)) return first;
  const int cursor = cursor_row(c);
  return cursor >= 0 ? cursor : first;
}

bool path_selected(const Control& c, GtkTreePath* path) {
  if (is_grid(c)) return gtk_icon_view_path_is_selected(GTK_ICON_VIEW(c.inner), path) != FALSE;
  return gtk_tree_selection_path_is_selected(selection_of(c), path) != FALSE;
}

void select_path(const Control& c, GtkTreePath* path, bool selected) {
  if (is_grid(c) && selected) {
    gtk_icon_view_select_path(GTK_ICON_VIEW(c.inner), path);
  } else if (is_grid(c)) {
    gtk_icon_view_unselect_path(GTK_ICON_VIEW(c.inner), path);
  } else if (selected) {
    gtk_tree_selection_select_path(selection_of(c), path);
  } else {
    gtk_tree_selection_unselect_path(selection_of(c), path);
  }
}

void unselect_rows(const Control& c) {
  if (is_grid(c)) {
    gtk_icon_view_unselect_all(GTK_ICON_VIEW(c.inner));
  } else {
    gtk_tree_selection_unselect_all(selection_of(c));
  }
}

// The nodes above a tree row open to show it; the row itself stays open or closed.
void reveal_row(GtkTreeView* view, GtkTreePath* path) {
  GtkTreePath* parent = gtk_tree_path_copy(path);
  if (gtk_tree_path_up(parent) && gtk_tree_path_get_depth(parent) > 0) {
    gtk_tree_view_expand_to_path(view, parent);
  }
  gtk_tree_path_free(parent);
}

// The row alone is selected, and the arrow keys go on from it.
void select_row(const Control& c, int index) {
  GtkTreeIter iter;
  if (!tree_iter(c, index, &iter)) {
    unselect_rows(c);
    return;
  }
  GtkTreePath* path = gtk_tree_model_get_path(model_of(c), &iter);
  if (is_grid(c)) {
    GtkIconView* grid = GTK_ICON_VIEW(c.inner);
    gtk_icon_view_unselect_all(grid);
    gtk_icon_view_set_cursor(grid, path, nullptr, FALSE);
    gtk_icon_view_select_path(grid, path);
    gtk_icon_view_scroll_to_path(grid, path, FALSE, 0, 0);
  } else {
    reveal_row(GTK_TREE_VIEW(c.inner), path);
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(c.inner), path, nullptr, FALSE);
  }
  gtk_tree_path_free(path);
}

// Right opens a closed node and goes into an open one; Left closes an open node and goes up
// from any other row, as in a Windows tree view (GTK's own Right and Left go across columns).
void open_or_close_node(const Control& c, int key) {
  GtkTreeView* view = GTK_TREE_VIEW(c.inner);
  GtkTreePath* path = nullptr;
  gtk_tree_view_get_cursor(view, &path, nullptr);
  if (path == nullptr) return;
  GtkTreeIter iter;
  const bool has_inner_rows = gtk_tree_model_get_iter(model_of(c), &iter, path) &&
                              gtk_tree_model_iter_has_child(model_of(c), &iter);
  const bool open = gtk_tree_view_row_expanded(view, path) != FALSE;
  if (key == vk::right && has_inner_rows && !open) {
    gtk_tree_view_expand_row(view, path, FALSE);
  } else if (key == vk::right && open) {
    gtk_tree_path_down(path);
    gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
  } else if (key == vk::left && open) {
    gtk_tree_view_collapse_row(view, path);
  } else if (key == vk::left && gtk_tree_path_get_depth(path) > 1 && gtk_tree_path_up(path)) {
    gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
  }
  gtk_tree_path_free(path);
}

// A row of a tree shows when every node above it is open.
bool row_shown(GtkTreeView* view, GtkTreePath* path) {
  GtkTreePath* above = gtk_tree_path_copy(path);
  bool shown = true;
  while (shown && gtk_tree_path_up(above) && gtk_tree_path_get_depth(above) > 0) {
    shown = gtk_tree_view_row_expanded(view, above) != FALSE;
  }
  gtk_tree_path_free(above);
  return shown;
}

// A letter or digit goes to the next row shown whose text begins with it, round the rows, as in
// a Windows list or tree view.
void go_to_initial(const Control& c, int key) {
  GtkTreeView* view = GTK_TREE_VIEW(c.inner);
  const int count = static_cast<int>(c.items.size());
  const int from = cursor_row(c);
  for (int step = 1; step <= count; ++step) {
    const int index = (from + step) % count;
    const std::string& text = c.items[static_cast<std::size_t>(index)].text;
    GtkTreeIter iter;
    if (text.empty() || g_unichar_tolower(g_utf8_get_char(text.c_str())) !=
                            g_unichar_tolower(static_cast<gunichar>(key))) {
      continue;
    }
    if (!tree_iter(c, index, &iter)) continue;
    GtkTreePath* path = gtk_tree_model_get_path(model_of(c), &iter);
    const bool shown = row_shown(view, path);
    if (shown) gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
    gtk_tree_path_free(path);
    if (shown) return;
  }
}

bool is_letter_or_digit(int key) {
  return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
}

// Left and Right on a tab strip turn to the page beside, up to the first or the last one;
// Control+Tab turns to the next page and Control+Shift+Tab to the one before, round the pages.
// GTK's own arrows would go round the pages, and Up or Down would leave the panel.
void turn_page(const Control& c, int key, int modifiers) {
  GtkNotebook* notebook = GTK_NOTEBOOK(c.inner);
  const int pages = gtk_notebook_get_n_pages(notebook);
  const int page = gtk_notebook_get_current_page(notebook);
  if (pages == 0) return;
  int next = page;
  if (key == vk::tab) {
    next = (page + ((modifiers & kShortcutShift) != 0 ? pages - 1 : 1)) % pages;
  } else if (key == vk::left) {
    next = std::max(page - 1, 0);
  } else if (key == vk::right) {
    next = std::min(page + 1, pages - 1);
  }
  if (next != page) gtk_notebook_set_current_page(notebook, next);
}

bool turns_page(int key, int modifiers) {
  if (key == vk::tab) return (modifiers & ~kShortcutShift) == kShortcutControl;
  return is_arrow(key) && modifiers == 0;
}

// A tree item goes under the last item one level up.
std::string append_row(Control& c, const ListItem& item) {
  GtkTreeModel* model = model_of(c);
  GtkTreeIter iter;
  const gint index = static_cast<gint>(c.items.size());
  if (GTK_IS_LIST_STORE(model)) {
    gtk_list_store_insert_with_values(GTK_LIST_STORE(model), &iter, -1, kTextColumn,
                                      item.text.c_str(), kIndexColumn, index, -1);
  } else {
    GtkTreeIter parent;
    bool has_parent = false;
    for (int i = index - 1; i >= 0 && item.level > 0; --i) {
      if (c.items[static_cast<std::size_t>(i)].level == item.level - 1) {
        has_parent = tree_iter(c, i, &parent);
        break;
      }
    }
    gtk_tree_store_insert_with_values(GTK_TREE_STORE(model), &iter, has_parent ? &parent : nullptr,
                                      -1, kTextColumn, item.text.c_str(), kIndexColumn, index, -1);
  }
  return taken_string(gtk_tree_model_get_string_from_iter(model, &iter));
}

// GTK leaves a grid cell and the tick cell of a check-list row without accessible name, and the
// tick cell is the one that has the focus in its row: both take the item's text, so that a
// screen reader says the item. The tick cell tells the tick itself.
void name_item_cell(const Control& c, int index, const std::string& text) {
  AtkObject* view = gtk_widget_get_accessible(c.inner);
  AtkObject* cell = is_grid(c) ? atk_object_ref_accessible_child(view, index)
                               : atk_table_ref_at(ATK_TABLE(view), index, 0);
  if (cell == nullptr) return;
  atk_object_set_name(cell, text.c_str());
  g_object_unref(cell);
}

void clear_rows(Control& c) {
  GtkTreeModel* model = model_of(c);
  if (GTK_IS_LIST_STORE(model)) {
    gtk_list_store_clear(GTK_LIST_STORE(model));
  } else {
    gtk_tree_store_clear(GTK_TREE_STORE(model));
  }
}

void set_tick(Control& c, int index, bool ticked) {
  GtkTreeIter iter;
  if (!tree_iter(c, index, &iter)) return;
  c.items[static_cast<std::size_t>(index)].marked = ticked;
  gtk_list_store_set(GTK_LIST_STORE(model_of(c)), &iter, kTickColumn, ticked ? TRUE : FALSE, -1);
}

bool is_marked(const Control& c, int index) {
  if (is_check_list(c)) return c.items[static_cast<std::size_t>(index)].marked;
  GtkTreeIter iter;
  if (!selects_several(c) || !tree_iter(c, index, &iter)) return false;
  GtkTreePath* path = gtk_tree_model_get_path(model_of(c), &iter);
  const bool selected = path_selected(c, path);
  gtk_tree_path_free(path);
  return selected;
}

void set_mark(Control& c, int index, bool marked) {
  GtkTreeIter iter;
  if (is_check_list(c)) {
    set_tick(c, index, marked);
  } else if (selects_several(c) && tree_iter(c, index, &iter)) {
    GtkTreePath* path = gtk_tree_model_get_path(model_of(c), &iter);
    select_path(c, path, marked);
    gtk_tree_path_free(path);
  }
}

CaretPosition editor_caret(const Control& c) {
  GtkTextBuffer* buffer = buffer_of(c);
  GtkTextIter iter;
  gtk_text_buffer_get_iter_at_mark(buffer, &iter, gtk_text_buffer_get_insert(buffer));
  return {gtk_text_iter_get_line(&iter) + 1, gtk_text_iter_get_line_offset(&iter) + 1};
}

void place_editor_caret(const Control& c, CaretPosition at) {
  GtkTextBuffer* buffer = buffer_of(c);
  GtkTextIter iter;
  const int lines = gtk_text_buffer_get_line_count(buffer);
  gtk_text_buffer_get_iter_at_line(buffer, &iter, std::clamp(at.line - 1, 0, lines - 1));
  for (int column = 1; column < at.column && !gtk_text_iter_ends_line(&iter); ++column) {
    gtk_text_iter_forward_char(&iter);
  }
  gtk_text_buffer_place_cursor(buffer, &iter);
  gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(c.inner), gtk_text_buffer_get_insert(buffer));
}

void add_filters(GtkFileChooser* chooser, std::string_view pattern) {
  if (pattern.empty()) return;
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, std::string(pattern).c_str());
  for (const std::string& one : pieces_between(pattern, ';')) {
    gtk_file_filter_add_pattern(filter, one.c_str());
  }
  gtk_file_chooser_add_filter(chooser, filter);
}

// The keys a control uses as its Windows counterpart does where GTK's control would not; true
// when the control used the key.
bool used_as_on_windows(State& s, Control& c, int key, int modifiers) {
  // Space ticks the focused row of a check list when it goes down.
  if (key == vk::space && modifiers == 0 && is_check_list(c)) {
    s.toggle_tick(c, cursor_row(c));
    return true;
  }
  if (c.kind == ControlKind::tab_panel && turns_page(key, modifiers)) {
    turn_page(c, key, modifiers);
    return true;
  }
  if ((key == vk::left || key == vk::right) && modifiers == 0 && c.kind == ControlKind::tree) {
    open_or_close_node(c, key);
    return true;
  }
  if (is_letter_or_digit(key) && (modifiers & ~kShortcutShift) == 0 && has_rows(c.kind) &&
      !is_grid(c)) {
    go_to_initial(c, key);
    return true;
  }
  return false;
}

}  // namespace

bool State::key_pressed(int window, int key, guint state) {
  Window* w = window_of(window);
  if (w == nullptr) return false;
  const int modifiers = modifiers_of(state, key);
  const bool alt = (modifiers & kShortcutAlt) != 0;
  if (alt) post({.kind = RawEvent::Kind::system_key_down, .window = window, .key = key});
  if (vk::is_modifier(key)) return false;
  const auto shortcut = w->shortcuts.find(key | modifiers);
  if (shortcut != w->shortcuts.end()) {
    post({.kind = RawEvent::Kind::command, .window = window, .id = shortcut->second});
    return true;
  }
  if (alt) {
    post({.kind = RawEvent::Kind::system_char, .window = window, .key = key});
    return false;  // the menu bar's own mnemonics
  }
  const bool control = (modifiers & kShortcutControl) != 0;
  if (key == vk::tab && !control) return false;  // GTK moves the focus
  const int focus = focused(*w);
  post({.kind = RawEvent::Kind::key_down,
        .window = window,
        .id = focus,
        .key = key,
        .character = vk::types_character(key) && !control});
  Control* c = control_of(window, focus);
  if (c == nullptr) return false;
  if (used_as_on_windows(*this, *c, key, modifiers)) return true;
  // The dialog layer walks through option groups itself, one step per lock.
  return is_arrow(key) && c->kind == ControlKind::option;
}

void State::toggle_tick(Control& c, int index) {
  if (index < 0 || index >= static_cast<int>(c.items.size())) return;
  set_tick(c, index, !c.items[static_cast<std::size_t>(index)].marked);
  post_notification(*this, c.inner, Notification::change);
}

void State::key_released(int window, int key, guint state) {
  const bool system = is_alt(key) || (state & GDK_MOD1_MASK) != 0;
  post({.kind = system ? RawEvent::Kind::system_key_up : RawEvent::Kind::key_up,
        .window = window,
        .key = key});
}

void State::present_top_window() {
  if (Window* w = window_of(top_window())) gtk_window_present(GTK_WINDOW(w->gtk));
}

GtkWindowSystem::GtkWindowSystem() : state_(std::make_unique<State>()) {
  gdk_set_allowed_backends("x11");
  // Screen readers list the application under this name.
  if (g_get_prgname() == nullptr) g_set_prgname("tavelo");
  if (!gtk_init_check(nullptr, nullptr)) {
    throw std::runtime_error("impossible d'ouvrir l'affichage X11 (DISPLAY)");
  }
  state_->display = gdk_x11_display_get_xdisplay(gdk_display_get_default());
  state_->keys = std::make_unique<X11Keys>(state_->display);
  // A combo box opens its items as a list, as on Windows, rather than as a menu: a menu makes a
  // widget for each item as it is added, and a list of the 1440 minutes of a day then floods a
  // screen reader with events.
  GtkCssProvider* combo_lists = gtk_css_provider_new();
  gtk_css_provider_load_from_data(
      combo_lists, "combobox { -GtkComboBox-appears-as-list: true; }", -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                            GTK_STYLE_PROVIDER(combo_lists),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(combo_lists);
}

GtkWindowSystem::~GtkWindowSystem() {
  while (!state_->windows.empty()) close_window(state_->windows.begin()->first);
  while (!state_->tray.empty()) remove_tray_icon(state_->tray.begin()->first);
}

int GtkWindowSystem::desktop_width() const {
  return desktop().width;
}

int GtkWindowSystem::desktop_height() const {
  return desktop().height;
}

int GtkWindowSystem::open_window(const WindowSpec& wanted) {
  State& s = *state_;
  const int number = s.next_window++;
  Window& w = s.windows[number];
  w.gtk = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  tag(w.gtk, kWindowTag, number);
  gtk_window_set_title(GTK_WINDOW(w.gtk), wanted.title.c_str());
  gtk_window_set_default_size(GTK_WINDOW(w.gtk), std::max(wanted.rect.width, 1),
                              std::max(wanted.rect.height, 1));
  if (wanted.centred) {
    gtk_window_set_position(GTK_WINDOW(w.gtk), GTK_WIN_POS_CENTER);
  } else {
    gtk_window_move(GTK_WINDOW(w.gtk), wanted.rect.x, wanted.rect.y);
  }
  if (wanted.maximised) gtk_window_maximize(GTK_WINDOW(w.gtk));
  w.box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  w.fixed = gtk_fixed_new();
  gtk_box_pack_end(GTK_BOX(w.box), w.fixed, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(w.gtk), w.box);
  if (wanted.custom_colours) apply_colours(w, wanted, number);
  g_signal_connect(w.gtk, "key-press-event", G_CALLBACK(on_key), &s);
  g_signal_connect(w.gtk, "key-release-event", G_CALLBACK(on_key), &s);
  g_signal_connect(w.gtk, "notify::is-active", G_CALLBACK(on_active), &s);
  g_signal_connect(w.gtk, "delete-event", G_CALLBACK(on_delete), &s);
  g_signal_connect(w.gtk, "map-event", G_CALLBACK(on_map), nullptr);
  g_signal_connect(w.gtk, "set-focus", G_CALLBACK(on_focus_set), &s);
  gtk_widget_show_all(w.gtk);
  return number;
}

void GtkWindowSystem::close_window(int window) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  for (const auto& [id, source] : w->timers) g_source_remove(source);
  if (w->list_settle != 0) g_source_remove(w->list_settle);
  if (w->colours != nullptr) {
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(),
                                                 GTK_STYLE_PROVIDER(w->colours));
    g_object_unref(w->colours);
  }
  gtk_widget_destroy(w->gtk);
  s.windows.erase(window);
  std::erase_if(s.menus, [window](const auto& entry) { return entry.second.window == window; });
  std::erase_if(s.queue, [window](const RawEvent& e) {
    return e.window == window && e.kind != RawEvent::Kind::tray;
  });
  s.present_top_window();
}

void GtkWindowSystem::set_window_title(int window, std::string_view title) {
  if (Window* w = state_->window_of(window)) {
    gtk_window_set_title(GTK_WINDOW(w->gtk), std::string(title).c_str());
  }
}

bool GtkWindowSystem::program_in_foreground() const {
  return foreground_window() != 0;
}

int GtkWindowSystem::foreground_window() const {
  for (const auto& [number, w] : state_->windows) {
    if (w.list_grab || gtk_window_is_active(GTK_WINDOW(w.gtk))) return number;
  }
  return 0;
}

void GtkWindowSystem::place_control(int window, int number, ControlKind kind, const PixelRect& rect,
                                    std::string_view text, int flags) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  Control& c = w->controls[number];
  if (c.inner == nullptr) {
    c.kind = kind;
    c.created = ++w->controls_made;
    const Control* before = s.control_of(window, number - 1);
    GtkWidget* group =
        before != nullptr && before->kind == ControlKind::option ? before->inner : nullptr;
    c.inner = make_inner(kind, flags, group, s);
    const bool scrolls = has_rows(kind) || kind == ControlKind::editor;
    c.outer = scrolls ? scrolled(c.inner) : c.inner;
    // A grid wraps its cells at its own width.
    if (kind == ControlKind::multi_list) {
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(c.outer), GTK_POLICY_NEVER,
                                     GTK_POLICY_AUTOMATIC);
    }
    tag(c.inner, kWindowTag, window);
    tag(c.inner, kControlTag, number);
    connect_notifications(c, s);
    gtk_fixed_put(GTK_FIXED(w->fixed), c.outer, rect.x, rect.y);
  } else {
    gtk_fixed_move(GTK_FIXED(w->fixed), c.outer, rect.x, rect.y);
  }
  gtk_widget_set_size_request(c.outer, std::max(rect.width, 1), std::max(rect.height, 1));
  c.text = text;
  c.flags = flags;
  s.programmatic = true;
  show_text(c);
  apply_flags(c);
  s.programmatic = false;
  gtk_widget_show_all(c.outer);
  name_neighbours(*w, number);
}

void GtkWindowSystem::remove_control(int window, int number) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  const auto found = w->controls.find(number);
  if (found == w->controls.end()) return;
  gtk_widget_destroy(found->second.outer);
  w->controls.erase(found);
  std::erase_if(s.queue, [&](const RawEvent& e) {
    return e.window == window && e.kind == RawEvent::Kind::control && e.id == number;
  });
}

std::optional<ControlKind> GtkWindowSystem::control_kind(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return std::nullopt;
  return c->kind;
}

std::string GtkWindowSystem::control_text(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return {};
  switch (c->kind) {
    case ControlKind::text_field:
      return gtk_entry_get_text(GTK_ENTRY(c->inner));
    case ControlKind::editor: {
      GtkTextIter start;
      GtkTextIter end;
      gtk_text_buffer_get_bounds(buffer_of(*c), &start, &end);
      return taken_string(gtk_text_buffer_get_text(buffer_of(*c), &start, &end, TRUE));
    }
    case ControlKind::combo_box: {
      if (GtkWidget* entry = combo_entry(*c)) return gtk_entry_get_text(GTK_ENTRY(entry));
      const int selected = gtk_combo_box_get_active(GTK_COMBO_BOX(c->inner));
      return selected < 0 ? c->text : c->items[static_cast<std::size_t>(selected)].text;
    }
    default:
      return c->text;
  }
}

void GtkWindowSystem::set_control_text(int window, int number, std::string_view text) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  c->text = text;
  state_->programmatic = true;
  show_text(*c);
  state_->programmatic = false;
  if (has_caption(c->kind)) name_neighbours(*state_->window_of(window), number);
}

int GtkWindowSystem::control_flags(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  return c == nullptr ? 0 : c->flags;
}

void GtkWindowSystem::set_control_flags(int window, int number, int flags) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  c->flags = flags;
  apply_flags(*c);
}

int GtkWindowSystem::control_state(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return 0;
  switch (c->kind) {
    case ControlKind::check_box:
    case ControlKind::option:
      return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(c->inner)) ? 1 : 0;
    case ControlKind::list_box:
    case ControlKind::multi_list:
    case ControlKind::tree:
      return selected_row(*c);
    case ControlKind::combo_box:
      return gtk_combo_box_get_active(GTK_COMBO_BOX(c->inner));
    case ControlKind::tab_panel:
      return gtk_notebook_get_current_page(GTK_NOTEBOOK(c->inner));
    default:
      return 0;
  }
}

void GtkWindowSystem::set_control_state(int window, int number, int state) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  const int last = static_cast<int>(c->items.size()) - 1;
  state_->programmatic = true;
  switch (c->kind) {
    case ControlKind::check_box:
    case ControlKind::option:
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c->inner), state != 0 ? TRUE : FALSE);
      break;
    case ControlKind::list_box:
    case ControlKind::multi_list:
    case ControlKind::tree:
      select_row(*c, std::clamp(state, -1, last));
      break;
    case ControlKind::combo_box:
      gtk_combo_box_set_active(GTK_COMBO_BOX(c->inner), std::clamp(state, -1, last));
      break;
    case ControlKind::tab_panel:
      gtk_notebook_set_current_page(GTK_NOTEBOOK(c->inner), state);
      break;
    default:
      break;
  }
  state_->programmatic = false;
}

void GtkWindowSystem::add_item(int window, int number, const ListItem& item) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr || !takes_items(c->kind)) return;
  state_->programmatic = true;
  if (has_rows(c->kind)) {
    c->paths.push_back(append_row(*c, item));
    if (is_check_list(*c) || is_grid(*c)) {
      name_item_cell(*c, static_cast<int>(c->items.size()), item.text);
    }
  } else if (c->kind == ControlKind::combo_box) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(c->inner), item.text.c_str());
  } else if (c->kind == ControlKind::tab_panel) {
    GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_show(page);
    gtk_notebook_append_page(GTK_NOTEBOOK(c->inner), page, gtk_label_new(item.text.c_str()));
  }
  c->items.push_back(item);
  c->items.back().marked = false;  // until the control has taken the mark
  set_mark(*c, static_cast<int>(c->items.size()) - 1, item.marked);
  state_->programmatic = false;
}

void GtkWindowSystem::clear_items(int window, int number) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  state_->programmatic = true;
  if (has_rows(c->kind)) {
    clear_rows(*c);
  } else if (c->kind == ControlKind::combo_box) {
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(c->inner));
  } else if (c->kind == ControlKind::tab_panel) {
    while (gtk_notebook_get_n_pages(GTK_NOTEBOOK(c->inner)) > 0) {
      gtk_notebook_remove_page(GTK_NOTEBOOK(c->inner), -1);
    }
  }
  state_->programmatic = false;
  c->items.clear();
  c->paths.clear();
}

int GtkWindowSystem::item_count(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  return c == nullptr ? 0 : static_cast<int>(c->items.size());
}

ListItem GtkWindowSystem::item(int window, int number, int index) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
  ListItem item = c->items[static_cast<std::size_t>(index)];
  item.marked = is_marked(*c, index);
  return item;
}

void GtkWindowSystem::set_item_marked(int window, int number, int index, bool marked) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return;
  state_->programmatic = true;
  set_mark(*c, index, marked);
  state_->programmatic = false;
}

CaretPosition GtkWindowSystem::caret(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return {};
  if (c->kind == ControlKind::editor) return editor_caret(*c);
  if (c->kind == ControlKind::text_field) {
    return {1, gtk_editable_get_position(GTK_EDITABLE(c->inner)) + 1};
  }
  return {};
}

void GtkWindowSystem::set_caret(int window, int number, CaretPosition position) {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  if (c->kind == ControlKind::editor) {
    place_editor_caret(*c, position);
  } else if (c->kind == ControlKind::text_field) {
    gtk_editable_set_position(GTK_EDITABLE(c->inner), position.column - 1);
  }
}

void GtkWindowSystem::select_all_text(int window, int number) {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  if (c->kind == ControlKind::text_field) {
    gtk_editable_select_region(GTK_EDITABLE(c->inner), 0, -1);
  } else if (c->kind == ControlKind::editor) {
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer_of(*c), &start, &end);
    gtk_text_buffer_select_range(buffer_of(*c), &start, &end);
  }
}

// Offsets count the characters of the control's own text, line ends as the control keeps them.
void GtkWindowSystem::select_text(int window, int number, int start, int length) {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  if (c->kind == ControlKind::text_field) {
    gtk_editable_select_region(GTK_EDITABLE(c->inner), start, start + length);
  } else if (c->kind == ControlKind::editor) {
    GtkTextIter from;
    GtkTextIter to;
    gtk_text_buffer_get_iter_at_offset(buffer_of(*c), &from, start);
    gtk_text_buffer_get_iter_at_offset(buffer_of(*c), &to, start + length);
    gtk_text_buffer_select_range(buffer_of(*c), &to, &from);  // the caret goes after the text
  }
}

// A wave file goes to the process's sound output; without one, or without a playable file,
// the display's bell is the system's default sound.
void GtkWindowSystem::play_sound(std::string_view file) {
  Mixer* mixer = installed_sound_mixer();
  auto sound =
      file.empty() || mixer == nullptr ? std::nullopt : decode_sound_file(std::string(file));
  if (sound) {
    mixer->play(std::make_shared<const Pcm>(std::move(*sound)), {});
    return;
  }
  gdk_display_beep(gdk_display_get_default());
}

int GtkWindowSystem::focused_control(int window) const {
  const Window* w = state_->window_of(window);
  return w == nullptr ? -1 : state_->focused(*w);
}

void GtkWindowSystem::set_focus(int window, int number) {
  if (const Control* c = state_->control_of(window, number)) gtk_widget_grab_focus(c->inner);
}

int GtkWindowSystem::add_menu(int window, int parent, std::string_view title) {
  State& s = *state_;
  Window* w = s.window_of(window);
  GtkWidget* owner = nullptr;
  if (parent == 0 && w != nullptr) {
    if (w->menu_bar == nullptr) {
      w->menu_bar = gtk_menu_bar_new();
      gtk_box_pack_start(GTK_BOX(w->box), w->menu_bar, FALSE, FALSE, 0);
    }
    owner = w->menu_bar;
  } else if (const auto found = s.menus.find(parent); found != s.menus.end()) {
    owner = found->second.shell;
    window = found->second.window;
  }
  if (owner == nullptr) return 0;
  GtkWidget* item = gtk_menu_item_new_with_mnemonic(menu_label(title).c_str());
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
  gtk_menu_shell_append(GTK_MENU_SHELL(owner), item);
  gtk_widget_show_all(owner);
  const int handle = s.next_menu++;
  s.menus[handle] = {menu, window};
  return handle;
}

void GtkWindowSystem::add_menu_item(int menu, int command, std::string_view text) {
  const auto found = state_->menus.find(menu);
  if (found == state_->menus.end()) return;
  GtkWidget* item = gtk_menu_item_new_with_mnemonic(menu_label(text).c_str());
  tag(item, kWindowTag, found->second.window);
  tag(item, kCommandTag, command);
  g_signal_connect(item, "activate", G_CALLBACK(on_menu_item), state_.get());
  gtk_menu_shell_append(GTK_MENU_SHELL(found->second.shell), item);
  gtk_widget_show(item);
}

void GtkWindowSystem::add_menu_separator(int menu) {
  const auto found = state_->menus.find(menu);
  if (found == state_->menus.end()) return;
  GtkWidget* separator = gtk_separator_menu_item_new();
  gtk_menu_shell_append(GTK_MENU_SHELL(found->second.shell), separator);
  gtk_widget_show(separator);
}

int GtkWindowSystem::popup_menu(int window) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return 0;
  if (const auto old = s.menus.find(w->popup); old != s.menus.end()) {
    gtk_widget_destroy(old->second.shell);
    s.menus.erase(old);
  }
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_attach_to_widget(GTK_MENU(menu), w->gtk, nullptr);
  w->popup = s.next_menu++;
  s.menus[w->popup] = {menu, window};
  return w->popup;
}

void GtkWindowSystem::show_popup_menu(int window) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  const auto found = s.menus.find(w->popup);
  if (found == s.menus.end()) return;
  GtkWidget* menu = found->second.shell;
  gtk_widget_show_all(menu);
  gtk_menu_popup_at_widget(GTK_MENU(menu), w->fixed, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST,
                           nullptr);
  gtk_menu_shell_select_first(GTK_MENU_SHELL(menu), TRUE);
}

void GtkWindowSystem::add_shortcut(int window, int shortcut, int command) {
  if (Window* w = state_->window_of(window)) w->shortcuts[shortcut] = command;
}

void GtkWindowSystem::remove_shortcut(int window, int shortcut) {
  if (Window* w = state_->window_of(window)) w->shortcuts.erase(shortcut);
}

void GtkWindowSystem::start_timer(int window, int id, int interval_ms) {
  Window* w = state_->window_of(window);
  if (w == nullptr) return;
  stop_timer(window, id);
  w->timers[id] =
      g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(std::max(interval_ms, 1)), on_timer,
                         new TimerTag{state_.get(), window, id}, delete_timer_tag);
}

void GtkWindowSystem::stop_timer(int window, int id) {
  Window* w = state_->window_of(window);
  if (w == nullptr) return;
  const auto found = w->timers.find(id);
  if (found == w->timers.end()) return;
  g_source_remove(found->second);
  w->timers.erase(found);
}

// GtkStatusIcon is deprecated in GTK 3 but remains its only notification-area icon without
// another library; desktops with a system tray still show it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

void GtkWindowSystem::set_tray_icon(int icon, std::string_view image, std::string_view tooltip) {
  State& s = *state_;
  GtkStatusIcon*& status = s.tray[icon];
  if (status == nullptr) {
    status = gtk_status_icon_new();
    tag(status, kIconTag, icon);
    g_signal_connect(status, "activate", G_CALLBACK(on_tray), &s);
  }
  const std::string file(image);
  std::error_code error;
  if (!file.empty() && std::filesystem::is_regular_file(file, error)) {
    gtk_status_icon_set_from_file(status, file.c_str());
  } else {
    gtk_status_icon_set_from_icon_name(status, "x-office-calendar");
  }
  gtk_status_icon_set_tooltip_text(status, std::string(tooltip).c_str());
  gtk_status_icon_set_visible(status, TRUE);
}

void GtkWindowSystem::remove_tray_icon(int icon) {
  State& s = *state_;
  const auto found = s.tray.find(icon);
  if (found == s.tray.end()) return;
  gtk_status_icon_set_visible(found->second, FALSE);
  g_object_unref(found->second);
  s.tray.erase(found);
}

std::optional<std::string> GtkWindowSystem::tray_tooltip(int icon) const {
  const auto found = state_->tray.find(icon);
  if (found == state_->tray.end()) return std::nullopt;
  return taken_string(gtk_status_icon_get_tooltip_text(found->second));
}

std::optional<PixelRect> GtkWindowSystem::tray_geometry(int icon) const {
  const auto found = state_->tray.find(icon);
  if (found == state_->tray.end() || !gtk_status_icon_is_embedded(found->second)) {
    return std::nullopt;
  }
  GdkRectangle area;
  if (!gtk_status_icon_get_geometry(found->second, nullptr, &area, nullptr)) return std::nullopt;
  return PixelRect{area.x, area.y, area.width, area.height};
}

#pragma GCC diagnostic pop

namespace {

// Runs a standard dialog over the program's top window and gives its response; the window
// that was in front takes the keyboard back afterwards.
gint run_dialog(State& s, GtkWidget* dialog, std::string_view title) {
  gtk_window_set_title(GTK_WINDOW(dialog), std::string(title).c_str());
  if (Window* top = s.window_of(s.top_window())) {
    gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(top->gtk));
  }
  g_signal_connect(dialog, "map-event", G_CALLBACK(on_map), nullptr);
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  s.present_top_window();
  return response;
}

struct InputAnswer {
  std::optional<std::string> text;
  GtkWidget* entry;
};

GtkWidget* message_dialog(GtkMessageType type, std::string_view text) {
  return gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s",
                                with_line_feeds(text).c_str());
}

void take_chosen_files(GtkDialog* dialog, gint response, gpointer out) {
  if (response != GTK_RESPONSE_ACCEPT) return;
  auto& chosen = *static_cast<std::vector<std::string>*>(out);
  GSList* names = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(dialog));
  for (GSList* name = names; name != nullptr; name = name->next) {
    chosen.push_back(taken_string(static_cast<gchar*>(name->data)));
  }
  g_slist_free(names);
}

// The files chosen, in the chooser's order; none when the user cancels.
std::vector<std::string> run_chooser(State& s, std::string_view title, GtkFileChooserAction action,
                                     const char* accept, std::string_view pattern,
                                     std::string_view folder, bool several) {
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(nullptr, nullptr, action, "_Annuler", GTK_RESPONSE_CANCEL, accept,
                                  GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, std::string(folder).c_str());
  add_filters(chooser, pattern);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
  gtk_file_chooser_set_select_multiple(chooser, several ? TRUE : FALSE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  std::vector<std::string> chosen;
  g_signal_connect(dialog, "response", G_CALLBACK(take_chosen_files), &chosen);
  run_dialog(s, dialog, title);
  return chosen;
}

std::optional<std::string> run_single_chooser(State& s, std::string_view title,
                                              GtkFileChooserAction action, const char* accept,
                                              std::string_view pattern, std::string_view folder) {
  std::vector<std::string> chosen = run_chooser(s, title, action, accept, pattern, folder, false);
  if (chosen.empty()) return std::nullopt;
  return std::move(chosen.front());
}

}  // namespace

void GtkWindowSystem::message_box(std::string_view title, std::string_view text) {
  GtkWidget* dialog = message_dialog(GTK_MESSAGE_INFO, text);
  gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", GTK_RESPONSE_OK);
  run_dialog(*state_, dialog, title);
}

bool GtkWindowSystem::yes_no_box(std::string_view title, std::string_view text) {
  GtkWidget* dialog = message_dialog(GTK_MESSAGE_QUESTION, text);
  gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Oui", GTK_RESPONSE_YES, "_Non", GTK_RESPONSE_NO,
                         nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
  return run_dialog(*state_, dialog, title) == GTK_RESPONSE_YES;
}

std::optional<std::string> GtkWindowSystem::input_box(std::string_view title,
                                                      std::string_view prompt,
                                                      std::string_view preset) {
  GtkWidget* dialog =
      gtk_dialog_new_with_buttons(nullptr, nullptr, GTK_DIALOG_MODAL, "_OK", GTK_RESPONSE_OK,
                                  "_Annuler", GTK_RESPONSE_CANCEL, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  const std::string prompt_text = with_line_feeds(prompt);
  GtkWidget* label = gtk_label_new(prompt_text.c_str());
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), std::string(preset).c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  atk_object_set_name(gtk_widget_get_accessible(entry), prompt_text.c_str());
  relate(label, entry);
  gtk_box_pack_start(GTK_BOX(area), label, FALSE, FALSE, 6);
  gtk_box_pack_start(GTK_BOX(area), entry, FALSE, FALSE, 6);
  gtk_widget_show_all(area);
  InputAnswer answer{std::nullopt, entry};
  g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, gint response, gpointer out) {
                     if (response != GTK_RESPONSE_OK) return;
                     auto& input = *static_cast<InputAnswer*>(out);
                     input.text = gtk_entry_get_text(GTK_ENTRY(input.entry));
                   }),
                   &answer);
  run_dialog(*state_, dialog, title);
  return answer.text;
}

std::optional<std::string> GtkWindowSystem::open_file_dialog(std::string_view title,
                                                             std::string_view pattern,
                                                             std::string_view folder) {
  return run_single_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Ouvrir", pattern,
                            folder);
}

std::vector<std::string> GtkWindowSystem::open_files_dialog(std::string_view title,
                                                            std::string_view pattern,
                                                            std::string_view folder) {
  return run_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Ouvrir", pattern, folder,
                     true);
}

std::optional<std::string> GtkWindowSystem::save_file_dialog(std::string_view title,
                                                             std::string_view pattern,
                                                             std::string_view folder) {
  return run_single_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_SAVE, "_Enregistrer", pattern,
                            folder);
}

std::optional<std::string> GtkWindowSystem::folder_dialog(std::string_view title) {
  return run_single_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Choisir", "",
                            "");
}

std::uint16_t GtkWindowSystem::key_state(int key) const {
  if (key == 1 || key == 2 || key == 4) {
    ::Window root = 0;
    ::Window child = 0;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
    XQueryPointer(state_->display, DefaultRootWindow(state_->display), &root, &child, &x, &y, &x,
                  &y, &mask);
    const unsigned button = key == 1 ? Button1Mask : key == 2 ? Button3Mask : Button2Mask;
    return (mask & button) != 0 ? 0x8000 : 0;
  }
  return state_->keys->down(key) ? 0x8000 : 0;
}

void GtkWindowSystem::synthesize_key(int key, bool down) {
  const unsigned keycode = state_->keys->keycode_of(key);
  if (keycode == 0) return;
  XTestFakeKeyEvent(state_->display, keycode, down ? True : False, CurrentTime);
  XFlush(state_->display);
}

namespace {

struct Wake {
  bool fired = false;
};

gboolean on_wake(gpointer data) {
  static_cast<Wake*>(data)->fired = true;
  return G_SOURCE_REMOVE;
}

}  // namespace

RawEvent GtkWindowSystem::wait_event(int timeout_ms) {
  State& s = *state_;
  const gint64 deadline = g_get_monotonic_time() + gint64{timeout_ms} * 1000;
  for (;;) {
    if (!s.queue.empty()) {
      const RawEvent event = s.queue.front();
      s.queue.pop_front();
      return event;
    }
    // A focus change is no message of its own; the dialog layer sees it on its next call.
    if (s.focus_moved) {
      s.focus_moved = false;
      return RawEvent{.window = foreground_window()};
    }
    if (timeout_ms < 0) {
      g_main_context_iteration(nullptr, TRUE);
      continue;
    }
    const gint64 left_us = deadline - g_get_monotonic_time();
    if (left_us <= 0) return RawEvent{};
    Wake wake;
    const guint source = g_timeout_add(static_cast<guint>((left_us + 999) / 1000), on_wake, &wake);
    g_main_context_iteration(nullptr, TRUE);
    if (!wake.fired) g_source_remove(source);
  }
}

std::string GtkWindowSystem::accessible_name(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return {};
  const char* name = atk_object_get_name(gtk_widget_get_accessible(c->inner));
  return name == nullptr ? "" : name;
}

PixelRect GtkWindowSystem::item_rect(int window, int number, int index) const {
  const Control* c = state_->control_of(window, number);
  GtkTreeIter iter;
  if (c == nullptr || !has_rows(c->kind) || !tree_iter(*c, index, &iter)) return {};
  GtkTreePath* path = gtk_tree_model_get_path(model_of(*c), &iter);
  GdkRectangle cell{};
  if (is_grid(*c)) {
    gtk_icon_view_get_cell_rect(GTK_ICON_VIEW(c->inner), path, nullptr, &cell);
  } else {
    GtkTreeView* view = GTK_TREE_VIEW(c->inner);
    gtk_tree_view_get_cell_area(view, path, gtk_tree_view_get_column(view, 0), &cell);
    gtk_tree_view_convert_bin_window_to_widget_coords(view, cell.x, cell.y, &cell.x, &cell.y);
  }
  gtk_tree_path_free(path);
  gtk_widget_translate_coordinates(c->inner, gtk_widget_get_toplevel(c->inner), cell.x, cell.y,
                                   &cell.x, &cell.y);
  return {cell.x, cell.y, cell.width, cell.height};
}

std::string GtkWindowSystem::accessible_description(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return {};
  const char* text = atk_object_get_description(gtk_widget_get_accessible(c->inner));
  return text == nullptr ? "" : text;
}

}  // namespace tavelo
