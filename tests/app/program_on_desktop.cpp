#include "tests/app/program_on_desktop.hpp"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/app/program_folder_copy.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

namespace fs = std::filesystem;

void pause_briefly() {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

ProgramOnDesktop::ProgramOnDesktop(const fs::path& folder,
                                   const std::vector<std::string>& arguments) {
  const fs::path program = copy_program_into(folder);
  const fs::path suppressions = folder / "leaks.supp";
  write_bytes(suppressions, library_leak_suppressions());
  std::vector<std::string> words{"env", "LSAN_OPTIONS=suppressions=" + suppressions.string(),
                                 program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  program_ = std::make_unique<ChildProcess>(words);
}

ProgramOnDesktop::~ProgramOnDesktop() {
  program_->stop(5000, pause_briefly);
}

int ProgramOnDesktop::wait_end(int timeout_ms) {
  return program_->wait(timeout_ms, pause_briefly);
}

bool focus_window(const std::string& title) {
  ChildProcess user({"sh", "-c",
                     "timeout 30 xdotool search --sync --onlyvisible --name \"^$0\" "
                     "windowfocus --sync %1",
                     title});
  return user.wait(35000, pause_briefly) == 0;
}

void press(const std::string& keys) {
  ChildProcess user({"sh", "-c", "xdotool keydown $0; sleep 0.3; xdotool keyup $0", keys});
  user.wait(10000, pause_briefly);
}

}  // namespace tavelo::testing
