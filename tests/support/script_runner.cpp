#include "tests/support/script_runner.hpp"

#include <algorithm>
#include <sstream>

#include "access/dialog_library.hpp"
#include "app/scripted_session.hpp"
#include "platform/file_names.hpp"
#include "platform/services.hpp"

namespace tavelo::testing {

namespace {

constexpr std::size_t kTimeStamp = 13;  // "HH:MM:SS.mmm "

}  // namespace

bool ScriptRun::has(std::string_view line) const {
  return count(line) > 0;
}

int ScriptRun::count(std::string_view line) const {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

std::string ScriptRun::text() const {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

std::string ScriptRun::first_time_of(std::string_view line) const {
  const auto found = std::find(lines.begin(), lines.end(), line);
  if (found == lines.end()) return {};
  return stamped[static_cast<std::size_t>(found - lines.begin())].substr(0, kTimeStamp - 1);
}

bool ScriptRunner::load_dialog_library(const std::filesystem::path& built) {
  std::filesystem::copy_file(built, folder() / program_file_names().dialog_library,
                             std::filesystem::copy_options::overwrite_existing);
  return LoadDialogLibrary(folder());
}

ScriptRun ScriptRunner::run(std::string_view script, const std::function<int()>& window,
                            const std::filesystem::path& sound_out) {
  const std::filesystem::path file = scripts_.path() / "session.txt";
  write_bytes(file, script);
  std::ostringstream transcript;
  ScriptRun result;
  result.code =
      run_scripted_session(file.string(), &transcript, window, sound_out.string(), folder());
  std::istringstream in(transcript.str());
  for (std::string line; std::getline(in, line);) {
    result.lines.push_back(line.substr(std::min(kTimeStamp, line.size())));
    result.stamped.push_back(line);
  }
  return result;
}

ShownHelp::ShownHelp()
    : transcript_(interface_clock()), shell_(transcript_, TAVELO_SOURCE_DIR), installed_(shell_) {}

std::vector<std::string> ShownHelp::lines() const {
  std::vector<std::string> shown;
  for (const std::string& line : transcript_.lines()) {
    shown.push_back(line.substr(std::min(kTimeStamp, line.size())));
  }
  return shown;
}

SimWindowSystem& session_windows() {
  return dynamic_cast<SimWindowSystem&>(window_system());
}

}  // namespace tavelo::testing
