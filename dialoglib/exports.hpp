#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "planning/text.hpp"

// What the program and the dialog library agree on: the two exports and how texts cross.
namespace tavelo {

inline constexpr const char* kParlonExport = "parlon";
inline constexpr const char* kFindboxExport = "findbox";
// Between the fields of the find box's answer: U+00FF in UTF-8.
inline constexpr std::string_view kFindSeparator = "\xC3\xBF";

// parlon(title, message, countdown seconds, captions joined with "|", default button, sound
// file) gives the number of the button that closed the dialog, then " N" for each checked box.
using ParlonFunction = const wchar_t* (*)(const wchar_t*, const wchar_t*, std::int32_t,
                                          const wchar_t*, std::int32_t, const wchar_t*);
// findbox(find-only flag) gives the answer fields separated by U+00FF, empty when cancelled.
using FindboxFunction = const wchar_t* (*)(std::int32_t);

// Wide characters are UTF-32 where wchar_t has 32 bits, UTF-16 elsewhere.
inline std::wstring to_wide(std::string_view utf8) {
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

inline std::string from_wide(const wchar_t* text) {
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

}  // namespace tavelo
