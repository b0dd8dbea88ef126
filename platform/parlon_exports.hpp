#pragma once

#include <cstdint>
#include <string_view>

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

}  // namespace tavelo
