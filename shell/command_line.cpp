#include "shell/command_line.hpp"

#include <algorithm>
#include <charconv>

#include "planning/text.hpp"

namespace tavelo {

namespace {

constexpr int kLongestSleep = 366 * 24 * 60;

bool names_exchange_file(std::string_view argument) {
  return lower_ascii(argument).find(".txa") != std::string::npos;
}

std::optional<int> digits(std::string_view text) {
  if (text.empty() || text.size() > 9 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& arguments) {
  CommandLine command_line;
  for (const std::string& argument : arguments) {
    if (command_line.exchange_file.empty() && names_exchange_file(argument)) {
      command_line.exchange_file = argument;
    } else {
      command_line.switches += argument + " ";
    }
  }
  return command_line;
}

bool asks(const CommandLine& command_line, std::string_view switch_name) {
  return lower_ascii(command_line.switches).find(lower_ascii(switch_name)) != std::string::npos;
}

std::optional<std::string> sleep_request(const CommandLine& command_line) {
  const std::string lowered = lower_ascii(command_line.switches);
  const std::size_t open = lowered.find("/sleep(");
  if (open == std::string::npos) return std::nullopt;
  const std::size_t start = open + 7;
  const std::size_t close = lowered.find(')', start);
  if (close == std::string::npos) return std::nullopt;
  return command_line.switches.substr(start, close - start);
}

std::optional<int> sleep_minutes(std::string_view duration) {
  duration = trim_spaces(duration);
  std::optional<int> minutes;
  if (const std::size_t colon = duration.find(':'); colon != std::string_view::npos) {
    const std::optional<int> hours = digits(duration.substr(0, colon));
    const std::optional<int> rest = digits(duration.substr(colon + 1));
    if (hours && rest && *hours <= kLongestSleep / 60) minutes = *hours * 60 + *rest;
  } else {
    minutes = digits(duration);
  }
  if (!minutes || *minutes <= 0 || *minutes > kLongestSleep) return std::nullopt;
  return minutes;
}

}  // namespace tavelo
