#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/window_system.hpp"

namespace tavelo {

// What every window is built from (see "How a window is written" in the README): a table of its
// controls, and a loop on NextInput.

// One control of a window's table. `text` is the caption of labels, buttons, check boxes and
// options, and the first text of fields and editors; combo boxes, lists and trees get their
// items afterwards. Rows and columns are on the layout grid, 1-based; a label is as wide as its
// caption. Options take kGroupStart in `flags` to start a group.
struct ControlSpec {
  ControlKind kind = ControlKind::label;
  int number = 0;
  std::string_view text;
  int row = 0;
  int column = 0;
  int width = 0;
  int height = 2;
  int flags = 0;
};

// Creates the controls of the table in its order through the creation helpers, then registers
// the Alt mnemonics of its buttons, check boxes and options.
void AddControls(std::span<const ControlSpec> table);

// Gives a combo box or list its items, and selects one (-1 none).
void FillItems(int number, std::span<const std::string> items, int selected);

// One round of a window's loop: the event name of the current window and the key name of the
// keys held with it (read only while the window is active; empty otherwise).
struct Input {
  std::string event;
  std::string key;
};

// Whether a check box's event ("chkN-set", "chkN-unset") ticks it. Read the state from the
// event, not from the box: Space reports the event as it goes down, and the box changes only
// as it comes up.
inline bool ticks_box(std::string_view event) {
  return event.ends_with("-set");
}

// Waits at most `timeout_ms` (negative: without limit) for the next input. Windows that move
// through lists with held keys ask for the key-repeat filter.
Input NextInput(int timeout_ms, bool repeat_filter = false);

// Lets `duration` pass while the window answers. The first input that `stops` accepts ends the
// wait early and is given back; nothing when the time ran out.
std::optional<Input> WaitForInput(std::chrono::milliseconds duration,
                                  const std::function<bool(const Input&)>& stops);

}  // namespace tavelo
