#include "app/terminal_lines.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace tavelo {

namespace {

// A line longer than this is no command: it is cut there.
constexpr std::size_t kLongestLine = 64 * 1024;

}  // namespace

void TerminalLines::read_available() {
  while (!ended_ && pending_.size() < kLongestLine) {
    pollfd wanted{fd_, POLLIN, 0};
    const int ready = ::poll(&wanted, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return;
    char buffer[4096];
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ended_ = true;
      return;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
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
