#include "platform/sim/sim_shell.hpp"

namespace tavelo {

SimShell::SimShell(Transcript& transcript, std::filesystem::path program_folder)
    : transcript_(transcript), program_folder_(std::move(program_folder)) {}

bool SimShell::start_program(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(program, error)) return false;
  std::string line = "run " + in_quotes(program.string());
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on " " + string.
  for (const std::string& argument : arguments) {
    line += ' ';
    line += in_quotes(argument);
  }
  transcript_.write(line);
  return true;
}

bool SimShell::open(std::string_view document) {
  transcript_.write("open " + in_quotes(document));
  return true;
}

bool SimShell::show_help(std::string_view page) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(manual_page(program_folder_, page), error)) return false;
  transcript_.write("help " + in_quotes(page));
  return true;
}

}  // namespace tavelo
