#include <system_error>

#include "platform/program_folder.hpp"

namespace tavelo {

std::filesystem::path running_program_folder() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path();
  return program.parent_path();
}

}  // namespace tavelo
