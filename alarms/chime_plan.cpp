#include "alarms/chime_plan.hpp"

namespace tavelo {

namespace {

struct Plan {
  std::vector<ChimeStep> steps;

  void stop() { steps.push_back({ChimeStep::Kind::kStopPlayers, {}, 0}); }
  void wait(int ms) { steps.push_back({ChimeStep::Kind::kWait, {}, ms}); }
  // Plays an entry and waits its duration; `then_stop` also silences it afterwards.
  void play(const ChimeEntry& entry, bool then_stop) {
    steps.push_back({ChimeStep::Kind::kPlay, entry, 0});
    if (entry.duration <= 0) return;
    wait(entry.duration);
    if (then_stop) stop();
  }
};

bool inside_window(const ChimeProfile& p, int time) {
  if (p.start + p.end == 0) return true;
  if (p.start <= p.end) return time >= p.start && time <= p.end;
  return time >= p.start || time <= p.end;  // the window runs past midnight
}

bool quarter_due(int cycle, int minute) {
  return (cycle == 1 && minute == 0) || (cycle == 2 && (minute == 0 || minute == 30)) ||
         cycle == 3;
}

// The hour struck k - 1 at a time: midnight counts as 24, so with 12 it strikes 12 times.
int strikes_for(int hour, int strike_mode) {
  const int modulus = strike_mode - 1;
  const int hours = hour == 0 ? 24 : hour;
  return (hours - 1) % modulus + 1;
}

bool preview(Plan& plan, const std::vector<ChimeEntry>& entries, std::optional<int> index) {
  if (!index) return false;
  if (*index >= 0 && static_cast<std::size_t>(*index) < entries.size()) {
    plan.play(entries[static_cast<std::size_t>(*index)], true);
  }
  return true;
}

void play_quarter(Plan& plan, const ChimeProfile& p, const ChimeRequest& r, int minute,
                  const RandomIndex& random) {
  const std::size_t count = p.quarters.size();
  const std::size_t index = minute == 0 ? 3 : static_cast<std::size_t>(minute / 15 - 1);
  if ((index == 3 && p.hour_with_fourth_quarter) || count == 0) return;
  if (!quarter_due(p.quarter_cycle, minute) && !r.forced) return;
  plan.play(p.quarters[p.quarter_random ? random(count) : index % count], false);
}

void play_hour(Plan& plan, const ChimeProfile& p, int hour, const RandomIndex& random) {
  const std::size_t count = p.hours.size();
  if (count == 0 || p.hour_strike_mode == 0) return;
  std::size_t index = static_cast<std::size_t>(hour) % count;
  if (p.hour_random_mode == 1) index = random(count);
  if (p.hour_strike_mode == 1) {
    plan.play(p.hours[index], true);
    return;
  }
  for (int strike = strikes_for(hour, p.hour_strike_mode); strike > 0; --strike) {
    if (p.hour_random_mode == 2) index = random(count);
    plan.play(p.hours[index], false);
  }
}

}  // namespace

std::vector<ChimeStep> plan_chime(const ChimeProfile& p, const ChimeRequest& r,
                                  const RandomIndex& random) {
  Plan plan;
  plan.stop();
  if (preview(plan, p.hours, r.preview_hour) || preview(plan, p.quarters, r.preview_quarter)) {
    return plan.steps;
  }
  const int hour = r.time / 100;
  const int minute = (r.time - hour * 100) / 15 * 15;
  if (!r.forced && !inside_window(p, r.time)) return plan.steps;
  play_quarter(plan, p, r, minute, random);
  if (minute == 0) play_hour(plan, p, hour, random);
  return plan.steps;
}

}  // namespace tavelo
