#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tavelo::testing {

// A focusable control as a screen reader reads it over the accessibility bus.
struct AccessibleControl {
  std::string role;
  std::string name;
  std::string description;
  std::string states;  // "checked", "unchecked", "selected", with spaces between
  std::string text;    // what a reader reads in a field
};

// The focusable controls that show of the application of that name, listed by a reader over the
// accessibility bus (tests/platform/atspi_names.py, run by Debian's Python); `pump` keeps the
// windows answering meanwhile. When the reader is done, xdotool presses `then_keys` if given:
// Escape closes a window that runs its own loop inside `pump`. With a `window` title the reader
// waits for that window to show and lists only its controls.
std::vector<AccessibleControl> controls_on_the_bus(const std::string& application,
                                                   const std::function<void()>& pump,
                                                   const std::string& then_keys = {},
                                                   const std::string& window = {});

}  // namespace tavelo::testing
