// The category filter "cat.bin": what is read is written back the same.
#include "fuzz/fuzz_support.hpp"
#include "planning/categories.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto filter = read_filter_record(fuzz::bytes_of(data, size));
  if (!filter) return 0;
  const std::string written = write_filter(*filter);
  const auto again = read_filter_record(written);
  fuzz::check(again && *again == *filter, "a filter written and read back is the same");
  return 0;
}
