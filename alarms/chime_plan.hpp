#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "alarms/chime_profile.hpp"

namespace tavelo {

// What a chime does, step by step, so that the player only carries it out.
struct ChimeStep {
  enum class Kind { kStopPlayers, kPlay, kWait };
  Kind kind;
  ChimeEntry entry;  // kPlay
  int milliseconds;  // kWait
};

struct ChimeRequest {
  int time = 0;  // hour * 100 + minute
  bool forced = false;  // the dialog's test play ignores the active window and the cycles
  std::optional<int> preview_hour;     // play that hour entry alone
  std::optional<int> preview_quarter;  // play that quarter entry alone
};

// Gives a random index below its argument (never called with 0).
using RandomIndex = std::function<std::size_t(std::size_t count)>;

std::vector<ChimeStep> plan_chime(const ChimeProfile& profile, const ChimeRequest& request,
                                  const RandomIndex& random);

}  // namespace tavelo
