#include "alarms/alarm_profile.hpp"

#include <algorithm>

#include "planning/planning_layout.hpp"
#include "platform/files.hpp"

namespace tavelo {

AlarmProfile factory_alarm(const AlarmProfile& current) {
  AlarmProfile alarm;
  alarm.tone_cycles_between_waves = current.tone_cycles_between_waves;
  alarm.wave_repetitions = current.wave_repetitions;
  return alarm;
}

AlarmProfile silent_alarm() {
  AlarmProfile alarm;
  alarm.kind = 2;
  alarm.pause = 50;
  alarm.repetitions = 1;
  return alarm;
}

AlarmProfile imported_sound_alarm(const AlarmProfile& editing, const std::string& sound_file) {
  AlarmProfile alarm = editing;
  alarm.kind = 2;
  alarm.sound_file = sound_file;
  alarm.pause = 2000;
  alarm.repetitions = 10;
  return alarm;
}

int clamp_pause(long long typed) {
  return static_cast<int>(std::clamp<long long>(typed, -kLongestPause, kLongestPause));
}

std::string write_alarm_profile(const AlarmProfile& p) {
  RecordWriter out;
  write_fields(kAlarmProfileLayout, p, out, kAlarmFileWalk);
  return std::move(out.bytes);
}

void read_alarm_profile(FieldReader& in, AlarmProfile& p) {
  read_fields(kAlarmProfileLayout, in, p, kAlarmFileWalk);
}

int read_alarm_profile(std::string_view record, AlarmProfile& p) {
  FieldReader in(record);
  read_alarm_profile(in, p);
  return in.in.readerror;
}

bool SaveAlarmProfile(const fs::path& file, const AlarmProfile& profile) {
  return write_file_atomically(file, write_alarm_profile(profile));
}

bool LoadAlarmProfile(const fs::path& file, AlarmProfile& profile) {
  const auto record = read_file(file);
  return record && read_alarm_profile(*record, profile) == kReadOk;
}

}  // namespace tavelo
