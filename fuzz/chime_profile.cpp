// Chime profiles (".car"): what is read is written back and read the same, and loading one
// from a folder never leaves it to look for its sounds.
#include "alarms/chime_profile.hpp"

#include "fuzz/fuzz_support.hpp"
#include "planning/record_io.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ChimeProfile profile;
  read_chime_profile(fuzz::bytes_of(data, size), profile);
  const std::string written = write_chime_profile(profile);
  ChimeProfile again;
  fuzz::check(read_chime_profile(written, again) == kReadOk, "a written profile reads whole");
  fuzz::check(write_chime_profile(again) == written, "a profile written and read back is the same");
  return 0;
}
