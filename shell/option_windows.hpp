#pragma once

#include "shell/startup.hpp"

namespace tavelo {

// The option a three-choice window checks as it opens: the setting when it names one, else the
// setting's default.
int option_to_check(int setting, int fallback);

// "option de l'icône du bureau": what the desktop icon does while the agenda runs in the
// background. OK stores the checked choice and saves the settings.
void DesktopIconOption(AgendaRun& run, int today);

// "sortie des alarmes p.c.": where the pulses of the alarms sound. OK stores the checked choice
// and saves the settings.
void AlarmOutputOption(AgendaRun& run, int today);

}  // namespace tavelo
