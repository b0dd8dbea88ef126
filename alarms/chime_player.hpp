#pragma once

#include <stop_token>
#include <thread>

#include "alarms/chime_plan.hpp"
#include "alarms/sound_players.hpp"

namespace tavelo {

// Carries out a chime plan on the chime's own players: MP3 files through the media players
// beside what plays, wave and OGG files through the sound slots. Waits end early when asked.
void play_chime_plan(SoundPlayers& players, const std::vector<ChimeStep>& plan,
                     std::stop_token stop = {});

// The chime worker: one chime at a time, on its own thread. Starting one ends the previous one
// first; the plan is made before the thread starts, so the thread reads nothing that changes.
// The thread is work on the players' clock (ClockWork): a simulated clock lets it play each
// sound at its moment. Whoever starts it touches the players again only once it has ended.
struct ChimeThread {
  std::jthread worker;
};
void PlayChime(ChimeThread& thread, SoundPlayers& players, const ChimeProfile& profile,
               const ChimeRequest& request, const RandomIndex& random);
void stop_chime(ChimeThread& thread);

}  // namespace tavelo
