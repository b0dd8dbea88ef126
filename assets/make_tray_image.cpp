// Writes the image of the agenda's tray icons, "bg.bmp", into the program folder: a page of a
// calendar, its red header over a grid of days, drawn here at build time.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr int kSize = 32;

struct Colour {
  std::uint8_t red, green, blue;
};

constexpr Colour kPaper{250, 250, 245};
constexpr Colour kHeader{190, 30, 40};
constexpr Colour kInk{40, 40, 60};

Colour pixel(int x, int y) {  // y from the top
  const bool border = x <= 1 || x >= kSize - 2 || y <= 1 || y >= kSize - 2;
  if (border) return kInk;
  if (y < 10) return kHeader;
  // Four weeks of seven days: a dark square per day.
  const int column = (x - 3) % 4;
  const int row = (y - 12) % 5;
  const bool day =
      x >= 3 && x < 3 + 7 * 4 - 1 && y >= 12 && y < 12 + 4 * 5 && column < 3 && row < 3;
  return day ? kInk : kPaper;
}

void put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// A 24-bit uncompressed BMP; rows are 32 × 3 bytes, already a multiple of 4, bottom row first.
std::string tray_image() {
  constexpr std::uint32_t kPixels = kSize * kSize * 3;
  std::string out = "BM";
  put32(out, 54 + kPixels);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, kSize);
  put32(out, kSize);
  put16(out, 1);
  put16(out, 24);
  put32(out, 0);
  put32(out, kPixels);
  put32(out, 2835);  // 72 dots per inch
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; ++x) {
      const Colour c = pixel(x, y);
      out += static_cast<char>(c.blue);
      out += static_cast<char>(c.green);
      out += static_cast<char>(c.red);
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tavelo-make-image DOSSIER\n";
    return 2;
  }
  const std::string file = std::string(argv[1]) + "/bg.bmp";
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const std::string bytes = tray_image();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "tavelo-make-image: impossible d'écrire " << file << "\n";
  return out ? 0 : 1;
}
