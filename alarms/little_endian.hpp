#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavelo {

// Unsigned little-endian integers of 1 to 8 bytes, for the archive layouts.
inline void put_le(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The caller has checked that `bytes` bytes lie at `at`.
inline std::uint64_t get_le(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

}  // namespace tavelo
