// Writes the program's own sounds into the program folder: "3520.wav" (the tone sample),
// "stop.wav" and "beep.wav". They are made here, at build time, never taken from elsewhere.
#include <iostream>
#include <string>
#include <vector>

#include "alarms/synth.hpp"
#include "platform/files.hpp"
#include "platform/program_folder.hpp"
#include "platform/sound_decoders.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = tavelo::program_arguments(argc, argv);
  if (arguments.size() != 1) {
    std::cerr << "usage: tavelo-make-sounds DOSSIER\n";
    return 2;
  }
  const std::filesystem::path folder = tavelo::path_of(arguments[0]);
  const bool written = tavelo::write_wav(folder / "3520.wav", tavelo::tone_sample()) &&
                       tavelo::write_wav(folder / "stop.wav", tavelo::stop_sound()) &&
                       tavelo::write_wav(folder / "beep.wav", tavelo::start_beep());
  if (!written) std::cerr << "tavelo-make-sounds: impossible d'écrire dans " << folder << "\n";
  return written ? 0 : 1;
}
