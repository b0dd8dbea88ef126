#pragma once

#include "alarms/chime_profile.hpp"
#include "planning/record_layout.hpp"

namespace tavelo {

// A chime profile (".car"): its hours and times, then the hour sounds and the quarter sounds.
inline constexpr auto kChimeEntryRows = std::tuple{
    Field{"file", Text::kLine, &ChimeEntry::file},
    Field{"volume", Number::kU8, &ChimeEntry::volume},
    Field{"balance", Number::kI16, &ChimeEntry::balance},
    Field{"duration", Number::kI16, &ChimeEntry::duration},
};

inline constexpr auto kChimeProfileRows = std::tuple{
    Field{"start", Number::kI16, &ChimeProfile::start},
    Field{"end", Number::kI16, &ChimeProfile::end},
    Field{"hour_strike_mode", Number::kU8, &ChimeProfile::hour_strike_mode},
    Field{"quarter_cycle", Number::kU8, &ChimeProfile::quarter_cycle},
    Field{"hour_random_mode", Number::kU8, &ChimeProfile::hour_random_mode},
    Field{"quarter_random", Number::kU8, &ChimeProfile::quarter_random},
    Field{"hour_with_fourth_quarter", Number::kU8, &ChimeProfile::hour_with_fourth_quarter},
    List{"hours", &ChimeProfile::hours, kChimeEntryRows},
    List{"quarters", &ChimeProfile::quarters, kChimeEntryRows},
};

inline constexpr Layout<ChimeProfile, decltype(kChimeProfileRows)> kChimeProfileLayout{
    kChimeProfileRows};

}  // namespace tavelo
