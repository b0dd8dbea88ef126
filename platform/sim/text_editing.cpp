#include "platform/sim/text_editing.hpp"

#include <algorithm>
#include <array>

namespace tavelo {

namespace {

bool continues_character(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset of the character index, the end of the text when it is beyond.
std::size_t byte_offset(std::string_view text, int index) {
  std::size_t at = 0;
  for (; at < text.size(); ++at) {
    if (continues_character(text[at])) continue;
    if (index-- <= 0) return at;
  }
  return at;
}

int clamped(std::string_view text, int index) {
  return std::clamp(index, 0, length_in_characters(text));
}

int selection_start(const TextSelection& s) {
  return std::min(s.caret, s.anchor);
}

int selection_end(const TextSelection& s) {
  return std::max(s.caret, s.anchor);
}

void erase_selection(std::string& text, TextSelection& s) {
  const std::size_t from = byte_offset(text, selection_start(s));
  text.erase(from, byte_offset(text, selection_end(s)) - from);
  s.caret = s.anchor = selection_start(s);
}

int line_start(std::string_view text, int caret) {
  const std::size_t end = byte_offset(text, caret);
  const std::size_t feed = text.substr(0, end).rfind('\n');
  return feed == std::string_view::npos ? 0 : length_in_characters(text.substr(0, feed + 1));
}

int line_end(std::string_view text, int caret) {
  const std::size_t feed = text.find('\n', byte_offset(text, caret));
  return feed == std::string_view::npos ? length_in_characters(text)
                                        : length_in_characters(text.substr(0, feed));
}

// The same column on the line above or below, or the end of that line when it is shorter; up
// from the first line goes to its start, down from the last one to its end.
int line_beside(std::string_view text, int caret, int step) {
  const CaretPosition at = caret_position(text, caret);
  const int lines = caret_position(text, length_in_characters(text)).line;
  const int line = at.line + step;
  if (line < 1) return line_start(text, caret);
  if (line > lines) return line_end(text, caret);
  const int start = offset_of(text, {line, 1});
  return std::min(start + at.column - 1, line_end(text, start));
}

int moved(std::string_view text, const TextSelection& s, CaretMove move, bool extend) {
  const bool selected = s.caret != s.anchor;
  switch (move) {
    case CaretMove::left:
      return selected && !extend ? selection_start(s) : clamped(text, s.caret - 1);
    case CaretMove::right:
      return selected && !extend ? selection_end(s) : clamped(text, s.caret + 1);
    case CaretMove::line_start:
      return line_start(text, s.caret);
    case CaretMove::line_end:
      return line_end(text, s.caret);
    case CaretMove::line_up:
      return line_beside(text, s.caret, -1);
    case CaretMove::line_down:
      return line_beside(text, s.caret, 1);
    case CaretMove::text_start:
      return 0;
    case CaretMove::text_end:
      return length_in_characters(text);
  }
  return s.caret;
}

}  // namespace

int length_in_characters(std::string_view text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char c) { return !continues_character(c); }));
}

void type_over(std::string& text, TextSelection& selection, std::string_view typed) {
  erase_selection(text, selection);
  text.insert(byte_offset(text, selection.caret), typed);
  selection.caret = selection.anchor = selection.caret + length_in_characters(typed);
}

void erase_before(std::string& text, TextSelection& selection) {
  if (selection.caret == selection.anchor) selection.anchor = clamped(text, selection.caret - 1);
  erase_selection(text, selection);
}

void erase_after(std::string& text, TextSelection& selection) {
  if (selection.caret == selection.anchor) selection.anchor = clamped(text, selection.caret + 1);
  erase_selection(text, selection);
}

void move_caret(std::string_view text, TextSelection& selection, CaretMove move, bool extend) {
  selection.caret = moved(text, selection, move, extend);
  if (!extend) selection.anchor = selection.caret;
}

void select_range(std::string_view text, TextSelection& selection, int start, int length) {
  selection.anchor = clamped(text, start);
  selection.caret =
      clamped(text, selection.anchor + std::min(std::max(length, 0), length_in_characters(text)));
}

std::string selected_text(std::string_view text, const TextSelection& selection) {
  const std::size_t from = byte_offset(text, selection_start(selection));
  return std::string(text.substr(from, byte_offset(text, selection_end(selection)) - from));
}

CaretPosition caret_position(std::string_view text, int caret) {
  CaretPosition at;
  const std::string_view before = text.substr(0, byte_offset(text, caret));
  for (const char c : before) {
    if (c == '\n') {
      ++at.line;
      at.column = 1;
    } else if (!continues_character(c) && c != '\r') {
      ++at.column;
    }
  }
  return at;
}

int offset_of(std::string_view text, CaretPosition position) {
  int offset = 0;
  for (int line = 1; line < position.line; ++line) {
    const int end = line_end(text, offset);
    if (end >= length_in_characters(text)) break;  // a line beyond the last: the last one
    offset = end + 1;
  }
  return std::min(offset + std::max(position.column - 1, 0), line_end(text, offset));
}

std::optional<char> character_of_key(int key, bool shift) {
  struct Printed {
    int key;
    char plain;
    char shifted;
  };
  static constexpr std::array<Printed, 16> kSigns = {{{vk::space, ' ', ' '},
                                                      {106, '*', '*'},
                                                      {107, '+', '+'},
                                                      {109, '-', '-'},
                                                      {111, '/', '/'},
                                                      {186, ';', ':'},
                                                      {187, '=', '+'},
                                                      {188, ',', '<'},
                                                      {189, '-', '_'},
                                                      {190, '.', '>'},
                                                      {191, '/', '?'},
                                                      {192, '`', '~'},
                                                      {219, '[', '{'},
                                                      {220, '\\', '|'},
                                                      {221, ']', '}'},
                                                      {222, '\'', '"'}}};
  if (key >= 'A' && key <= 'Z') return static_cast<char>(shift ? key : key - 'A' + 'a');
  if (key >= '0' && key <= '9') return shift ? ")!@#$%^&*("[key - '0'] : static_cast<char>(key);
  for (const Printed& sign : kSigns) {
    if (sign.key == key) return shift ? sign.shifted : sign.plain;
  }
  return std::nullopt;
}

std::string digits_of(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

}  // namespace tavelo
