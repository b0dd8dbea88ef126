#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

// What the program is asked at its start ("/test", "/go", "/cal", "/bureau", "/sleep?",
// "/sleep(…)", "/shutdown", an exchange file), and what the run puts in its place later.
// The switches are tested as parts of one text, in any case, so that several may be written
// together ("/test/go"). An exchange file is kept apart: its path could hold a switch's letters
// ("/home/marie/test/rdv.txa").
struct CommandLine {
  std::string switches;       // every other argument, each followed by a blank
  std::string exchange_file;  // the argument that names a ".txa" file, if any

  bool empty() const { return switches.empty() && exchange_file.empty(); }
  void clear() { *this = CommandLine(); }
};

CommandLine parse_command_line(const std::vector<std::string>& arguments);

// Whether the switch ("/test") is part of the switches, in any case.
bool asks(const CommandLine& command_line, std::string_view switch_name);

// The text between "/sleep(" and the next ")"; nothing without both.
std::optional<std::string> sleep_request(const CommandLine& command_line);

// A sleep's length in minutes from "h:mm" or a plain number of minutes; nothing for any other
// text, or for a length of no minutes or over a year.
std::optional<int> sleep_minutes(std::string_view duration);

}  // namespace tavelo
