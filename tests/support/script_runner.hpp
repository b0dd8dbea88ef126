#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.hpp"
#include "platform/sim/sim_shell.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "platform/sim/transcript.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

// What a window showed and said in a scripted session.
struct ScriptRun {
  int code = 0;                    // the window's exit code; 2 when the script went wrong
  std::vector<std::string> lines;  // the transcript, without the time stamps
  std::vector<std::string> stamped;  // the same with their time stamps, "HH:MM:SS.mmm line"
  bool has(std::string_view line) const;
  int count(std::string_view line) const;
  std::string text() const;  // the lines, one a line, for a failure's message
  // The time stamp of the first line that is `line`; empty when there is none.
  std::string first_time_of(std::string_view line) const;
};

// Drives a window through a script: the commands of the README's scripted sessions, run on the
// sim backends in a fresh interface, as the program runs them with TAVELO_UI=script:FILE. The
// window works in a program folder of its own, where the test finds the files it wrote.
class ScriptRunner {
 public:
  // Copies the dialog library the build made into the program folder and loads it from there,
  // as the program does: AskUser, the find box and the note pad need it.
  bool load_dialog_library(const std::filesystem::path& built);

  // What the session sounded goes to the WAV file `sound_out` when one is named.
  ScriptRun run(std::string_view script, const std::function<int()>& window,
                const std::filesystem::path& sound_out = {});

  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  TempFolder folder_;
  TempFolder scripts_;
};

// The simulated window system of the session running now, for a test that looks at what the
// port does not tell (menus, shortcuts, timers).
SimWindowSystem& session_windows();

// The manual's pages a window shows while it lives, for a window run by a ScriptRunner: a shell
// of the session whose lines are kept apart, over the manual of the source tree.
class ShownHelp {
 public:
  ShownHelp();
  // The pages shown, as "help \"PAGE\"" lines.
  std::vector<std::string> lines() const;

 private:
  Transcript transcript_;
  SimShell shell_;
  ShellService installed_;
};

}  // namespace tavelo::testing
