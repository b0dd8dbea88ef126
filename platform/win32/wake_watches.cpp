#include "platform/win32/wake_watches.hpp"

#include <utility>

#include "platform/file_times.hpp"

namespace tavelo {

FileWatch::~FileWatch() {
  stop();
}

void FileWatch::stop() {
  if (change_ != nullptr) FindCloseChangeNotification(change_);
  change_ = nullptr;
  file_.clear();
  seen_.reset();
}

bool FileWatch::watch(const std::filesystem::path& file) {
  stop();
  if (file.empty()) return false;
  // A writer that renames its file over the watched one changes a name, one that writes it in
  // place changes a write time.
  const HANDLE change =
      FindFirstChangeNotificationW(file.parent_path().c_str(), FALSE,
                                   FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
  if (change == INVALID_HANDLE_VALUE) return false;
  change_ = change;
  file_ = file;
  return written_since_seen(file_, seen_);
}

bool FileWatch::changed() {
  if (change_ == nullptr) return false;
  FindNextChangeNotification(change_);
  return written_since_seen(file_, seen_);
}

namespace {

DesktopKeyWatch* the_key_watch = nullptr;  // a hook procedure is told nothing of its setter

// The hook reports the keys of one side; the program watches the key of either side too.
bool carries(int virtual_key, int key) {
  if (virtual_key == key) return true;
  switch (key) {
    case VK_SHIFT:
      return virtual_key == VK_LSHIFT || virtual_key == VK_RSHIFT;
    case VK_CONTROL:
      return virtual_key == VK_LCONTROL || virtual_key == VK_RCONTROL;
    case VK_MENU:
      return virtual_key == VK_LMENU || virtual_key == VK_RMENU;
    default:
      return false;
  }
}

}  // namespace

DesktopKeyWatch::DesktopKeyWatch(std::function<void(int key)> pressed)
    : pressed_(std::move(pressed)) {}

DesktopKeyWatch::~DesktopKeyWatch() {
  watch(0);
}

void DesktopKeyWatch::watch(int key) {
  key_ = key;
  down_ = false;
  if (key != 0 && hook_ == nullptr) {
    the_key_watch = this;
    hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, on_key, GetModuleHandleW(nullptr), 0);
  }
  if (key == 0 && hook_ != nullptr) {
    UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    the_key_watch = nullptr;
  }
}

void DesktopKeyWatch::seen(int virtual_key, bool down) {
  if (key_ == 0 || !carries(virtual_key, key_)) return;
  const bool went_down = down && !down_;
  down_ = down;
  if (went_down) pressed_(key_);
}

LRESULT CALLBACK DesktopKeyWatch::on_key(int code, WPARAM message, LPARAM data) {
  // No exception may cross the system's frames.
  try {
    if (code == HC_ACTION && the_key_watch != nullptr) {
      const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
      const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
      the_key_watch->seen(static_cast<int>(key.vkCode), down);
    }
  } catch (...) {
  }
  return CallNextHookEx(nullptr, code, message, data);
}

}  // namespace tavelo
