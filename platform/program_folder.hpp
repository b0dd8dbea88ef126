#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavelo {

// The folder of the running program file: every data file of the agenda lives in it.
std::filesystem::path running_program_folder();

// The words the running program was started with, after its own name, in UTF-8. On Windows the
// C runtime's `argv` has passed through the ANSI code page, which loses letters (a French file
// name): the words are read again from the system's wide command line.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace tavelo
