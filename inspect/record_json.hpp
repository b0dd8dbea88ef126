#pragma once

#include <nlohmann/json.hpp>

#include "alarms/chime_profile.hpp"
#include "planning/records.hpp"

namespace tavelo {

nlohmann::ordered_json to_json(const AlarmProfile& alarm);
nlohmann::ordered_json to_json(const Planning& planning);
nlohmann::ordered_json to_json(const Settings& settings);
nlohmann::ordered_json to_json(const ChimeProfile& profile);

}  // namespace tavelo
