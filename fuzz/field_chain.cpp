// The field-chain codec: fields of any text at any separator set, and the binary field readers
// over any bytes. The first byte chooses how many of the next bytes are the separator set.
#include <algorithm>

#include "fuzz/fuzz_support.hpp"
#include "planning/chain.hpp"
#include "planning/record_io.hpp"

using namespace tavelo;

namespace {

void read_every_width(std::string_view bytes) {
  RecordReader in(bytes);
  for (int field = 0; !in.ended(); ++field) {
    switch (field % 7) {
      case 0:
        read8(in);
        break;
      case 1:
        read16p(in);
        break;
      case 2:
        read16(in);
        break;
      case 3:
        read32p(in);
        break;
      case 4:
        read32(in);
        break;
      case 5:
        readstring(in);
        break;
      default: {
        // A voice read is written back to the same four bytes.
        const std::size_t at = in.position;
        const std::string voice = readvoice(in);
        if (in.ended()) break;
        RecordWriter out;
        printvoice(out, voice);
        fuzz::check(out.bytes == bytes.substr(at, 4), "a voice read is written back the same");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::bytes_of(data, size);
  read_every_width(input);
  if (input.empty()) return 0;
  const std::size_t separator_length = std::min<std::size_t>(1 + data[0] % 3, input.size() - 1);
  const std::string separators(input.substr(1, separator_length));
  const std::string text(input.substr(1 + separator_length));
  if (separators.empty()) return 0;
  const int count = chaincount(text, separators);
  fuzz::check(count >= 1, "a text has at least one field");
  // Mode 1 keeps every character: the fields joined at the separator give an ASCII text back
  // when the set has one character.
  std::string joined;
  for (int n = 1; n <= std::min(count, 64); ++n) {
    chain(text, separators, n, 0);
    chain(text, separators, n, 2);
    leftchain(text, separators, n);
    rightchain(text, separators, n);
    joined += (n > 1 ? separators.substr(0, 1) : "") + chain(text, separators, n, 1);
  }
  const bool ascii = std::all_of(input.begin() + 1, input.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii && separators.size() == 1 && count <= 64) {
    fuzz::check(joined == text, "the fields of a text make the text");
  }
  return 0;
}
