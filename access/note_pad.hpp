#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// The pad: the text being edited, shared with the find functions.
struct PadState {
  std::string text;
  int control = 0;
  std::string last_label;  // the label spoken last, not spoken again
  bool read_only = false;
  bool open = false;
  bool modified = false;  // the user chose to keep the modifications
};

PadState& pad_state();

// The last search, kept for find next. Positions are 1-based characters of the pad text.
struct FindState {
  std::string find;
  std::string replacement;
  bool backward = false;
  bool replace_all = false;
  int found = 0;  // 0: not found
};

FindState& find_state();

// Runs the find box and applies it to the pad text from `start`.
void FindReplace(bool find_only, int start);
// Repeats the last search from `start` (F3).
void FindNext(int start);

// Edits the pad text in editor `control` of the current window until the user leaves (returns
// "") or, in mode 2, until the first key or event that is not navigation (returns its name).
std::string EditInPad(int control, std::string_view title, std::string_view label, int mode,
                      bool read_only, int row, int column, int width, int height);

}  // namespace tavelo
