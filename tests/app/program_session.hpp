#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo::testing {

// What the program showed and said in a scripted session, and how it ended.
struct Session {
  int code = 0;
  std::vector<std::string> lines;  // without their time stamps

  bool has(std::string_view line) const { return count(line) > 0; }
  int count(std::string_view line) const;
  // Whether `first` comes before `second`, both being there.
  bool in_order(std::string_view first, std::string_view second) const;
  std::string text() const;
};

// Runs the program, as a user starts it with these arguments, in a scripted session: the script
// is written into `scripts`, the transcript read back, the sound kept in `sound_out` when one
// is named.
Session run_program_session(const std::filesystem::path& program,
                            const std::filesystem::path& scripts, std::string_view script,
                            const std::vector<std::string>& arguments = {},
                            const std::filesystem::path& sound_out = {});

}  // namespace tavelo::testing
