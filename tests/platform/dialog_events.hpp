#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "access/dialog.hpp"
#include "platform/clock.hpp"

namespace tavelo::testing {

// Event names until one satisfies `done` (included) or the patience runs out, on the clock the
// dialog runs on; the same on every window system.
inline std::vector<std::string> dialog_events_until(
    const Clock& clock, const std::function<bool(const std::string&)>& done, int patience_ms) {
  std::vector<std::string> seen;
  const std::uint32_t start = clock.tick();
  while (clock.tick() - start < static_cast<std::uint32_t>(patience_ms)) {
    const std::string name = WaitDialogEvent(50);
    if (name.empty()) continue;
    seen.push_back(name);
    if (done(name)) break;
  }
  return seen;
}

}  // namespace tavelo::testing
