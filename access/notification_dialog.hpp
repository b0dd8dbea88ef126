#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "planning/records.hpp"

namespace tavelo {

// "notification verbale": the spoken notification of the whole agenda. OK stores it in the
// settings and saves them in the program folder; Cancel leaves everything as it was.
void NotificationDialog(Settings& settings, const std::filesystem::path& program_folder);

// "notification verbale personalisée, " and the subject: the planning editor's spoken
// notification of one planning, edited in place on OK; "réglage initial" shows the agenda's.
// Nothing is saved here: the planning is saved with the planning.
void PlanningNotificationDialog(Planning& planning, const Settings& settings);

// "configuration sapi": a voice of speech-dispatcher and its volume, speed and pitch, each heard
// as it is chosen. Gives the edited profile on OK, and `profile` on Cancel or when
// speech-dispatcher does not answer or has no voice (the user is told).
std::string SapiConfigDialog(std::string_view profile, std::string_view heading);

}  // namespace tavelo
