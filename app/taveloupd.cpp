// The updater: started by the agenda once it has downloaded an update, as
//   taveloupd PROCESS [ARGUMENT...]
// it waits for the agenda's process to end, puts the downloaded files into place, and starts
// the agenda again with the arguments.
#include <charconv>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "maintenance/update_check.hpp"
#include "platform/file_names.hpp"
#include "platform/process.hpp"
#include "platform/program_folder.hpp"
#include "platform/shell.hpp"

namespace {

using namespace std::chrono_literals;
using namespace tavelo;

// The agenda ends within a moment of starting the updater; one that has not after this long is
// left alone, with its update waiting in the update folder for the next check.
constexpr auto kPatience = 60s;

bool agenda_ended(int process) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (process_running(process)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(100ms);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words = program_arguments(argc, argv);
  int process = 0;
  if (words.empty() ||
      std::from_chars(words[0].data(), words[0].data() + words[0].size(), process).ec !=
          std::errc()) {
    std::cerr << "taveloupd : usage : taveloupd PROCESSUS [ARGUMENT...]\n";
    return 2;
  }
  if (!agenda_ended(process)) {
    std::cerr << "taveloupd : l'agenda ne s'est pas arrêté ; la mise à jour n'est pas installée.\n";
    return 1;
  }
  const fs::path folder = running_program_folder();
  for (const std::string& problem : install_update(folder)) {
    std::cerr << "taveloupd : " << problem << "\n";
  }
  const std::vector<std::string> arguments(words.begin() + 1, words.end());
  const std::unique_ptr<Shell> shell = system_shell(folder);
  return shell->start_program(folder / program_file_names().agenda, arguments) ? 0 : 1;
}
