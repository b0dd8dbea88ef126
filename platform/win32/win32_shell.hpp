#pragma once

#include <filesystem>
#include <vector>

#include "platform/shell.hpp"

namespace tavelo {

// Programs started with CreateProcessW, their arguments quoted so that each arrives whole;
// documents, web addresses and manual pages opened with ShellExecuteW, as Windows associates
// them (a page of the manual in the browser).
class Win32Shell final : public Shell {
 public:
  explicit Win32Shell(std::filesystem::path program_folder);

  bool start_program(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments) override;
  bool open(std::string_view document) override;
  bool show_help(std::string_view page) override;

 private:
  std::filesystem::path program_folder_;
};

}  // namespace tavelo
