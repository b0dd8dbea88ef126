#include "platform/linux/linux_shell.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>

extern char** environ;

namespace tavelo {

LinuxShell::LinuxShell(std::filesystem::path program_folder)
    : program_folder_(std::move(program_folder)) {}

// A child still running is left to run on: the agenda never waits for what it started.
LinuxShell::~LinuxShell() { reap_ended(); }

bool LinuxShell::start_program(const std::filesystem::path& program,
                               const std::vector<std::string>& arguments) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(program, error)) return false;
  return spawn(program.string(), arguments, false);
}

bool LinuxShell::open(std::string_view document) {
  return spawn("xdg-open", {std::string(document)}, true);
}

bool LinuxShell::show_help(std::string_view page) {
  const std::filesystem::path file = manual_page(program_folder_, page);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  return open(file.string());
}

bool LinuxShell::spawn(const std::string& file, const std::vector<std::string>& arguments,
                       bool search_path) {
  reap_ended();
  std::vector<std::string> words{file};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int failed = search_path
                         ? posix_spawnp(&child, file.c_str(), nullptr, nullptr, argv.data(), environ)
                         : posix_spawn(&child, file.c_str(), nullptr, nullptr, argv.data(), environ);
  if (failed != 0) return false;
  children_.push_back(child);
  return true;
}

void LinuxShell::reap_ended() {
  std::erase_if(children_, [](pid_t child) { return waitpid(child, nullptr, WNOHANG) != 0; });
}

std::unique_ptr<Shell> system_shell(const std::filesystem::path& program_folder) {
  return std::make_unique<LinuxShell>(program_folder);
}

}  // namespace tavelo
