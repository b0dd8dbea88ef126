#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.hpp"

namespace tavelo::testing {

// The program started from its own program folder on the private desktop of the GUI tests,
// speaking to the test's speech daemon; the leak checker leaves out what the desktop's libraries
// keep. It is stopped, if still running, when this object goes.
class ProgramOnDesktop {
 public:
  explicit ProgramOnDesktop(const std::filesystem::path& folder,
                            const std::vector<std::string>& arguments = {});
  ~ProgramOnDesktop();
  ProgramOnDesktop(const ProgramOnDesktop&) = delete;
  ProgramOnDesktop& operator=(const ProgramOnDesktop&) = delete;

  // The program's exit status once it ended within the time, -1 otherwise.
  int wait_end(int timeout_ms);

 private:
  std::unique_ptr<ChildProcess> program_;
};

// A user at the keyboard: waits for a window of the program whose title starts with `title`
// to show, and gives it the keyboard. False when none showed within the time.
bool focus_window(const std::string& title);

// Lets a moment pass while a child process works.
void pause_briefly();

// Holds the keys (xdotool names: "Right", "ctrl+Next", "KP_Add") for a moment, as a hand does:
// the program reads which keys are down when it answers.
void press(const std::string& keys);

}  // namespace tavelo::testing
