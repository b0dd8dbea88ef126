#pragma once

#include <string>
#include <vector>

namespace tavelo {

// The command line of a program and its arguments, each quoted so that the C runtime of the
// program started splits them back exactly as given: no command interpreter is involved.
std::wstring command_line_of(const std::vector<std::string>& words);

}  // namespace tavelo
