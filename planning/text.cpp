#include "planning/text.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>

namespace tavelo {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1
// control of the same value, as Windows does, so that every byte survives a round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codepoint_of_byte(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

char byte_of_codepoint(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i` and moves `i` past it.
char32_t decode_one(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07u, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  std::size_t j = i;
  for (int k = 0; k < extra; ++k, ++j) {
    if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) {
      return kReplacement;
    }
    value = (value << 6) | (static_cast<unsigned char>(text[j]) & 0x3Fu);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return kReplacement;
  }
  i = j;
  return value;
}

void append_utf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u32string to_codepoints(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out += decode_one(text, i);
  return out;
}

std::string to_utf8(std::u32string_view codepoints) {
  std::string out;
  out.reserve(codepoints.size());
  for (char32_t c : codepoints) append_utf8(out, c);
  return out;
}

void append_cp1252(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  for (std::size_t i = 0; i < text.size();) out += byte_of_codepoint(decode_one(text, i));
}

std::string cp1252_from_utf8(std::string_view text) {
  std::string out;
  append_cp1252(out, text);
  return out;
}

std::string utf8_from_cp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) append_utf8(out, codepoint_of_byte(static_cast<unsigned char>(b)));
  return out;
}

std::string as_stored(std::string_view text) {
  return utf8_from_cp1252(cp1252_from_utf8(text));
}

std::size_t character_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) decode_one(text, i);
  return count;
}

std::wstring to_wide(std::string_view utf8) {
  std::wstring out;
  for (char32_t c : to_codepoints(utf8)) {
    if (sizeof(wchar_t) >= 4 || c < 0x10000) {
      out += static_cast<wchar_t>(c);
    } else {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
  }
  return out;
}

std::string from_wide(const wchar_t* text) {
  if (text == nullptr) return {};
  std::u32string codepoints;
  for (; *text != 0; ++text) {
    auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(*text));
    const auto low = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[1]));
    if (sizeof(wchar_t) < 4 && c >= 0xD800 && c < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++text;
    }
    codepoints += c;
  }
  return to_utf8(codepoints);
}

namespace {

template <typename View>
View trim_spaces_of(View text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  return text.substr(first, last - first);
}

}  // namespace

std::string_view trim_spaces(std::string_view text) {
  return trim_spaces_of(text);
}
std::u32string_view trim_spaces(std::u32string_view text) {
  return trim_spaces_of(text);
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += separator;
    text += parts[i];
  }
  return text;
}

std::string lower_ascii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

namespace {

char32_t lower_letter(char32_t c) {
  const bool upper = (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
  return upper ? c + 32 : c;
}

// The letter without its accent, for the lower-case letters of Latin-1 and the French "œ".
std::u32string_view base_letters(char32_t c) {
  static constexpr std::u32string_view kLatin1From0xE0[] = {
      U"a", U"a",      U"a", U"a", U"a", U"a", U"ae", U"c", U"e",      U"e", U"e",
      U"e", U"i",      U"i", U"i", U"i", U"d", U"n",  U"o", U"o",      U"o", U"o",
      U"o", U"\u00f7", U"o", U"u", U"u", U"u", U"u",  U"y", U"\u00fe", U"y"};
  if (c >= 0xE0 && c <= 0xFF) return kLatin1From0xE0[c - 0xE0];
  if (c == 0x153 || c == 0x152) return U"oe";
  return {};
}

}  // namespace

std::string lower_letters(std::string_view text) {
  std::u32string letters = to_codepoints(text);
  for (char32_t& c : letters) c = lower_letter(c);
  return to_utf8(letters);
}

std::string sorting_key(std::string_view text) {
  std::u32string key;
  for (const char32_t c : to_codepoints(text)) {
    const char32_t lower = lower_letter(c);
    const std::u32string_view base = base_letters(lower);
    if (base.empty()) {
      key += lower;
    } else {
      key += base;
    }
  }
  return to_utf8(key);
}

std::int64_t leading_integer(std::string_view text) {
  text = trim_spaces(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (value > (INT64_MAX - 9) / 10) break;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

int typed_number(std::string_view text, int low, int high) {
  return static_cast<int>(std::clamp<std::int64_t>(leading_integer(text), low, high));
}

}  // namespace tavelo
