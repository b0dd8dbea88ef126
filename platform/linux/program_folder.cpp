#include "platform/program_folder.hpp"

#include <algorithm>
#include <system_error>

namespace tavelo {

std::filesystem::path running_program_folder() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path();
  return program.parent_path();
}

std::vector<std::string> program_arguments(int argc, char** argv) {
  return {argv + std::min(argc, 1), argv + argc};
}

}  // namespace tavelo
