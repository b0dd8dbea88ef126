#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavelo::testing {

// Copies the program folder the build made (the program, the libraries it loads, its sounds,
// its manual and its marker file) into `folder`, over an earlier copy; the program's path in it.
std::filesystem::path copy_program_into(const std::filesystem::path& folder);

// Writes `count` plannings into the planning folder of `folder`, on consecutive days.
void add_plannings(const std::filesystem::path& folder, int count);

// Today on the machine's clock, which the program runs on outside scripted sessions.
int machine_today();

// Runs the program with its arguments to its end within the time; its exit status, -1 on
// time-out.
int run_program(const std::filesystem::path& program, int output_fd = -1,
                const std::vector<std::string>& arguments = {});

}  // namespace tavelo::testing
