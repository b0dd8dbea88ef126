#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The alarm the real-time agenda rings: the default alarm, for the daily forewarning or for the
// plannings found already past, or the alarm of a due planning.
struct DueAlarm {
  enum class Kind { kNone, kForewarning, kLateSignalling, kPlanning };
  Kind kind = Kind::kNone;
  std::string file;   // the planning's file in "rdv"
  Planning planning;  // the due planning: subject, note, notification, mail, URL task
  AlarmProfile profile;
  bool night = false;  // the night alarm rings instead of the planning's own
};

// Night applies when it is on, its start and end differ and the time lies between them, the
// night running past midnight when it starts later than it ends.
bool night_applies(const Settings& settings, const LocalTime& now);

// The alarm of a due planning, which rings its own alarm profile unless it falls due at night.
DueAlarm planning_alarm(std::string file, Planning planning);

// The night rule, applied when a planning's alarm starts to ring: at night it rings the named
// night alarm ("rdv/NAME.alm"), or the silent alarm when none is named or it cannot be read.
void apply_night_rule(DueAlarm& alarm, const fs::path& program_folder, const Settings& settings,
                      const LocalTime& now);

// The default alarm of the settings, for the forewarning or the late signalling.
DueAlarm default_alarm(DueAlarm::Kind kind, const Settings& settings);

// What the journal keeps of an alarm: the lines after its header. `key` is the key name that
// acknowledged it (or, not received, the one that answered the forewarning); `late_plannings`
// the "\r\n  9:5, Dentiste" text of the late signalling; `forewarning_time` the
// "  initialement prévu à 08:00" text of the forewarning.
struct AlarmOutcome {
  bool received = false;
  std::string key;
  std::string late_plannings;
  std::string forewarning_time;
};
std::vector<std::string> alarm_journal_lines(const DueAlarm& alarm, const AlarmOutcome& outcome);

// "  initialement prévu à 08:00".
std::string forewarning_time_text(int hour, int minute);

// What a due planning says aloud: its notification text, then its subject.
std::string spoken_notification(const Planning& planning);

// The planning carries a mail notification that its test approved.
bool has_mail_notification(const Planning& planning);
bool has_url_task(const Planning& planning);

}  // namespace tavelo
