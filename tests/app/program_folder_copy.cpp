#include "tests/app/program_folder_copy.hpp"

#include <chrono>
#include <ctime>
#include <thread>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

namespace fs = std::filesystem;

fs::path copy_program_into(const fs::path& folder) {
  for (const char* file : {TAVELO_PROGRAM, TAVELO_PLATFORM_LIBRARY, TAVELO_PARLON_LIBRARY}) {
    fs::copy_file(file, folder / fs::path(file).filename(), fs::copy_options::overwrite_existing);
  }
  const fs::path built = fs::path(TAVELO_PROGRAM).parent_path();
  for (const char* file : {"access.txt", "beep.wav", "stop.wav", "3520.wav"}) {
    fs::copy_file(built / file, folder / file, fs::copy_options::overwrite_existing);
  }
  fs::copy(built / "manual", folder / "manual",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  return folder / fs::path(TAVELO_PROGRAM).filename();
}

void add_plannings(const fs::path& folder, int count) {
  const fs::path plannings = planning_folder(folder);
  fs::create_directories(plannings);
  for (int n = 0; n < count; ++n) {
    write_bytes(plannings / planning_base_name(46000 + n, "09:30"), write_planning(Planning{}));
  }
}

int machine_today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return daynumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int run_program(const fs::path& program, int output_fd, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  ChildProcess run(words, output_fd);
  return run.wait(30000, [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
}

}  // namespace tavelo::testing
