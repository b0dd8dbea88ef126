#pragma once

#include "alarms/sound_players.hpp"

namespace tavelo {

// Rings an alarm in the window "alarme", whose button "stop a&larme" or Escape stops it; the
// window answers the user between the sounds.
void RingInWindow(const AlarmProfile& profile, int pc_pulse_output, SoundPlayers& players);

}  // namespace tavelo
