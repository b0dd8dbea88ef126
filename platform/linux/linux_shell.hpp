#pragma once

#include <filesystem>
#include <vector>

#include <sys/types.h>

#include "platform/shell.hpp"

namespace tavelo {

// Programs started with posix_spawn, documents and manual pages opened with xdg-open. The
// children are reaped as later calls find them ended, so none is left a zombie for long.
class LinuxShell final : public Shell {
 public:
  explicit LinuxShell(std::filesystem::path program_folder);
  ~LinuxShell() override;
  LinuxShell(const LinuxShell&) = delete;
  LinuxShell& operator=(const LinuxShell&) = delete;

  bool start_program(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments) override;
  bool open(std::string_view document) override;
  bool show_help(std::string_view page) override;

 private:
  bool spawn(const std::string& file, const std::vector<std::string>& arguments, bool search_path);
  void reap_ended();

  std::filesystem::path program_folder_;
  std::vector<pid_t> children_;
};

}  // namespace tavelo
