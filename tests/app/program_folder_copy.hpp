#pragma once

#include <filesystem>

namespace tavelo::testing {

// Copies the program and the libraries it loads from its folder into `folder`; the program's
// path in it.
std::filesystem::path copy_program_into(const std::filesystem::path& folder);

// Writes `count` plannings into the planning folder of `folder`, on consecutive days.
void add_plannings(const std::filesystem::path& folder, int count);

// Runs the program to its end within the time; its exit status, -1 on time-out.
int run_program(const std::filesystem::path& program, int output_fd = -1);

}  // namespace tavelo::testing
