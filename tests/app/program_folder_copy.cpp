#include "tests/app/program_folder_copy.hpp"

#include <ctime>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "platform/files.hpp"
#include "platform/os.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

namespace fs = std::filesystem;

fs::path copy_program_into(const fs::path& folder) {
  std::vector<std::string> files{TAVELO_PROGRAM, TAVELO_PLATFORM_LIBRARY, TAVELO_PARLON_LIBRARY,
                                 TAVELO_UPDATER};
  // The compiler's runtime and the outside libraries where the program needs them beside it.
  for (std::string& runtime : pieces_between(TAVELO_RUNTIME_LIBRARIES, '|')) {
    files.push_back(std::move(runtime));
  }
  for (const std::string& file : files) {
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
  const std::tm local = local_calendar(std::time(nullptr));
  return daynumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace tavelo::testing
