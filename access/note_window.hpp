#pragma once

#include <string_view>

namespace tavelo {

// The window "bloc-note de l'agenda": a planning's note, read-only, with the edit menu to copy
// it and search it. It replaces the current window and returns when the user leaves it.
void ShowNoteWindow(std::string_view note);

}  // namespace tavelo
