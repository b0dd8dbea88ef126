#pragma once

#include "platform/pcm.hpp"

namespace tavelo {

// The tone sample "3520.wav": a steady sine whose period is 12.5 samples, so that played at
// frequency * 12.5 samples per second it sounds that frequency (3520 Hz at 44,000). It loops
// without a click: one second holds a whole number of periods.
Pcm tone_sample();
inline constexpr double kToneSampleRatePerHertz = 12.5;

// "stop.wav": a short silence that replaces whatever wave is sounding.
Pcm stop_sound();

// "beep.wav": the start chime, a short bell-like beep.
Pcm start_beep();

// The PC-speaker beep: a square wave of that pitch and length at the given rate.
Pcm speaker_beep(int frequency, int milliseconds, int rate);

}  // namespace tavelo
