#include "alarms/alarm_profile.hpp"

#include <algorithm>

#include "planning/record_io.hpp"
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
  print8(out, p.kind);
  printstring(out, p.sound_file);
  for (int value : {p.frequency, p.length, p.pause, p.repetitions, p.tone_cycles_between_waves,
                    p.wave_repetitions}) {
    print16(out, value);
  }
  return std::move(out.bytes);
}

int read_alarm_profile(std::string_view record, AlarmProfile& p) {
  FieldReader in(record);
  in.u8(p.kind);
  in.text(p.sound_file);
  for (int* value : {&p.frequency, &p.length, &p.pause, &p.repetitions,
                     &p.tone_cycles_between_waves, &p.wave_repetitions}) {
    in.i16(*value);
  }
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
