#pragma once

#include "alarms/sound_players.hpp"

namespace tavelo {

// "heure sonore": the time shown and ticked each second, the coming minute announced and
// marked by a long tone; "annuler" closes it.
void SpeakingClock(SoundPlayers& players);

}  // namespace tavelo
