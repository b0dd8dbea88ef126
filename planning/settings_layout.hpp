#pragma once

#include "planning/planning_layout.hpp"

namespace tavelo {

// The settings file agenda.bin. Backup archives keep its fields 1 to 24 and 25 to 57 apart, and
// those of older versions lack the groups that came later.
enum SettingsGroup {
  kSettingsAlways,
  kSettingsOlderOrder,  // before 1.17e the restart delay followed the desktop icon option
  kSettingsSince117e,   // the screen-reader wait, and the restart delay after the backups kept
  kSettingsForewarning,
  kSettingsNightMode,
  kSettingsNotifications,
  kSettingsSharingRows,
  // Each of the following is read only while the record goes on.
  kSettingsIdentity,
  kSettingsFtpColumns,
  kSettingsMailApproved,
  kSettingsPortColumns,
  kSettingsFtpActiveColumn,
  kSettingsInactivity,
  kSettingsChimes,
};

// What the settings hold for a group that an older record lacks.
void no_forewarning(Settings& settings);
void no_night_mode(Settings& settings);
void factory_notifications(Settings& settings);
void no_sharing_rows(Settings& settings);

inline constexpr Group<Settings> kSettingsGroups[] = {
    {},
    {.until = "version: 1.17e"},
    {.since = "version: 1.17e"},
    {.since = "version: 1.19", .absent = no_forewarning},
    {.since = "version: 2.1", .absent = no_night_mode},
    {.since = "version: 4.0", .absent = factory_notifications},
    {.since = "version: 5.0", .absent = no_sharing_rows},
    {.optional = true},
    {.optional = true},
    {.optional = true},
    {.optional = true},
    {.optional = true},
    {.optional = true},
    {.optional = true},
};

// Fields 1 to 24.
inline constexpr auto kSettingsFirstRows = std::tuple{
    Field{"management_hour", Number::kU8, &Settings::management_hour},
    Field{"management_minute", Number::kU8, &Settings::management_minute},
    Field{"daily_repeated_warning", Number::kU8, &Settings::daily_repeated_warning},
    Field{"journal_folder", Text::kLine, &Settings::journal_folder},
    Field{"last_active_day", Number::kI32, &Settings::last_active_day},
    Field{"background_mode", Number::kU8, &Settings::background_mode},
    Field{"realtime_running", Number::kU8, &Settings::realtime_running},
    Block{"default_alarm", &Settings::default_alarm, kAlarmRows},
    Field{"desktop_icon_option", Number::kU8, &Settings::desktop_icon_option},
    Field{"screen_reader_wait", Number::kU8, &Settings::screen_reader_wait, kSettingsSince117e},
    Field{"restart_delay", Number::kU8, &Settings::restart_delay, kSettingsOlderOrder},
    Field{"sound_control", Number::kU8, &Settings::sound_control},
    Field{"update_check", Number::kU8, &Settings::update_check},
    Field{"automatic_backup", Number::kU8, &Settings::automatic_backup},
    Field{"backups_kept", Number::kI16, &Settings::backups_kept},
    Field{"restart_delay", Number::kU8, &Settings::restart_delay, kSettingsSince117e},
    Field{"forewarning_hour", Number::kU8, &Settings::forewarning_hour, kSettingsForewarning},
    Field{"forewarning_minute", Number::kU8, &Settings::forewarning_minute, kSettingsForewarning},
    Field{"forewarning_mode", Number::kU8, &Settings::forewarning_mode, kSettingsForewarning},
};

// Fields 25 to 57.
inline constexpr auto kSettingsSecondRows = std::tuple{
    Field{"forewarning_given_today", Number::kU8, &Settings::forewarning_given_today},
    Reserved{Number::kU8},
    Field{"night_mode", Number::kU8, &Settings::night_mode, kSettingsNightMode},
    Field{"night_mode_active", Number::kU8, &Settings::night_mode_active, kSettingsNightMode},
    Field{"night_alarm", Text::kLine, &Settings::night_alarm, kSettingsNightMode},
    Field{"multiselect_sound_list", Number::kU8, &Settings::multiselect_sound_list,
          kSettingsNightMode},
    Field{"pc_pulse_output", Number::kU8, &Settings::pc_pulse_output, kSettingsNotifications},
    Block{"default_spoken", &Settings::default_spoken, kSpokenRows, kSettingsNotifications},
    Block{"default_mail", &Settings::default_mail, kMailRows, kSettingsNotifications},
    SharingTable{"sharing_table", &Settings::sharing_table, kSettingsSharingRows},
    Field{"own_identifier", Text::kLine, &Settings::own_identifier, kSettingsIdentity},
    Field{"import_allowed", Number::kU8, &Settings::import_allowed, kSettingsIdentity},
    Field{"export_allowed", Number::kU8, &Settings::export_allowed, kSettingsIdentity},
    SharingColumns{&Settings::sharing_table, 2, 5, kSettingsFtpColumns},
    Field{"mail_approved", Number::kU8, &Settings::mail_approved, kSettingsMailApproved},
    SharingColumns{&Settings::sharing_table, 6, 7, kSettingsPortColumns},
    SharingColumns{&Settings::sharing_table, 8, 8, kSettingsFtpActiveColumn},
    Field{"inactivity_days", Number::kI16, &Settings::inactivity_days, kSettingsInactivity},
    Field{"chimes_active", Number::kU8, &Settings::chimes_active, kSettingsChimes},
    Field{"chime_profile", Text::kLine, &Settings::chime_profile, kSettingsChimes},
};

inline constexpr Layout<Settings, decltype(kSettingsFirstRows)> kSettingsFirstBlock{
    kSettingsFirstRows, kSettingsGroups};
inline constexpr Layout<Settings, decltype(kSettingsSecondRows)> kSettingsSecondBlock{
    kSettingsSecondRows, kSettingsGroups};

// The whole of agenda.bin, as tavelo-inspect shows it.
inline constexpr auto kSettingsRows = std::tuple_cat(kSettingsFirstRows, kSettingsSecondRows);
inline constexpr Layout<Settings, decltype(kSettingsRows)> kSettingsLayout{kSettingsRows,
                                                                           kSettingsGroups};

}  // namespace tavelo
