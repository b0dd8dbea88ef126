#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// UTF-8, the program's texts, to and from UTF-16, the texts of the Windows API. Invalid
// sequences become U+FFFD.
std::wstring wide_of(std::string_view utf8);
std::string utf8_of(std::wstring_view wide);

}  // namespace tavelo
