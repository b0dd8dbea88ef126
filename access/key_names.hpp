#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// The names of the keys held down now, joined in the key table's order ("controlshifttab").
// Sides mode names left and right Shift and Control and leaves Alt out. The repeat filter
// reports a held combination once, then after 300 ms at most every 30 ms.
std::string ReadKeyName(bool sides, bool repeat_filter, std::string_view event = {});

// The virtual-key code of a key name of the table ("enter", "f1", "leftshift"); 0 when unknown.
int KeyCodeOfName(std::string_view name);

}  // namespace tavelo
