#include <filesystem>

#include "platform/linux/gtk_state.hpp"

// Menus of the bar, sub-menus and the pop-up menu; the notification-area (tray) icons.

namespace tavelo {

namespace gtk {

namespace {

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

void on_menu_item(GtkWidget* item, gpointer data) {
  // A tick the program sets activates its item too; only the user's choice is a command.
  if (static_cast<State*>(data)->programmatic) return;
  static_cast<State*>(data)->post({.kind = RawEvent::Kind::command,
                                   .window = tag_of(item, kWindowTag),
                                   .id = tag_of(item, kCommandTag)});
}

void on_tray(GtkStatusIcon* icon, gpointer data) {
  State& s = *static_cast<State*>(data);
  s.clicked_icon = tag_of(icon, kIconTag);
  if (s.icon_click != nullptr) gdk_event_free(s.icon_click);
  s.icon_click = gtk_get_current_event();
  s.post({.kind = RawEvent::Kind::tray, .window = s.top_window(), .id = s.clicked_icon});
}

// Where the menu of a hidden window opens: under the tray icon clicked last, or at the pointer.
GdkRectangle menu_place(State& s) {
  GdkRectangle area{0, 0, 1, 1};
  const auto icon = s.tray.find(s.clicked_icon);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (icon != s.tray.end() &&
      gtk_status_icon_get_geometry(icon->second, nullptr, &area, nullptr) != FALSE) {
    return area;
  }
#pragma GCC diagnostic pop
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  gdk_device_get_position(gdk_seat_get_pointer(seat), nullptr, &area.x, &area.y);
  return area;
}

}  // namespace

}  // namespace gtk

using namespace gtk;

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

namespace {

// The window's menu item of that command, and the menu that holds it.
std::pair<GtkWidget*, GtkWidget*> menu_item_of(const State& s, int window, int command) {
  for (const auto& [handle, menu] : s.menus) {
    if (menu.window != window) continue;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu.shell));
    GtkWidget* found = nullptr;
    for (GList* child = children; child != nullptr && found == nullptr; child = child->next) {
      GtkWidget* item = GTK_WIDGET(child->data);
      if (tag_of(item, kCommandTag) == command) found = item;
    }
    g_list_free(children);
    if (found != nullptr) return {found, menu.shell};
  }
  return {nullptr, nullptr};
}

// A plain item becomes a check item in its place, the first time it needs a tick.
GtkWidget* check_item_in_place(GtkWidget* item, GtkWidget* shell, State& s) {
  if (GTK_IS_CHECK_MENU_ITEM(item)) return item;
  GtkWidget* check =
      gtk_check_menu_item_new_with_mnemonic(gtk_menu_item_get_label(GTK_MENU_ITEM(item)));
  tag(check, kWindowTag, tag_of(item, kWindowTag));
  tag(check, kCommandTag, tag_of(item, kCommandTag));
  g_signal_connect(check, "activate", G_CALLBACK(on_menu_item), &s);
  GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
  const int position = g_list_index(children, item);
  g_list_free(children);
  gtk_widget_destroy(item);
  gtk_menu_shell_insert(GTK_MENU_SHELL(shell), check, position);
  gtk_widget_show(check);
  return check;
}

}  // namespace

void GtkWindowSystem::set_menu_item_checked(int window, int command, bool checked) {
  State& s = *state_;
  const auto [item, shell] = menu_item_of(s, window, command);
  if (item == nullptr) return;
  GtkWidget* check = check_item_in_place(item, shell, s);
  s.programmatic = true;
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(check), checked ? TRUE : FALSE);
  s.programmatic = false;
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
  if (gtk_widget_get_visible(w->gtk)) {
    gtk_menu_popup_at_widget(GTK_MENU(menu), w->fixed, GDK_GRAVITY_NORTH_WEST,
                             GDK_GRAVITY_NORTH_WEST, nullptr);
  } else {
    const GdkRectangle place = menu_place(s);
    gtk_menu_popup_at_rect(GTK_MENU(menu), gdk_get_default_root_window(), &place,
                           GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST, s.icon_click);
  }
  gtk_menu_shell_select_first(GTK_MENU_SHELL(menu), TRUE);
}

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

bool GtkWindowSystem::tray_icon_shown(int icon) const {
  const auto found = state_->tray.find(icon);
  return found != state_->tray.end() && gtk_status_icon_is_embedded(found->second) != FALSE;
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

}  // namespace tavelo
