#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/window_system.hpp"

namespace tavelo {

// What a native text field or editor keeps besides its text: the caret and the other end of the
// selection, both counted in characters from the start (a line end is one character).
struct TextSelection {
  int caret = 0;
  int anchor = 0;  // equal to the caret when nothing is selected
};

// Where the keys move the caret to.
enum class CaretMove {
  left,
  right,
  line_start,
  line_end,
  line_up,
  line_down,
  text_start,
  text_end
};

int length_in_characters(std::string_view text);

// The selection replaced by the typed text; the caret goes after it.
void type_over(std::string& text, TextSelection& selection, std::string_view typed);
// Backspace and Delete: the selection, or the character before or after the caret.
void erase_before(std::string& text, TextSelection& selection);
void erase_after(std::string& text, TextSelection& selection);
// Without `extend`, a selection collapses to its edge on the side of the move (left, right).
void move_caret(std::string_view text, TextSelection& selection, CaretMove move, bool extend);
void select_range(std::string_view text, TextSelection& selection, int start, int length);
std::string selected_text(std::string_view text, const TextSelection& selection);

CaretPosition caret_position(std::string_view text, int caret);
int offset_of(std::string_view text, CaretPosition position);

// The character a key types on a US keyboard (the test X server's), nothing for the others.
std::optional<char> character_of_key(int key, bool shift);
// The digits of the text, for a field that takes only digits.
std::string digits_of(std::string_view text);

}  // namespace tavelo
