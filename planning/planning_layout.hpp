#pragma once

#include "planning/record_layout.hpp"

namespace tavelo {

// ---- blocks that several records share ----

// The two counts of a mixed alarm are stored for kind 3, or always where the walk says so.
bool mixed_alarm(const AlarmProfile& alarm, const Walk& walk);

inline constexpr auto kAlarmRows = std::tuple{
    Field{"kind", Number::kU8, &AlarmProfile::kind},
    Field{"sound_file", Text::kLine, &AlarmProfile::sound_file},
    Field{"frequency", Number::kI16, &AlarmProfile::frequency},
    Field{"length", Number::kI16, &AlarmProfile::length},
    Field{"pause", Number::kI16, &AlarmProfile::pause},
    Field{"repetitions", Number::kI16, &AlarmProfile::repetitions},
    Field{"tone_cycles_between_waves", Number::kI16, &AlarmProfile::tone_cycles_between_waves, 0,
          mixed_alarm},
    Field{"wave_repetitions", Number::kI16, &AlarmProfile::wave_repetitions, 0, mixed_alarm},
};

// An ".alm" file: the alarm alone, its two mixed-alarm counts always stored.
inline constexpr Layout<AlarmProfile, decltype(kAlarmRows)> kAlarmProfileLayout{kAlarmRows};
inline constexpr Walk kAlarmFileWalk{{}, true};

inline constexpr auto kSpokenRows = std::tuple{
    Field{"mode", Number::kU8, &SpokenNotification::mode},
    Field{"voice", Text::kVoice, &SpokenNotification::voice},
    Field{"text", Text::kLine, &SpokenNotification::text},
    Field{"repetitions", Number::kU8, &SpokenNotification::repetitions},
    Field{"interval", Number::kU8, &SpokenNotification::interval},
};

inline constexpr auto kMailRows = std::tuple{
    Field{"server", Text::kLine, &MailSettings::server},
    Field{"user", Text::kLine, &MailSettings::user},
    Field{"password", Text::kLine, &MailSettings::password},
    Field{"port", Number::kI16, &MailSettings::port},
    Field{"recipients", Text::kLine, &MailSettings::recipients},
    Field{"reply_address", Text::kLine, &MailSettings::reply_address},
    Field{"subject", Text::kLine, &MailSettings::subject},
    Field{"presence", Number::kU8, &MailSettings::presence},
    Field{"secure", Number::kU8, &MailSettings::secure},
};

// ---- the planning record: planning files, category templates, command files ----

// The task block ends group B; the task's state and postponement option open group C.
inline constexpr auto kTaskRows = std::tuple{
    Field{"active", Number::kU8, &TaskSettings::active},
    Field{"program", Text::kLine, &TaskSettings::program},
    Field{"command_line", Text::kLine, &TaskSettings::command_line},
    Field{"idle_start", Number::kU8, &TaskSettings::idle_start},
    Field{"idle_minutes", Number::kI16, &TaskSettings::idle_minutes},
    Field{"confirmation", Number::kU8, &TaskSettings::confirmation},
    Field{"postponements", Number::kU8, &TaskSettings::postponements},
    Field{"postponement_interval", Number::kI16, &TaskSettings::postponement_interval},
    Field{"restart_allowed", Number::kU8, &TaskSettings::restart_allowed},
    Field{"restart_limit", Number::kI16, &TaskSettings::restart_limit},
    Field{"once", Number::kU8, &TaskSettings::once},
};
inline constexpr auto kTaskStateRows = std::tuple{
    Field{"state", Number::kU8, &TaskSettings::state},
    Field{"postponement_option", Number::kU8, &TaskSettings::postponement_option},
};

// Groups A to E, split where a later version added fields.
enum PlanningGroup {
  kGroupA,
  kGroupB,
  kGroupC,
  kGroupMonthAnchor,
  kGroupSeriesLink,
  kGroupD,
  kGroupE,
  kGroupMailApproved,
};

// What a planning cut short holds for a group.
void alarm_of_settings(Planning& planning, const Settings& settings);
void task_inactive(Planning& planning, const Settings& settings);
void notifications_of_settings(Planning& planning, const Settings& settings);
void not_shared(Planning& planning, const Settings& settings);

// Group C has no defaults of its own: a record that ends there keeps what it read.
inline constexpr Group<Planning> kPlanningGroups[] = {
    {.cut = alarm_of_settings},
    {.cut = task_inactive},
    {},
    {.since = "version: 1.17e"},
    {.since = "version: 1.18"},
    {.since = "version: 4.0", .cut = notifications_of_settings},
    {.since = "version: 5.0", .cut = not_shared},
    // A planning file may end before this last field and still be whole.
    {.since = "version: 5.01", .optional = true, .cut = not_shared},
};

bool weekly(const Planning& planning, const Walk& walk);
bool in_series(const Planning& planning, const Walk& walk);

inline constexpr auto kPlanningRows = std::tuple{
    Field{"subject", Text::kLine, &Planning::subject, kGroupA},
    Field{"type", Number::kRecurrenceType, &Planning::type, kGroupA},
    Field{"weekday_ticks", Number::kU8, &Planning::weekday_ticks, kGroupA, weekly},
    Field{"journal", Number::kU8, &Planning::journal, kGroupA},
    Field{"forewarning_days", Number::kU8, &Planning::forewarning_days, kGroupA},
    Note{"note_kind", &Planning::note_kind, "note", &Planning::note, kGroupA},
    Field{"alarm_state", Number::kU8, &Planning::alarm_state, kGroupA},
    Block{"alarm", &Planning::alarm, kAlarmRows, kGroupA},
    Block{"task", &Planning::task, kTaskRows, kGroupB},
    Block{"task", &Planning::task, kTaskStateRows, kGroupC},
    Field{"category", Text::kLine, &Planning::category, kGroupC},
    Field{"number_of_times", Number::kI16, &Planning::number_of_times, kGroupC},
    Field{"month_anchor", Number::kU8, &Planning::month_anchor, kGroupMonthAnchor},
    Field{"series_link", Text::kLine, &Planning::series_link, kGroupSeriesLink},
    Field{"occurrence_number", Number::kI16, &Planning::occurrence_number, kGroupSeriesLink,
          in_series},
    Block{"spoken", &Planning::spoken, kSpokenRows, kGroupD},
    Field{"url_task_link", Text::kLine, &Planning::url_task_link, kGroupD},
    Field{"url_task_active", Number::kU8, &Planning::url_task_active, kGroupD},
    Block{"mail", &Planning::mail, kMailRows, kGroupD},
    Field{"sharing_identifiers", Text::kLine, &Planning::sharing_identifiers, kGroupE},
    Field{"unique_identifier", Text::kLine, &Planning::unique_identifier, kGroupE},
    Field{"mail_approved", Number::kU8, &Planning::mail_approved, kGroupMailApproved},
};

inline constexpr Layout<Planning, decltype(kPlanningRows)> kPlanningLayout{kPlanningRows,
                                                                           kPlanningGroups};

// What a planning holds once read: its subject trimmed, and no note kind for a blank note.
void tidy_read_planning(Planning& planning);

// Reads a planning record over `planning`, which holds the defaults (planning_defaults): the
// groups from the one the record ends in take the defaults of a record cut short.
template <typename Source>
void read_planning_fields(Source& in, Planning& planning, const Settings& settings,
                          const Walk& walk) {
  if (const auto ended_in = read_fields(kPlanningLayout, in, planning, walk)) {
    give_cut_defaults(kPlanningLayout, *ended_in, planning, settings);
  }
  tidy_read_planning(planning);
}

}  // namespace tavelo
