#include "planning/crypt.hpp"

#include "planning/text.hpp"
#include "platform/fault.hpp"

namespace tavelo {

namespace {

// Moves the offset on for the next character, turning back at ±1 and at the key.
void bounce(int key, int& offset, int& step) {
  if (key < 0) {
    if (offset == 0) step = -1, offset = -2;
    if (offset < key) step = 1, offset = key + 1;
  } else {
    if (offset == 0) step = 1, offset = 2;
    if (offset > key) step = -1, offset = key - 1;
  }
}

}  // namespace

std::optional<std::string> crypt(std::string_view text, int key) {
  if (key == 0) throw Fault(kCryptErrorTitle, "Zéro n'est pas une valeur permise");
  int offset = key;
  int step = key < 0 ? 1 : -1;
  std::string shifted;
  for (char byte : cp1252_from_utf8(text)) {
    bounce(key, offset, step);
    const int code = static_cast<unsigned char>(byte) + offset;
    if (code < 32 || code == 34 || code > 255) return std::nullopt;
    shifted += static_cast<char>(code);
    offset += step;
  }
  return utf8_from_cp1252(shifted);
}

}  // namespace tavelo
