#include "tests/app/program_session.hpp"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tests/app/program_folder_copy.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

namespace {

constexpr std::size_t kTimeStamp = 13;  // "HH:MM:SS.mmm "

std::vector<std::string> lines_without_time(const std::string& transcript) {
  std::vector<std::string> lines;
  std::istringstream in(transcript);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line.substr(std::min(kTimeStamp, line.size())));
  }
  return lines;
}

void set_or_unset(const char* variable, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(variable);
  } else {
    ::setenv(variable, value.c_str(), 1);
  }
}

}  // namespace

int Session::count(std::string_view line) const {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool Session::in_order(std::string_view first, std::string_view second) const {
  const auto a = std::find(lines.begin(), lines.end(), first);
  return a != lines.end() && std::find(a, lines.end(), second) != lines.end();
}

std::string Session::text() const {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

Session run_program_session(const std::filesystem::path& program,
                            const std::filesystem::path& scripts, std::string_view script,
                            const std::vector<std::string>& arguments,
                            const std::filesystem::path& sound_out) {
  const std::filesystem::path file = scripts / "session.txt";
  const std::filesystem::path transcript = scripts / "transcript.txt";
  write_bytes(file, script);
  write_bytes(transcript, "");
  set_or_unset("TAVELO_UI", "script:" + file.string());
  set_or_unset("TAVELO_TRANSCRIPT", transcript.string());
  set_or_unset("TAVELO_SOUND_OUT", sound_out.string());
  Session s;
  s.code = run_program(program, -1, arguments);
  s.lines = lines_without_time(read_bytes(transcript));
  for (const char* variable : {"TAVELO_UI", "TAVELO_TRANSCRIPT", "TAVELO_SOUND_OUT"}) {
    ::unsetenv(variable);
  }
  return s;
}

}  // namespace tavelo::testing
