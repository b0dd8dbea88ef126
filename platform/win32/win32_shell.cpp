#include "platform/win32/win32_shell.hpp"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include "platform/win32/command_line.hpp"
#include "platform/win32/wide.hpp"

namespace tavelo {

Win32Shell::Win32Shell(std::filesystem::path program_folder)
    : program_folder_(std::move(program_folder)) {}

bool Win32Shell::start_program(const std::filesystem::path& program,
                               const std::vector<std::string>& arguments) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(program, error)) return false;
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::wstring command = command_line_of(words);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // The agenda never waits for what it starts.
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool Win32Shell::open(std::string_view document) {
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", wide_of(document).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Shell::show_help(std::string_view page) {
  const std::filesystem::path file = manual_page(program_folder_, page);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  return open(file.string());
}

std::unique_ptr<Shell> system_shell(const std::filesystem::path& program_folder) {
  return std::make_unique<Win32Shell>(program_folder);
}

}  // namespace tavelo
