// Alarm profiles (".alm"): what is read is written back and read the same.
#include "alarms/alarm_profile.hpp"

#include "fuzz/fuzz_support.hpp"
#include "planning/record_io.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  AlarmProfile profile;
  read_alarm_profile(fuzz::bytes_of(data, size), profile);
  const std::string written = write_alarm_profile(profile);
  AlarmProfile again;
  fuzz::check(read_alarm_profile(written, again) == kReadOk, "a written profile reads whole");
  fuzz::check(write_alarm_profile(again) == written, "a profile written and read back is the same");
  return 0;
}
