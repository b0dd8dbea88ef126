// The settings file "agenda.bin": any bytes read over the defaults, written back and read
// again, give the same settings; the start-up's date check holds whatever the file says.
#include "fuzz/fuzz_support.hpp"
#include "planning/calendar.hpp"
#include "planning/settings.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr int kToday = 45000;
  Settings settings = default_settings(kToday, false);
  read_settings(fuzz::bytes_of(data, size), settings);
  apply_zero_value_defaults(settings);
  fuzz::check(is_calendar_day(settings.last_active_day), "the last active day is a day");
  const DateCheck date = check_settings_date(settings, kToday);
  fuzz::check(date.days_absent >= 0, "an absence is counted forwards");
  date_check_question(date);

  const std::string written = write_settings(settings, settings.last_active_day);
  Settings again = default_settings(kToday, false);
  fuzz::check(read_settings(written, again) == kReadOk, "written settings read to their end");
  fuzz::check(write_settings(again, again.last_active_day) == written,
              "settings written and read back are the same");
  return 0;
}
