#include "app/terminal_lines.hpp"

#include "platform/os.hpp"

namespace tavelo {

namespace {

// A line longer than this is no command: it is cut there.
constexpr std::size_t kLongestLine = 64 * 1024;

}  // namespace

void TerminalLines::read_available() {
  while (!ended_ && pending_.size() < kLongestLine) {
    const std::optional<std::string> got = input_ready(fd_);
    if (!got) {
      ended_ = true;
      return;
    }
    if (got->empty()) return;
    pending_ += *got;
  }
}

std::optional<std::string> TerminalLines::next() {
  read_available();
  const std::size_t end = pending_.find('\n');
  std::size_t taken = end == std::string::npos ? 0 : end + 1;
  if (end == std::string::npos) {
    // The last line of an input that ended, or a line too long to wait for.
    if (pending_.empty() || (!ended_ && pending_.size() < kLongestLine)) return std::nullopt;
    taken = std::min(pending_.size(), kLongestLine);
  }
  std::string line = pending_.substr(0, end == std::string::npos ? taken : end);
  pending_.erase(0, taken);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace tavelo
