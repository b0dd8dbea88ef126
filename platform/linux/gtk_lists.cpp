#include <algorithm>

#include "platform/linux/gtk_state.hpp"

// Lists and grids: list boxes (a check list has a tick column, a list of several a multiple
// selection), trees, the grid of a multi-column list, and combo boxes with their open lists.

namespace tavelo {

namespace gtk {

namespace {

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

void on_selection_changed(GtkTreeSelection* selection, gpointer data) {
  on_changed(GTK_WIDGET(gtk_tree_selection_get_tree_view(selection)), data);
}

// Typing in an editable combo box leaves no item chosen; only choosing an item is a change.
// The item chosen in an editable combo box shows selected in its field, so that what the user
// types next replaces it, as on Windows.
void on_combo_changed(GtkComboBox* combo, gpointer data) {
  if (gtk_combo_box_get_active(combo) < 0) return;
  if (gtk_combo_box_get_has_entry(combo)) {
    gtk_editable_select_region(GTK_EDITABLE(gtk_bin_get_child(GTK_BIN(combo))), 0, -1);
  }
  on_changed(GTK_WIDGET(combo), data);
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

// GTK 3 works out whether a cell of an icon view shows on the screen when the view scrolls, not
// when it lays its cells out: after each layout the view is told that it scrolled, so that a
// screen reader finds the cells that show.
void on_grid_allocated(GtkWidget* grid, GdkRectangle*, gpointer) {
  GtkAdjustment* adjustment = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(grid));
  if (adjustment != nullptr) g_signal_emit_by_name(adjustment, "value-changed");
}

void leave_out_of_tab_order(GtkWidget* widget, gpointer) {
  if (GTK_IS_TOGGLE_BUTTON(widget)) {
    gtk_widget_set_can_focus(widget, FALSE);
  } else if (GTK_IS_CONTAINER(widget)) {
    gtk_container_forall(GTK_CONTAINER(widget), leave_out_of_tab_order, nullptr);
  }
}

GtkTreeModel* model_of(const Control& c) {
  return is_grid(c) ? gtk_icon_view_get_model(GTK_ICON_VIEW(c.inner))
                    : gtk_tree_view_get_model(GTK_TREE_VIEW(c.inner));
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

}  // namespace

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

// A combo box the user may type in is one stop of the Tab key, as on Windows: the arrow button
// GTK puts beside its text field would be a second stop, where the typed keys go nowhere.
GtkWidget* make_editable_combo() {
  GtkWidget* combo = gtk_combo_box_text_new_with_entry();
  gtk_container_forall(GTK_CONTAINER(combo), leave_out_of_tab_order, nullptr);
  return combo;
}

void connect_combo_notifications(GtkWidget* combo, State& s) {
  g_signal_connect(combo, "changed", G_CALLBACK(on_combo_changed), &s);
  g_signal_connect(combo, "notify::popup-shown", G_CALLBACK(on_list_shown), &s);
}

// The selected row; a list of several gives its cursor row while any row is selected.
int selected_row(const Control& c) {
  const int first = first_selected_row(c);
  if (first < 0 || !selects_several(c)) return first;
  const int cursor = cursor_row(c);
  return cursor >= 0 ? cursor : first;
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

bool used_by_list(State& s, Control& c, int key, int modifiers) {
  // Space ticks the focused row of a check list when it goes down.
  if (key == vk::space && modifiers == 0 && is_check_list(c)) {
    s.toggle_tick(c, cursor_row(c));
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

}  // namespace gtk

using namespace gtk;

void GtkWindowSystem::State::toggle_tick(Control& c, int index) {
  if (index < 0 || index >= static_cast<int>(c.items.size())) return;
  set_tick(c, index, !c.items[static_cast<std::size_t>(index)].marked);
  post_notification(*this, c.inner, Notification::change);
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

// Each cell takes its share of the grid's width; the cells' own padding is left out of it.
void GtkWindowSystem::set_grid_columns(int window, int number, int columns) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr || !is_grid(*c)) return;
  GtkIconView* grid = GTK_ICON_VIEW(c->inner);
  gtk_icon_view_set_columns(grid, columns > 0 ? columns : -1);
  int width = 0;
  gtk_widget_get_size_request(c->outer, &width, nullptr);
  const int padding = gtk_icon_view_get_item_padding(grid);
  gtk_icon_view_set_item_width(grid,
                               columns > 0 ? std::max(width / columns - 2 * padding - 1, 1) : -1);
}

void GtkWindowSystem::set_item_marked(int window, int number, int index, bool marked) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return;
  state_->programmatic = true;
  set_mark(*c, index, marked);
  state_->programmatic = false;
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

}  // namespace tavelo
