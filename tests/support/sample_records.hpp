#pragma once

#include "planning/records.hpp"

namespace tavelo::testing {

// A planning that uses every conditional group of the record, with texts outside ASCII and a
// note that holds what an exchange file's lines could mistake for its own.
Planning rich_planning();

}  // namespace tavelo::testing
