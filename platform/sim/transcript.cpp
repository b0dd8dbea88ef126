#include "platform/sim/transcript.hpp"

#include <cstdio>

namespace tavelo {

Transcript::Transcript(const Clock& clock, std::ostream* out) : clock_(clock), out_(out) {}

void Transcript::write(std::string_view event) {
  const std::lock_guard lock(mutex_);
  if (event == "silence" && last_event_ == "silence") return;
  last_event_ = event;
  const LocalTime t = clock_.now();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d ", t.hour, t.minute, t.second,
                t.millisecond);
  std::string line = stamp;
  line += event;
  if (out_ != nullptr) *out_ << line << '\n' << std::flush;
  lines_.push_back(std::move(line));
}

std::string in_quotes(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  out += '"';
  return out;
}

}  // namespace tavelo
