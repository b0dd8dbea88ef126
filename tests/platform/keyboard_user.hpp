#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/clock.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/sim/transcript.hpp"
#include "platform/speech.hpp"
#include "platform/window_system.hpp"

namespace tavelo::testing {

// A user at the keyboard and mouse of one window system, with the speech and clock the program
// runs on there. The conformance scripts act through it, so that the same script runs on every
// window system: each backend carries the actions out as its own user would (the sim through its
// simulated user, GTK through real key and button events of the X server, Win32 through
// SendInput).
class KeyboardUser {
 public:
  virtual ~KeyboardUser() = default;

  virtual WindowSystem& windows() = 0;
  virtual Speech& speech() = 0;
  virtual Clock& clock() = 0;
  // What the speech said, one line each ("speak \"TEXT\"", "silence").
  virtual const Transcript& heard() const = 0;

  virtual void press(int key) = 0;
  virtual void release(int key) = 0;
  // Types the text into the focused control, one key a character.
  virtual void type(std::string_view text) = 0;
  // A click of the first mouse button on the control of the program's window.
  virtual void click(int control) = 0;
  // The keyboard focus goes to the control, as the program gives it (a user would click or Tab).
  virtual void focus(int control) = 0;
  // True when everything the user did has reached the program: no event is on its way.
  virtual bool caught_up() = 0;
};

// The screen reader the scripts speak to: one that takes texts with an interrupt flag. The other
// style is cut with a tap of Shift, a key of its own among the script's keys.
inline const SimSpeechSetup kScriptReader{.say_style = true, .speak_style = false};

// A window system the conformance scripts run on: its name and how to get a user of it.
struct Backend {
  std::string name;
  std::function<std::unique_ptr<KeyboardUser>()> user;
};

inline void PrintTo(const Backend& backend, std::ostream* out) {
  *out << backend.name;
}

std::unique_ptr<KeyboardUser> sim_user();
std::unique_ptr<KeyboardUser> gtk_user();
std::unique_ptr<KeyboardUser> win32_user();

}  // namespace tavelo::testing
