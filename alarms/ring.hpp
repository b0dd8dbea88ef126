#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "planning/records.hpp"

namespace tavelo {

// The sound primitives and the waiting a ring cycle needs; the real-time agenda and the alarm
// dialog give the ones that play and keep their window answering.
struct AlarmPlayer {
  std::function<void(int frequency, int milliseconds, int mode, int volume)> play_tone;
  std::function<void(const std::string& file)> play_alarm_file;
  std::function<void()> stop_alarm_sounds;
  // Waits while answering window events (polled every 50 ms by the cycle).
  std::function<void(std::chrono::milliseconds)> wait;
  // The user's acknowledgement, checked before each cycle and during the pauses.
  std::function<bool()> stop_requested;
};

// Which players an alarm file goes to, by its lower-cased name; the three tests are separate.
struct AlarmFilePlayers {
  bool wave = false;
  bool mp3 = false;
  bool ogg = false;
};
AlarmFilePlayers alarm_file_players(const std::string& file);

// A ring in progress, so the real-time agenda can ring one cycle per pass.
struct RingState {
  int cycles_done = 0;
  int waves_left = 0;
  int cycles_to_skip = 0;
  bool finished = false;
};
RingState start_ring(const AlarmProfile& profile);

// Rings one cycle: stop test, sounds, pause. At the end (stopped or all repetitions done) the
// sounds are stopped and `state.finished` is set. Returns false once finished.
bool ring_cycle(const AlarmProfile& profile, int pc_pulse_output, RingState& state,
                const AlarmPlayer& player);

// Rings a whole alarm: repetitions 0 rings until the user stops it.
void RingAlarm(const AlarmProfile& profile, int pc_pulse_output, const AlarmPlayer& player);

}  // namespace tavelo
