#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "planning/records.hpp"

namespace tavelo {

// The line that shows a planning in every list of plannings: "Lundi, le 3 Mars 2025 à 09:30;
// subject", then ", (3 de 5)" for a reproduced occurrence or ", (4 fois)" for a counted series.
// The date and time come from the file name; nothing for a name that does not carry them.
std::optional<std::string> planning_list_line(std::string_view file_name, const Planning& planning);

// "(3 de 5)" for a reproduced occurrence, "(4 fois)" for a counted series, nothing otherwise.
std::string series_count(const Planning& planning);
// The same after ", ", as the lists of plannings show it.
std::string series_suffix(const Planning& planning);

}  // namespace tavelo
