#pragma once

#include <string>
#include <string_view>

#include "access/note_pad.hpp"

namespace tavelo {

// The pad and the last search of the interface context.
PadState& pad_state();
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
