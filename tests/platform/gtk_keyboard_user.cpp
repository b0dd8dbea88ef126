#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <map>
#include <stdexcept>

#include "access/dialog_state.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/sim/sim_speech.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/platform/keyboard_user.hpp"

namespace tavelo::testing {

namespace {

Display* x_display() {
  return gdk_x11_display_get_xdisplay(gdk_display_get_default());
}

// The key symbol of a character: Latin-1 ones are their own code, the others are in Unicode's.
KeySym symbol_of(char32_t c) {
  return c < 0x100 ? static_cast<KeySym>(c) : 0x01000000 | static_cast<KeySym>(c);
}

char32_t next_code_point(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  char32_t c = extra == 0 ? lead : lead & (0x3Fu >> extra);
  for (int i = 0; i < extra && at < text.size(); ++i) {
    c = (c << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
  }
  return c;
}

// Real key and button events through the X server (XTest), as a user at the keyboard makes
// them. A character that no key types without a modifier goes on a key the key map leaves
// empty, as xdotool does, so that every character is one key going down and up.
class GtkKeyboardUser final : public KeyboardUser {
 public:
  GtkKeyboardUser() : windows_(gui_windows()) {}

  WindowSystem& windows() override { return windows_; }
  Speech& speech() override { return speech_; }
  Clock& clock() override { return clock_; }
  const Transcript& heard() const override { return heard_; }

  void press(int key) override { windows_.synthesize_key(key, true); }
  void release(int key) override { windows_.synthesize_key(key, false); }

  void type(std::string_view text) override {
    Display* display = x_display();
    for (std::size_t at = 0; at < text.size();) {
      const unsigned code = keycode_typing(next_code_point(text, at));
      XTestFakeKeyEvent(display, code, True, CurrentTime);
      XTestFakeKeyEvent(display, code, False, CurrentTime);
    }
    XFlush(display);
  }

  void click(int control) override {
    const std::optional<PixelRect> area =
        windows_.control_on_screen(dialog_state().window, control);
    if (!area)
      throw std::invalid_argument("le contrôle " + std::to_string(control) + " ne se voit pas");
    Display* display = x_display();
    XTestFakeMotionEvent(display, -1, area->x + area->width / 2, area->y + area->height / 2,
                         CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
  }

  void focus(int control) override { windows_.set_focus(dialog_state().window, control); }

  // GTK takes what the X server sent, without waiting: its events for the program queue up.
  bool caught_up() override {
    gdk_display_sync(gdk_display_get_default());
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    return !windows_.events_pending();
  }

 private:
  unsigned keycode_typing(char32_t c) {
    Display* display = x_display();
    const KeySym symbol = symbol_of(c);
    const KeyCode code = XKeysymToKeycode(display, symbol);
    if (code != 0 && XkbKeycodeToKeysym(display, code, 0, 0) == symbol) return code;
    const auto spare = spare_keys_.find(c);
    if (spare != spare_keys_.end()) return spare->second;
    const unsigned empty = empty_keycode();
    KeySym both[] = {symbol, symbol};
    XChangeKeyboardMapping(display, static_cast<int>(empty), 2, both, 1);
    XSync(display, False);
    spare_keys_[c] = empty;
    return empty;
  }

  // The highest key code that the key map leaves without symbols.
  static unsigned empty_keycode() {
    Display* display = x_display();
    int low = 0;
    int high = 0;
    XDisplayKeycodes(display, &low, &high);
    int per_code = 0;
    KeySym* map =
        XGetKeyboardMapping(display, static_cast<KeyCode>(low), high - low + 1, &per_code);
    unsigned found = 0;
    for (int code = high; code >= low && found == 0; --code) {
      bool empty = true;
      for (int i = 0; i < per_code; ++i)
        empty = empty && map[(code - low) * per_code + i] == NoSymbol;
      if (empty) found = static_cast<unsigned>(code);
    }
    XFree(map);
    if (found == 0) throw std::runtime_error("aucune touche libre dans la table du clavier");
    return found;
  }

  GtkWindowSystem& windows_;
  SystemClock clock_;
  Transcript heard_{clock_};
  SimSpeech speech_{heard_, kScriptReader};
  std::map<char32_t, unsigned> spare_keys_;
};

}  // namespace

std::unique_ptr<KeyboardUser> gtk_user() {
  return std::make_unique<GtkKeyboardUser>();
}

}  // namespace tavelo::testing
