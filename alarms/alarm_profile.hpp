#pragma once

#include <filesystem>
#include <string>

#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The factory alarm; the two counts of mixed alarms keep the values of `current`.
AlarmProfile factory_alarm(const AlarmProfile& current);
// One cycle that makes no sound: the "no sound" choice and the night alarm when none is named.
AlarmProfile silent_alarm();
// A sound file chosen as the alarm; the other fields come from the alarm being edited.
AlarmProfile imported_sound_alarm(const AlarmProfile& editing, const std::string& sound_file);

// Pauses typed beyond these bounds are kept at them.
inline constexpr int kLongestPause = 32000;
int clamp_pause(long long typed);

// An ".alm" file: always the eight fields, the two mixed-alarm counts included.
std::string write_alarm_profile(const AlarmProfile& profile);
int read_alarm_profile(std::string_view record, AlarmProfile& profile);
// The eight fields where they stand in a longer record (a backup archive).
void read_alarm_profile(FieldReader& in, AlarmProfile& profile);

bool SaveAlarmProfile(const fs::path& file, const AlarmProfile& profile);
// False when the file is missing or cut short; a cut file still gives the fields it holds.
bool LoadAlarmProfile(const fs::path& file, AlarmProfile& profile);

}  // namespace tavelo
