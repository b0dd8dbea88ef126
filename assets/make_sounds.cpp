// Writes the program's own sounds into the program folder: "3520.wav" (the tone sample),
// "stop.wav" and "beep.wav"; and the tray icon's image, "bg.bmp". They are made here, at build
// time, never taken from elsewhere.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>

#include "alarms/synth.hpp"
#include "platform/sound_decoders.hpp"

namespace {

void put(std::string& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 32 by 32 picture, 24 bits a pixel: a white "T" on the agenda's dark blue, framed in white.
std::string tray_image() {
  constexpr int kSide = 32;
  constexpr std::uint32_t kBlue = 0x000080, kWhite = 0xFFFFFF;
  std::string bytes = "BM";
  put(bytes, 54 + kSide * kSide * 3, 4);
  put(bytes, 0, 4);
  put(bytes, 54, 4);
  for (const std::uint32_t field : {40u, 32u, 32u}) put(bytes, field, 4);
  put(bytes, 1, 2);
  put(bytes, 24, 2);
  for (int i = 0; i < 6; ++i) put(bytes, 0, 4);
  for (int row = kSide - 1; row >= 0; --row) {  // rows are stored from the bottom up
    for (int column = 0; column < kSide; ++column) {
      const bool frame = row < 2 || row >= kSide - 2 || column < 2 || column >= kSide - 2;
      const bool bar = row >= 6 && row < 10 && column >= 7 && column < 25;
      const bool stem = row >= 6 && row < 26 && column >= 14 && column < 18;
      put(bytes, frame || bar || stem ? kWhite : kBlue, 3);  // blue, green, red
    }
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tavelo-make-sounds DOSSIER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const std::string image = tray_image();
  std::ofstream picture(folder / "bg.bmp", std::ios::binary);
  picture.write(image.data(), static_cast<std::streamsize>(image.size()));
  const bool written = tavelo::write_wav(folder / "3520.wav", tavelo::tone_sample()) &&
                       tavelo::write_wav(folder / "stop.wav", tavelo::stop_sound()) &&
                       tavelo::write_wav(folder / "beep.wav", tavelo::start_beep()) &&
                       picture.good();
  if (!written) std::cerr << "tavelo-make-sounds: impossible d'écrire dans " << folder << "\n";
  return written ? 0 : 1;
}
