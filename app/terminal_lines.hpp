#pragma once

#include <optional>
#include <string>

namespace tavelo {

// The lines a user types on the terminal, taken as they come without ever waiting for one.
class TerminalLines {
 public:
  explicit TerminalLines(int fd) : fd_(fd) {}

  // The next whole line typed, without its line end, when one is there now.
  std::optional<std::string> next();
  // True once the input has ended and every line was taken.
  bool ended() const { return ended_ && pending_.empty(); }

 private:
  void read_available();

  int fd_;
  std::string pending_;
  bool ended_ = false;
};

}  // namespace tavelo
