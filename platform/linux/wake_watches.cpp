#include "platform/linux/wake_watches.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <glib-unix.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <system_error>
#include <utility>

namespace tavelo {

FileWatch::FileWatch(std::function<void()> changed) : changed_(std::move(changed)) {}

FileWatch::~FileWatch() {
  if (source_ != 0) g_source_remove(source_);
  if (inotify_ >= 0) ::close(inotify_);
}

void FileWatch::stop() {
  if (watch_ >= 0) inotify_rm_watch(inotify_, watch_);
  watch_ = -1;
  name_.clear();
}

void FileWatch::watch(const std::filesystem::path& file) {
  stop();
  if (file.empty()) return;
  if (inotify_ < 0) {
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0) return;
    source_ = g_unix_fd_add(inotify_, G_IO_IN, on_ready, this);
  }
  // A writer that renames its file over the watched one is seen by IN_MOVED_TO, one that
  // writes it in place by IN_CLOSE_WRITE.
  watch_ = inotify_add_watch(inotify_, file.parent_path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
  if (watch_ < 0) return;
  name_ = file.filename().string();
  std::error_code error;
  if (std::filesystem::exists(file, error)) changed_();
}

gboolean FileWatch::on_ready(gint fd, GIOCondition, gpointer self) {
  auto& w = *static_cast<FileWatch*>(self);
  alignas(inotify_event) char buffer[4096];
  bool changed = false;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->wd == w.watch_ && event->len > 0 && w.name_ == event->name) changed = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (changed) w.changed_();
  return G_SOURCE_CONTINUE;
}

DesktopKeyWatch::DesktopKeyWatch(std::function<void(unsigned keycode)> pressed)
    : pressed_(std::move(pressed)) {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return;
  int event = 0;
  int error = 0;
  int major = 2;
  int minor = 0;
  if (!XQueryExtension(display_, "XInputExtension", &opcode_, &event, &error) ||
      XIQueryVersion(display_, &major, &minor) != Success) {
    XCloseDisplay(display_);
    display_ = nullptr;
    return;
  }
  source_ = g_unix_fd_add(ConnectionNumber(display_), G_IO_IN, on_ready, this);
}

DesktopKeyWatch::~DesktopKeyWatch() {
  if (source_ != 0) g_source_remove(source_);
  if (display_ != nullptr) XCloseDisplay(display_);
}

void DesktopKeyWatch::select(bool on) {
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  if (on) XISetMask(bits, XI_RawKeyPress);
  XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
  XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
  XFlush(display_);
}

void DesktopKeyWatch::watch(bool on) {
  if (display_ != nullptr) select(on);
}

gboolean DesktopKeyWatch::on_ready(gint, GIOCondition, gpointer self) {
  auto& w = *static_cast<DesktopKeyWatch*>(self);
  while (XPending(w.display_) > 0) {
    XEvent event;
    XNextEvent(w.display_, &event);
    XGenericEventCookie& cookie = event.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != w.opcode_ ||
        !XGetEventData(w.display_, &cookie)) {
      continue;
    }
    if (cookie.evtype == XI_RawKeyPress) {
      w.pressed_(static_cast<unsigned>(static_cast<const XIRawEvent*>(cookie.data)->detail));
    }
    XFreeEventData(w.display_, &cookie);
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace tavelo
