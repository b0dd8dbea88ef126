// Writes the program's own sounds into the program folder: "3520.wav" (the tone sample),
// "stop.wav" and "beep.wav". They are made here, at build time, never taken from elsewhere.
#include <iostream>

#include "alarms/synth.hpp"
#include "platform/sound_decoders.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tavelo-make-sounds DOSSIER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const bool written = tavelo::write_wav(folder / "3520.wav", tavelo::tone_sample()) &&
                       tavelo::write_wav(folder / "stop.wav", tavelo::stop_sound()) &&
                       tavelo::write_wav(folder / "beep.wav", tavelo::start_beep());
  if (!written) std::cerr << "tavelo-make-sounds: impossible d'écrire dans " << folder << "\n";
  return written ? 0 : 1;
}
