#include "alarms/brieflz.hpp"

#include <gtest/gtest.h>

#include <random>

namespace tavelo {
namespace {

std::string random_bytes(std::size_t n, unsigned seed) {
  std::mt19937 generator(seed);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(generator());
  return out;
}

std::string repetitive(std::size_t n) {
  std::string out;
  while (out.size() < n) out += "tic tac, tic tac, dong! ";
  out.resize(n);
  return out;
}

// A sine wave of 16-bit samples, like the sounds the archives carry.
std::string wave_like(std::size_t n) {
  std::string out;
  for (std::size_t i = 0; out.size() < n; ++i) {
    const auto sample = static_cast<std::int16_t>(8000.0 * std::sin(static_cast<double>(i) * 0.05));
    out += static_cast<char>(sample & 0xFF);
    out += static_cast<char>((sample >> 8) & 0xFF);
  }
  out.resize(n);
  return out;
}

TEST(BriefLz, TheStreamFollowsTheTagWordFormat) {
  // 'a', a tag (literal, then a match of 6 at offset 2), the literal 'b', the offset's low byte.
  const std::string stream("a\x00\x50" "b\x01", 5);
  EXPECT_EQ(blz_depack(stream, 8), "abababab");
  EXPECT_EQ(blz_depack(blz_pack("abababab"), 8), "abababab");
}

TEST(BriefLz, EverythingPackedUnpacksToItself) {
  for (const std::string& data :
       {std::string(), std::string("x"), std::string(100000, '\0'), random_bytes(70000, 1),
        repetitive(300000), wave_like(200000), random_bytes(5, 2) + repetitive(5000)}) {
    const std::string stream = blz_pack(data);
    EXPECT_EQ(blz_depack(stream, data.size()), data) << data.size();
    EXPECT_EQ(unpack_block(pack_block(data), data.size()), data) << data.size();
  }
  EXPECT_LT(blz_pack(repetitive(300000)).size(), 30000u);
}

TEST(BriefLz, DamagedStreamsAreRefusedNeverOverrun) {
  const std::string data = repetitive(4000) + random_bytes(3000, 3) + wave_like(4000);
  const std::string block = pack_block(data);
  for (std::size_t cut = 0; cut < block.size(); ++cut) {
    ASSERT_FALSE(unpack_block(block.substr(0, cut), data.size())) << cut;
  }
  std::mt19937 generator(4);
  for (int i = 0; i < 2000; ++i) {
    std::string damaged = block;
    const std::size_t at = 24 + generator() % (block.size() - 24);
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (generator() % 8)));
    ASSERT_FALSE(unpack_block(damaged, data.size())) << at;
  }
  EXPECT_FALSE(unpack_block(block, data.size() + 1));  // the size must be the one packed
  // A stream that asks for more than the known size, or reaches before its start.
  EXPECT_FALSE(blz_depack(std::string("a\x00\x50" "b\x01", 5), 7));
  EXPECT_FALSE(blz_depack(std::string("a\x00\x40\x05", 4), 8));
  EXPECT_FALSE(blz_depack(std::string(64, '\xFF'), 1u << 20));
}

}  // namespace
}  // namespace tavelo
