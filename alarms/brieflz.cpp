#include "alarms/brieflz.hpp"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "alarms/little_endian.hpp"

namespace tavelo {

namespace {

constexpr std::size_t kMinimumMatch = 4;
constexpr unsigned kHashBits = 17;

// Control bits go into 16-bit tag words. A tag's place is kept in the output when its first bit
// is written, which is exactly where the depacker will look for it.
class TagWriter {
 public:
  explicit TagWriter(std::string& out) : out_(out) {}

  void bit(unsigned b) {
    if (bits_left_ == 0) {
      tag_position_ = out_.size();
      out_.append(2, '\0');
      bits_left_ = 16;
      tag_ = 0;
    }
    tag_ = (tag_ << 1) | b;
    if (--bits_left_ == 0) store_tag();
  }

  // Bits below the leading one of `value` (at least 2), each followed by "more to come".
  void gamma(std::uint64_t value) {
    int top = 63;
    while (((value >> top) & 1u) == 0) --top;
    for (int i = top - 1; i >= 0; --i) {
      bit(static_cast<unsigned>((value >> i) & 1u));
      bit(i > 0 ? 1u : 0u);
    }
  }

  void finish() {
    if (bits_left_ > 0 && bits_left_ < 16) {
      tag_ <<= bits_left_;
      store_tag();
    }
  }

 private:
  void store_tag() {
    out_[tag_position_] = static_cast<char>(tag_ & 0xFF);
    out_[tag_position_ + 1] = static_cast<char>((tag_ >> 8) & 0xFF);
  }

  std::string& out_;
  std::size_t tag_position_ = 0;
  unsigned tag_ = 0;
  int bits_left_ = 0;
};

std::uint32_t hash4(std::string_view data, std::size_t i) {
  const std::uint32_t v = static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8 |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(data[i + 2])) << 16 |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(data[i + 3])) << 24;
  return (v * 2654435761u) >> (32 - kHashBits);
}

std::size_t match_length(std::string_view data, std::size_t earlier, std::size_t here) {
  std::size_t length = 0;
  while (here + length < data.size() && data[earlier + length] == data[here + length]) ++length;
  return length;
}

}  // namespace

std::string blz_pack(std::string_view data) {
  std::string out;
  if (data.empty()) return out;
  out.reserve(data.size() / 2 + 16);
  out += data[0];
  TagWriter tags(out);
  // Last position seen for each hash of four bytes, plus one (0 means none).
  std::vector<std::size_t> last_seen(std::size_t{1} << kHashBits, 0);
  std::size_t i = 1;
  const auto remember = [&](std::size_t position) {
    if (position + kMinimumMatch <= data.size()) last_seen[hash4(data, position)] = position + 1;
  };
  remember(0);
  while (i < data.size()) {
    std::size_t length = 0;
    std::size_t earlier = 0;
    if (i + kMinimumMatch <= data.size()) {
      const std::size_t candidate = last_seen[hash4(data, i)];
      if (candidate != 0) {
        earlier = candidate - 1;
        length = match_length(data, earlier, i);
      }
    }
    if (length >= kMinimumMatch) {
      const std::size_t offset = i - earlier - 1;
      tags.bit(1);
      tags.gamma(length - 2);
      tags.gamma((offset >> 8) + 2);
      out += static_cast<char>(offset & 0xFF);
      for (std::size_t end = i + length; i < end; ++i) remember(i);
    } else {
      tags.bit(0);
      out += data[i];
      remember(i++);
    }
  }
  tags.finish();
  return out;
}

namespace {

class TagReader {
 public:
  explicit TagReader(std::string_view in) : in_(in) {}

  bool byte(unsigned& value) {
    if (position_ >= in_.size()) return false;
    value = static_cast<unsigned char>(in_[position_++]);
    return true;
  }

  bool bit(unsigned& b) {
    if (bits_left_ == 0) {
      unsigned low = 0, high = 0;
      if (!byte(low) || !byte(high)) return false;
      tag_ = low | high << 8;
      bits_left_ = 16;
    }
    b = (tag_ >> 15) & 1u;
    tag_ = (tag_ << 1) & 0xFFFFu;
    --bits_left_;
    return true;
  }

  // Values past 2^40 cannot describe anything a block holds: the stream is damaged.
  bool gamma(std::uint64_t& value) {
    value = 1;
    unsigned more = 1;
    while (more) {
      unsigned b = 0;
      if (!bit(b) || !bit(more) || value >= (std::uint64_t{1} << 40)) return false;
      value = value << 1 | b;
    }
    return true;
  }

  void skip_first_byte() { position_ = 1; }

 private:
  std::string_view in_;
  std::size_t position_ = 0;
  unsigned tag_ = 0;
  int bits_left_ = 0;
};

}  // namespace

std::optional<std::string> blz_depack(std::string_view stream, std::size_t size) {
  // The output grows as the stream produces it: `size` comes from outside and sizes nothing.
  std::string out;
  if (size == 0) return out;
  if (stream.empty()) return std::nullopt;
  out += stream[0];
  TagReader in(stream);
  in.skip_first_byte();
  while (out.size() < size) {
    unsigned is_match = 0;
    if (!in.bit(is_match)) return std::nullopt;
    if (!is_match) {
      unsigned literal = 0;
      if (!in.byte(literal)) return std::nullopt;
      out += static_cast<char>(literal);
      continue;
    }
    std::uint64_t length = 0, high = 0;
    unsigned low = 0;
    if (!in.gamma(length) || !in.gamma(high) || !in.byte(low)) return std::nullopt;
    length += 2;
    const std::uint64_t offset = ((high - 2) << 8) + low + 1;
    if (offset > out.size() || length > size - out.size()) return std::nullopt;
    for (std::size_t from = out.size() - offset, k = 0; k < length; ++k) out += out[from + k];
  }
  return out;
}

namespace {

std::uint32_t crc_of(std::string_view data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes sizes as 32-bit values: feed it in slices.
  while (!data.empty()) {
    const auto slice = static_cast<uInt>(std::min<std::size_t>(data.size(), 1u << 30));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), slice);
    data.remove_prefix(slice);
  }
  return static_cast<std::uint32_t>(crc);
}

constexpr std::size_t kBlockHeader = 4 + 8 + 8 + 4;

}  // namespace

std::string pack_block(std::string_view data) {
  const std::string stream = blz_pack(data);
  std::string block(kPackedBlockMagic);
  put_le(block, data.size(), 8);
  put_le(block, stream.size(), 8);
  put_le(block, crc_of(data), 4);
  block += stream;
  return block;
}

std::optional<std::string> unpack_block(std::string_view block, std::uint64_t size) {
  if (block.size() < kBlockHeader || block.substr(0, 4) != kPackedBlockMagic) return std::nullopt;
  if (get_le(block, 4, 8) != size || get_le(block, 12, 8) != block.size() - kBlockHeader) {
    return std::nullopt;
  }
  auto data = blz_depack(block.substr(kBlockHeader), static_cast<std::size_t>(size));
  if (!data || crc_of(*data) != get_le(block, 20, 4)) return std::nullopt;
  return data;
}

}  // namespace tavelo
