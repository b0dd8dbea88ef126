#pragma once

#include <filesystem>

#include "alarms/sound_players.hpp"
#include "planning/records.hpp"

namespace tavelo {

// The modes of the alarm dialog.
inline constexpr int kDefaultAlarmMode = 0;   // "alarme par défaut": the settings' default alarm
inline constexpr int kPlanningAlarmMode = 1;  // "alarme personnalisée": one planning's alarm
inline constexpr int kNightMode = 2;          // "paramètre du mode nuit"

// The alarm dialog, with the library of named alarms of "rdv". `working` is the alarm edited:
// the settings' default alarm in the default-alarm and night modes, the planning's alarm in the
// planning mode. OK keeps the alarm edited (the night mode keeps the night settings and leaves
// the alarm as it was) and saves the settings, except for a planning's alarm, which is saved with
// the planning. Cancel puts the alarm back as it was. "&test" rings through `players`.
void OpenAlarmDialog(int mode, AlarmProfile& working, Settings& settings,
                     const std::filesystem::path& program_folder, SoundPlayers& players);

// "alarme personnalisée": the planning editor's alarm of one planning, edited in place on OK and
// saved with the planning.
void PlanningAlarmDialog(Planning& planning, Settings& settings,
                         const std::filesystem::path& program_folder, SoundPlayers& players);

}  // namespace tavelo
