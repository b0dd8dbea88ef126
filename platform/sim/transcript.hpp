#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.hpp"

namespace tavelo {

// What a simulated session lets the user see and hear, one line per event, each prefixed by the
// simulated time "HH:MM:SS.mmm". Silencing readers that are already silent is not an event, so
// a "silence" right after a "silence" is not written again. Work on other threads (a chime
// playing) writes its lines too, each whole.
class Transcript {
 public:
  explicit Transcript(const Clock& clock, std::ostream* out = nullptr);

  void write(std::string_view event);
  // The lines so far; read them once no other thread writes.
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::mutex mutex_;
  const Clock& clock_;
  std::ostream* out_;
  std::vector<std::string> lines_;
  std::string last_event_;
};

// The text in double quotes, with carriage returns, line feeds, quotes and backslashes escaped.
std::string in_quotes(std::string_view text);

}  // namespace tavelo
