// The BriefLZ unpacker of chime archives: any stream unpacks to at most the size it is asked
// for, and any data packed comes back whole.
#include "alarms/brieflz.hpp"

#include "alarms/little_endian.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::bytes_of(data, size);
  if (input.size() >= 3) {
    // The first three bytes give the size the stream claims to hold.
    const std::size_t claimed = static_cast<std::size_t>(get_le(input, 0, 3));
    const auto unpacked = blz_depack(input.substr(3), claimed);
    fuzz::check(!unpacked || unpacked->size() == claimed, "a stream gives the size it holds");
    unpack_block(input.substr(3), claimed);
  }
  const auto back = unpack_block(pack_block(input), input.size());
  fuzz::check(back && *back == input, "packed data unpacks to itself");
  return 0;
}
