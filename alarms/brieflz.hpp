#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

// BriefLZ streams: one literal byte, then 16-bit little-endian tag words whose bits (most
// significant first) choose between a literal byte and a match (length and offset as gamma
// codes, the offset's low 8 bits as a plain byte).
std::string blz_pack(std::string_view data);
// Nothing when the stream is damaged: it ends early, points before its start, or runs past
// `size`, the known size of what it holds.
std::optional<std::string> blz_depack(std::string_view stream, std::size_t size);

// A packed block as the chime archives store it: the bytes 0x31 0x7A 0x6C 0x62, the original
// size (u64), the stream size (u64), the original data's CRC-32 (u32), then the stream.
inline constexpr std::string_view kPackedBlockMagic = "1zlb";
std::string pack_block(std::string_view data);
// Nothing when the block is not one, is damaged, or its data fails the CRC.
std::optional<std::string> unpack_block(std::string_view block, std::uint64_t size);

}  // namespace tavelo
