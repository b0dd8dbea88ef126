// The update index the maker's server answers: read whole or refused, and never a row that the
// text does not hold.
#include <algorithm>

#include "fuzz/fuzz_support.hpp"
#include "maintenance/update_check.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::bytes_of(data, size);
  const auto index = parse_update_index(text);
  if (!index) return 0;
  const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  fuzz::check(3 + 3 * index->rows.size() <= lines, "every row of the index is in the text");
  return 0;
}
