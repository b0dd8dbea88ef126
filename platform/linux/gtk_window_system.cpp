#include "platform/linux/gtk_window_system.hpp"

#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/linux/gtk_state.hpp"
#include "platform/services.hpp"
#include "platform/sound_decoders.hpp"

namespace tavelo {

namespace gtk {

std::string taken_string(gchar* text) {
  std::string out = text == nullptr ? "" : text;
  g_free(text);
  return out;
}

// Without a window manager nobody gives a new window the keyboard; it takes it when mapped.
gboolean on_map(GtkWidget* widget, GdkEvent*, gpointer) {
  gtk_window_present(GTK_WINDOW(widget));
  return FALSE;
}

void post_notification(State& s, GtkWidget* widget, Notification notification) {
  if (s.programmatic) return;
  s.post({.kind = RawEvent::Kind::control,
          .window = tag_of(widget, kWindowTag),
          .id = tag_of(widget, kControlTag),
          .notification = notification});
}

void on_changed(GtkWidget* widget, gpointer data) {
  post_notification(*static_cast<State*>(data), widget, Notification::change);
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

void delete_timer_tag(gpointer data) {
  delete static_cast<TimerTag*>(data);
}

namespace {

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

// A key that has no Windows code but types a character (a letter of another keyboard, a
// character put on a free key) is reported as key 0, as Windows reports its own code for it.
gboolean on_key(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  State& s = *static_cast<State*>(data);
  const int key = s.keys->key_of(event->hardware_keycode);
  if (key == 0 && gdk_keyval_to_unicode(event->keyval) < 0x20) return FALSE;
  const int window = tag_of(widget, kWindowTag);
  if (event->type == GDK_KEY_PRESS) return s.key_pressed(window, key, event->state) ? TRUE : FALSE;
  s.key_released(window, key, event->state);
  return FALSE;
}

gboolean report_deactivation(gpointer data) {
  const TimerTag& tag = *static_cast<TimerTag*>(data);
  Window* w = tag.state->window_of(tag.window);
  if (w == nullptr) return G_SOURCE_REMOVE;
  w->deactivation = 0;
  if (!gtk_window_is_active(GTK_WINDOW(w->gtk))) {
    tag.state->post({.kind = RawEvent::Kind::deactivated, .window = tag.window});
  }
  return G_SOURCE_REMOVE;
}

// A window that loses the keyboard and has it back among the same events did not leave the
// foreground: X reports that when the keyboard goes from the pointer's window to the window
// itself. Windows activates a window once.
void on_active(GObject* object, GParamSpec*, gpointer data) {
  State& s = *static_cast<State*>(data);
  const int window = tag_of(object, kWindowTag);
  const bool active = gtk_window_is_active(GTK_WINDOW(object)) != FALSE;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  if (w->list_grab) {
    if (active && !w->list_shown) w->list_grab = false;
    return;
  }
  if (!active) {
    if (w->deactivation == 0) {
      w->deactivation = g_idle_add_full(G_PRIORITY_LOW, report_deactivation,
                                        new TimerTag{&s, window, 0}, delete_timer_tag);
    }
  } else if (w->deactivation != 0) {
    g_source_remove(w->deactivation);
    w->deactivation = 0;
  } else {
    s.post({.kind = RawEvent::Kind::activated, .window = window});
  }
}

// When the list closed and the keyboard did not come back to the window, another window took

gboolean on_delete(GtkWidget* widget, GdkEvent*, gpointer data) {
  static_cast<State*>(data)->post(
      {.kind = RawEvent::Kind::close, .window = tag_of(widget, kWindowTag)});
  return TRUE;  // the dialog decides whether its window closes
}

void on_focus_set(GtkWindow*, GtkWidget*, gpointer data) {
  static_cast<State*>(data)->focus_moved = true;
}

void on_clicked(GtkWidget* widget, gpointer data) {
  // A radio button that the group switches off is not clicked by the user.
  if (GTK_IS_RADIO_BUTTON(widget) && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) {
    return;
  }
  post_notification(*static_cast<State*>(data), widget, Notification::click);
}

void on_page(GtkNotebook* notebook, GtkWidget*, guint, gpointer data) {
  post_notification(*static_cast<State*>(data), GTK_WIDGET(notebook), Notification::click);
}

gboolean on_timer(gpointer data) {
  const TimerTag& timer = *static_cast<TimerTag*>(data);
  timer.state->post({.kind = RawEvent::Kind::timer, .window = timer.window, .id = timer.id});
  return G_SOURCE_CONTINUE;
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

// The whole text selected, the caret after it, as Windows selects all.
void select_whole_text(GtkTextView* view) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
  GtkTextIter start;
  GtkTextIter end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gtk_text_buffer_select_range(buffer, &end, &start);
}

// GTK's Control+A leaves the caret before the text.
void caret_after_selection(GtkTextView* view, gboolean select, gpointer) {
  if (select) select_whole_text(view);
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
      // Tab goes on to the next control, as in a Windows dialog; it types no tab character.
      gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(view), FALSE);
      g_signal_connect_after(view, "select-all", G_CALLBACK(caret_after_selection), nullptr);
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
      connect_combo_notifications(c.inner, s);
      break;
    case ControlKind::tab_panel:
      g_signal_connect(c.inner, "switch-page", G_CALLBACK(on_page), &s);
      break;
    default:
      break;
  }
}

// A hidden or disabled control leaves the Tab order, and a disabled one takes no focus at all,
// as on Windows. A control's focus is touched only when it is disabled or enabled again: some
// controls keep parts of themselves out of the Tab order.
void show_unless_hidden(Control& c, int flags_before) {
  const bool disabled = (c.flags & kDisabled) != 0;
  gtk_widget_set_sensitive(c.inner, disabled ? FALSE : TRUE);
  if (disabled != ((flags_before & kDisabled) != 0) && c.kind != ControlKind::label) {
    gtk_widget_set_can_focus(c.inner, disabled ? FALSE : TRUE);
  }
  if ((c.flags & kHidden) != 0) {
    gtk_widget_hide(c.outer);
  } else {
    gtk_widget_show_all(c.outer);
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
    // The caret goes before the program's text, as on Windows.
    GtkTextBuffer* buffer = buffer_of(c);
    gtk_text_buffer_set_text(buffer, with_line_feeds(c.text).c_str(), -1);
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    gtk_text_buffer_place_cursor(buffer, &start);
  } else if (GtkWidget* entry = combo_entry(c)) {
    gtk_entry_set_text(GTK_ENTRY(entry), c.text.c_str());
  }
}

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
  if (!c.given_name.empty()) {
    atk_object_set_name(object, c.given_name.c_str());
  } else if (has_caption(c.kind)) {
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

// The keys a control uses as its Windows counterpart does where GTK's control would not; true
// when the control used the key.
bool used_as_on_windows(State& s, Control& c, int key, int modifiers) {
  if (c.kind == ControlKind::tab_panel && turns_page(key, modifiers)) {
    turn_page(c, key, modifiers);
    return true;
  }
  return used_by_list(s, c, key, modifiers);
}

}  // namespace

}  // namespace gtk

using namespace gtk;

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
        .character = (key == 0 || vk::types_character(key)) && !control});
  Control* c = control_of(window, focus);
  if (c == nullptr) return false;
  if (used_as_on_windows(*this, *c, key, modifiers)) return true;
  const bool toggles = c->kind == ControlKind::check_box || c->kind == ControlKind::option;
  const bool button = c->kind == ControlKind::button;
  if (modifiers == 0 &&
      ((key == vk::space && (toggles || button)) || (key == vk::enter && button))) {
    click_on_release[key] = {window, focus};
    return true;
  }
  // Buttons, boxes and options have no use for the arrows, where GTK would move the focus (the
  // dialog layer walks through option groups itself, one step per lock); Return on a box or an
  // option is the dialog's, where GTK would tick it.
  return (is_arrow(key) && (toggles || button)) || (key == vk::enter && toggles);
}

void State::key_released(int window, int key, guint state) {
  const bool system = is_alt(key) || (state & GDK_MOD1_MASK) != 0;
  post({.kind = system ? RawEvent::Kind::system_key_up : RawEvent::Kind::key_up,
        .window = window,
        .key = key});
  const auto pressed = click_on_release.find(key);
  if (pressed == click_on_release.end()) return;
  const auto [down_in, on] = pressed->second;
  click_on_release.erase(pressed);
  // A key that went down in a window now replaced clicks nothing in the new one.
  Control* c = control_of(down_in, on);
  if (!system && down_in == window && c != nullptr) gtk_button_clicked(GTK_BUTTON(c->inner));
}

// A hidden window stays hidden when the window over it goes.
void State::present_top_window() {
  Window* w = window_of(top_window());
  if (w != nullptr && gtk_widget_get_visible(w->gtk)) gtk_window_present(GTK_WINDOW(w->gtk));
}

namespace {

// GTK would load the GL drivers (some 50 MB resident with Mesa) only to choose its visuals; our
// windows draw without GL. GTK reads the switch while it starts; it is taken back after, so that
// the programs the agenda starts keep the user's environment.
bool start_gtk_without_gl() {
  const bool user_choice = g_getenv("GDK_GL") != nullptr;
  if (!user_choice) g_setenv("GDK_GL", "disable", TRUE);
  const bool started = gtk_init_check(nullptr, nullptr);
  if (!user_choice) g_unsetenv("GDK_GL");
  return started;
}

}  // namespace

GtkWindowSystem::GtkWindowSystem() : state_(std::make_unique<State>()) {
  gdk_set_allowed_backends("x11");
  // Screen readers list the application under this name.
  if (g_get_prgname() == nullptr) g_set_prgname("tavelo");
  if (!start_gtk_without_gl()) {
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
  if (state_->icon_click != nullptr) gdk_event_free(state_->icon_click);
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
  gtk_widget_show_all(wanted.hidden ? w.box : w.gtk);
  return number;
}

void GtkWindowSystem::show_window(int window, bool shown) {
  Window* w = state_->window_of(window);
  if (w == nullptr) return;
  if (!shown) {
    gtk_widget_hide(w->gtk);
    return;
  }
  gtk_widget_show(w->gtk);
  gtk_window_present(GTK_WINDOW(w->gtk));
}

void GtkWindowSystem::close_window(int window) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  for (const auto& [id, source] : w->timers) g_source_remove(source);
  if (w->list_settle != 0) g_source_remove(w->list_settle);
  if (w->deactivation != 0) g_source_remove(w->deactivation);
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
    const bool joins =
        before != nullptr && before->kind == ControlKind::option && joins_group_before(kind, flags);
    GtkWidget* group = joins ? before->inner : nullptr;
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
  const int flags_before = c.flags;
  c.text = text;
  c.flags = flags;
  s.programmatic = true;
  show_text(c);
  apply_flags(c);
  s.programmatic = false;
  show_unless_hidden(c, flags_before);
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

void GtkWindowSystem::set_control_name(int window, int number, std::string_view name) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  c->given_name = name;
  name_control(*state_->window_of(window), number);
}

int GtkWindowSystem::control_flags(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  return c == nullptr ? 0 : c->flags;
}

void GtkWindowSystem::set_control_flags(int window, int number, int flags) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  const int flags_before = c->flags;
  c->flags = flags;
  apply_flags(*c);
  show_unless_hidden(*c, flags_before);
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
    select_whole_text(GTK_TEXT_VIEW(c->inner));
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

void drop_events(std::deque<RawEvent>& queue, RawEvent::Kind kind) {
  std::erase_if(queue, [kind](const RawEvent& e) { return e.kind == kind; });
}

}  // namespace

void GtkWindowSystem::watch_file(const std::filesystem::path& file) {
  State& s = *state_;
  if (file.empty()) drop_events(s.queue, RawEvent::Kind::file);
  if (!s.file_watch) {
    if (file.empty()) return;
    s.file_watch = std::make_unique<FileWatch>([&s] { s.post({.kind = RawEvent::Kind::file}); });
  }
  s.file_watch->watch(file);
}

void GtkWindowSystem::watch_desktop_key(int key) {
  State& s = *state_;
  s.watched_key = key;
  if (key == 0) drop_events(s.queue, RawEvent::Kind::desktop_key);
  if (!s.key_watch) {
    if (key == 0) return;
    s.key_watch = std::make_unique<DesktopKeyWatch>([&s](unsigned keycode) {
      if (s.watched_key != 0 && s.keys->carries(keycode, s.watched_key)) {
        s.post({.kind = RawEvent::Kind::desktop_key, .key = s.watched_key});
      }
    });
  }
  s.key_watch->watch(key != 0);
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

std::string GtkWindowSystem::accessible_description(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return {};
  const char* text = atk_object_get_description(gtk_widget_get_accessible(c->inner));
  return text == nullptr ? "" : text;
}

std::optional<PixelRect> GtkWindowSystem::control_on_screen(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr || !gtk_widget_get_mapped(c->outer)) return std::nullopt;
  GtkWidget* top = gtk_widget_get_toplevel(c->outer);
  int x = 0;
  int y = 0;
  int left = 0;
  int above = 0;
  gtk_widget_translate_coordinates(c->outer, top, 0, 0, &x, &y);
  gdk_window_get_origin(gtk_widget_get_window(top), &left, &above);
  return PixelRect{left + x, above + y, gtk_widget_get_allocated_width(c->outer),
                   gtk_widget_get_allocated_height(c->outer)};
}

bool GtkWindowSystem::events_pending() const {
  return !state_->queue.empty() || state_->focus_moved;
}

}  // namespace tavelo
