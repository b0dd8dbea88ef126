#pragma once

#include <filesystem>

#include "planning/records.hpp"

namespace tavelo {

// The window "journal": the sections of the journal folder, to open with the system's program
// for text files, or to delete one by one or all at once.
void ShowJournal(const std::filesystem::path& program_folder, const Settings& settings);

}  // namespace tavelo
