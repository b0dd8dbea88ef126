#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// Field chains: a text cut into numbered fields (from 1) by any character of a separator set.
// Everything counts characters, not bytes. Asking for a field beyond the last one is a
// programming fault and throws Fault with the message the user is shown.

int chaincount(std::string_view text, std::string_view separators);

// Modes: 0 trims the text and the field of spaces, 1 does not trim, 2 takes `separators` as one
// whole delimiter; any other mode gives the empty text.
std::string chain(std::string_view text, std::string_view separators, int n, int mode = 0);

// Fields 1..n with the separators between them.
std::string leftchain(std::string_view text, std::string_view separators, int n);

// Fields n..last with the separators between them.
std::string rightchain(std::string_view text, std::string_view separators, int n);

}  // namespace tavelo
