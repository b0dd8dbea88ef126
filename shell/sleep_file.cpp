#include "shell/sleep_file.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/files.hpp"

namespace tavelo {

namespace {

// Nothing in the sleep file is longer than a few digits.
constexpr std::size_t kSleepFileLimit = 256;
// A sleep longer than a year is a mistake.
constexpr int kLongestSleep = 366 * 1440;

std::optional<std::int64_t> number_line(std::string_view& text) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  std::int64_t value = 0;
  const auto [at, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (line.empty() || error != std::errc() || at != line.data() + line.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<SleepRequest> read_sleep_request(const fs::path& program_folder) {
  const std::optional<std::string> bytes =
      read_file(program_folder / kSleepFileName, kSleepFileLimit);
  if (!bytes) return std::nullopt;
  std::string_view text = *bytes;
  const std::optional<std::int64_t> minutes = number_line(text);
  const std::optional<std::int64_t> start = number_line(text);
  if (!minutes || !start || *minutes <= 0 || *minutes > kLongestSleep) return SleepRequest{};
  return SleepRequest{static_cast<int>(*minutes), *start};
}

bool write_sleep_file(const fs::path& program_folder, const SleepRequest& request) {
  return write_file_atomically(
      program_folder / kSleepFileName,
      std::to_string(request.minutes) + "\r\n" + std::to_string(request.start) + "\r\n");
}

void remove_sleep_file(const fs::path& program_folder) {
  std::error_code error;
  fs::remove(program_folder / kSleepFileName, error);
}

MinuteStamp sleep_left(const SleepRequest& request, MinuteStamp now) {
  return request.start + request.minutes - now;
}

std::string sleep_tooltip(MinuteStamp minutes_left) {
  const MinuteStamp left = std::max<MinuteStamp>(minutes_left, 0);
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(left / 60),
                static_cast<long long>(left % 60));
  return std::string("Tavelo en mode someil pour ") + text;
}

std::optional<int> typed_sleep_minutes(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const std::size_t colon = text.find(':');
  std::string_view hours_part = colon == std::string_view::npos ? "0" : text.substr(0, colon);
  std::string_view minutes_part = colon == std::string_view::npos ? text : text.substr(colon + 1);
  std::string both = std::string(hours_part) + "\n" + std::string(minutes_part);
  std::string_view lines = both;
  const std::optional<std::int64_t> hours = number_line(lines);
  const std::optional<std::int64_t> minutes = number_line(lines);
  if (!hours || !minutes || *hours < 0 || *minutes < 0 || *hours > kLongestSleep ||
      *minutes > kLongestSleep) {
    return std::nullopt;
  }
  const std::int64_t total = *hours * 60 + *minutes;
  if (total <= 0 || total > kLongestSleep) return std::nullopt;
  return static_cast<int>(total);
}

}  // namespace tavelo
