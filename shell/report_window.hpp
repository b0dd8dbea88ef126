#pragma once

#include <string_view>

namespace tavelo {

// "signalement de Tavelo": the management pass's report, read-only, until OK.
void ShowManagementReport(std::string_view report);

}  // namespace tavelo
