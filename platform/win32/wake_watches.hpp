#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>

namespace tavelo {

// What ends the Win32 window system's wait besides its messages, so that a program waiting for
// a request or a key sleeps until it comes.

// A file created or replaced, seen through a change notification on its folder. The folder only
// says that one of its names or write times changed; the file's own write time tells whether it
// was this file.
class FileWatch {
 public:
  FileWatch() = default;
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  // Watches `file`; true when it is there already. The empty path stops.
  bool watch(const std::filesystem::path& file);
  // What the wait waits on besides messages while a file is watched, or null.
  HANDLE handle() const { return change_; }
  // After the handle was signalled: whether the file was created or replaced since last seen.
  bool changed();

 private:
  void stop();

  HANDLE change_ = nullptr;
  std::filesystem::path file_;
  std::optional<std::filesystem::file_time_type> seen_;
};

// Keys going down anywhere on the desktop, seen by a low-level keyboard hook, which Windows calls
// on the thread that set it while that thread reads its messages. A key held down and repeating
// is reported once.
class DesktopKeyWatch {
 public:
  explicit DesktopKeyWatch(std::function<void(int key)> pressed);
  ~DesktopKeyWatch();
  DesktopKeyWatch(const DesktopKeyWatch&) = delete;
  DesktopKeyWatch& operator=(const DesktopKeyWatch&) = delete;

  // 0 stops.
  void watch(int key);

 private:
  static LRESULT CALLBACK on_key(int code, WPARAM message, LPARAM data);
  void seen(int virtual_key, bool down);

  std::function<void(int key)> pressed_;
  HHOOK hook_ = nullptr;
  int key_ = 0;
  bool down_ = false;
};

}  // namespace tavelo
