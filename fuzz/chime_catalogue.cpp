// The chime catalogue the maker's server answers: the names read are written to "catalog.net"
// and read back the same.
#include "alarms/chime_catalogue.hpp"

#include "fuzz/fuzz_support.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto names = parse_chime_catalogue(fuzz::bytes_of(data, size));
  if (!names || names->size() < 3) return 0;  // fewer names make too few fields to read back
  const auto again = parse_chime_catalogue(chime_catalogue_text(*names));
  fuzz::check(again && *again == *names, "a catalogue written and read back is the same");
  return 0;
}
