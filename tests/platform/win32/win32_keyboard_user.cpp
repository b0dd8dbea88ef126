#include <windows.h>

#include "access/dialog_state.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/system_clock.hpp"
#include "platform/win32/win32_window_system.hpp"
#include "platform/win32/wide.hpp"
#include "tests/platform/keyboard_user.hpp"

namespace tavelo::testing {

namespace {

void send(INPUT input) {
  SendInput(1, &input, sizeof input);
}

// Real key and mouse input through SendInput, as a user at the keyboard makes it. A typed
// character is one key going down and up: the character itself (KEYEVENTF_UNICODE), so that no
// Shift or dead key comes with it.
class Win32KeyboardUser final : public KeyboardUser {
 public:
  WindowSystem& windows() override { return windows_; }
  Speech& speech() override { return speech_; }
  Clock& clock() override { return clock_; }
  const Transcript& heard() const override { return heard_; }

  void press(int key) override { windows_.synthesize_key(key, true); }
  void release(int key) override { windows_.synthesize_key(key, false); }

  void type(std::string_view text) override {
    for (const wchar_t unit : wide_of(text)) {
      for (const DWORD up : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<WORD>(unit);
        input.ki.dwFlags = KEYEVENTF_UNICODE | up;
        send(input);
      }
    }
  }

  void click(int control) override {
    RECT area{};
    GetWindowRect(static_cast<HWND>(windows_.native_control(dialog_state().window, control)),
                  &area);
    SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    for (const DWORD button : {DWORD{MOUSEEVENTF_LEFTDOWN}, DWORD{MOUSEEVENTF_LEFTUP}}) {
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = button;
      send(input);
    }
  }

  void focus(int control) override { windows_.set_focus(dialog_state().window, control); }

  bool caught_up() override { return !windows_.events_pending(); }

 private:
  Win32WindowSystem windows_;
  SystemClock clock_;
  Transcript heard_{clock_};
  SimSpeech speech_{heard_, kScriptReader};
};

}  // namespace

std::unique_ptr<KeyboardUser> win32_user() {
  return std::make_unique<Win32KeyboardUser>();
}

}  // namespace tavelo::testing
