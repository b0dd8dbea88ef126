#pragma once

#include <glib.h>

#include <filesystem>
#include <functional>
#include <string>

struct _XDisplay;

namespace tavelo {

// What ends the GTK window system's wait besides its own events, so that a program waiting for
// a request or a key sleeps until it comes. Both report from the GLib main loop.

// A file created or replaced (written and closed, or renamed over), seen through inotify on its
// folder.
class FileWatch {
 public:
  explicit FileWatch(std::function<void()> changed);
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  // Watches `file`, reporting at once when it is there already; the empty path stops.
  void watch(const std::filesystem::path& file);

 private:
  static gboolean on_ready(gint fd, GIOCondition condition, gpointer self);
  void stop();

  std::function<void()> changed_;
  int inotify_ = -1;
  guint source_ = 0;
  int watch_ = -1;
  std::string name_;
};

// Keys going down anywhere on the desktop, seen as the raw key events of XInput 2 on the root
// window, through a connection of its own so that the toolkit's input handling is left alone.
// Without XInput 2 (or under Wayland, where the root window sees no other program's keys)
// nothing is reported.
class DesktopKeyWatch {
 public:
  explicit DesktopKeyWatch(std::function<void(unsigned keycode)> pressed);
  ~DesktopKeyWatch();
  DesktopKeyWatch(const DesktopKeyWatch&) = delete;
  DesktopKeyWatch& operator=(const DesktopKeyWatch&) = delete;

  void watch(bool on);

 private:
  static gboolean on_ready(gint fd, GIOCondition condition, gpointer self);
  void select(bool on);

  std::function<void(unsigned keycode)> pressed_;
  _XDisplay* display_ = nullptr;
  int opcode_ = 0;
  guint source_ = 0;
};

}  // namespace tavelo
