#pragma once

#include <filesystem>

namespace tavelo {

// The folder of the running program file: every data file of the agenda lives in it.
std::filesystem::path running_program_folder();

}  // namespace tavelo
