#include "alarms/ring.hpp"

#include <algorithm>

#include "planning/text.hpp"

namespace tavelo {

AlarmFilePlayers alarm_file_players(const std::string& file) {
  const std::string name = lower_ascii(file);
  return {name.find(".wav") != std::string::npos, name.find(".mp3") != std::string::npos,
          name.find(".ogg") != std::string::npos};
}

RingState start_ring(const AlarmProfile& profile) {
  RingState state;
  state.waves_left = profile.wave_repetitions;
  return state;
}

namespace {

constexpr std::chrono::milliseconds kPoll{50};

// A positive pause is in milliseconds, a negative one in seconds.
std::chrono::milliseconds pause_of(const AlarmProfile& profile) {
  if (profile.pause > 0) return std::chrono::milliseconds(profile.pause);
  return std::chrono::seconds(-profile.pause);
}

// Waits the pause in short slices so that an acknowledgement ends it at once.
void pause(const AlarmProfile& profile, const AlarmPlayer& player) {
  for (auto left = pause_of(profile); left.count() > 0 && !player.stop_requested();
       left -= kPoll) {
    player.wait(std::min(left, kPoll));
  }
}

void finish(RingState& state, const AlarmPlayer& player) {
  player.stop_alarm_sounds();
  state.finished = true;
}

}  // namespace

bool ring_cycle(const AlarmProfile& profile, int pc_pulse_output, RingState& state,
                const AlarmPlayer& player) {
  if (state.finished) return false;
  if (player.stop_requested()) {
    finish(state, player);
    return false;
  }
  if (profile.kind == 3) {
    if (state.waves_left > 0 && state.cycles_to_skip == 0) {
      player.play_alarm_file(profile.sound_file);
      state.cycles_to_skip = profile.tone_cycles_between_waves;
      --state.waves_left;
    } else if (state.waves_left > 0) {
      --state.cycles_to_skip;
    }
  }
  if (profile.kind == 1 || profile.kind == 3) {
    player.play_tone(profile.frequency, profile.length, pc_pulse_output - 1, 50);
  }
  if (profile.kind == 2) player.play_alarm_file(profile.sound_file);
  pause(profile, player);
  ++state.cycles_done;
  if (profile.repetitions > 0 && state.cycles_done >= profile.repetitions) {
    finish(state, player);
    return false;
  }
  return true;
}

void RingAlarm(const AlarmProfile& profile, int pc_pulse_output, const AlarmPlayer& player) {
  RingState state = start_ring(profile);
  while (ring_cycle(profile, pc_pulse_output, state, player)) {
  }
}

}  // namespace tavelo
