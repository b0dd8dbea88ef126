#pragma once

#include <string_view>

namespace tavelo {

// The names of the program's own files, which differ between systems: Windows names end in
// ".exe" and ".dll", Linux names have no ending and shared libraries start with "lib".
struct ProgramFileNames {
  std::string_view agenda;          // the program, started again by the updater
  std::string_view dialog_library;  // loaded from the program folder
  std::string_view updater;         // started from the program folder after an update
  std::string_view installer;       // fetched from the maker's server, under the same name
};

const ProgramFileNames& program_file_names();

}  // namespace tavelo
