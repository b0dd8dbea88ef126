// Planning files ("rdv/*.gnd*", ".cat", command files): any bytes read as a planning, written
// back and read again, give the same record.
#include "planning/planning_file.hpp"

#include "fuzz/fuzz_support.hpp"
#include "planning/settings.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Settings settings = fuzz::working_settings();
  int readerror = 0;
  const Planning planning = read_planning(fuzz::bytes_of(data, size), settings, readerror);
  const std::string written = write_planning(planning);
  const Planning again = read_planning(written, settings, readerror);
  fuzz::check(readerror == kReadOk, "a written planning reads to its end");
  fuzz::check(write_planning(again) == written, "a planning written and read back is the same");
  return 0;
}
