#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// An alarm profile as the alarm dialog shows it: the kind chosen and the texts of its fields.
struct AlarmForm {
  int kind = 1;
  std::string sound_file;
  std::string frequency;
  std::string length;
  std::string pause;
  std::string repetitions;
  std::string tone_cycles_between_waves;
  std::string wave_repetitions;
};

AlarmForm alarm_form(const AlarmProfile& profile);
// The typed numbers (non-numeric text reads as 0) within what the alarm can hold: the pause from
// -32000 to 32000, every other number from 0 to 32000.
AlarmProfile alarm_of_form(const AlarmForm& form);

// The test button rings at least one cycle.
AlarmProfile alarm_to_test(const AlarmProfile& profile);
// The sound file the alarm would play cannot be decoded: the test tells the user instead of
// ringing. Nothing for an alarm that plays no file or whose file decodes.
std::optional<std::string> unplayable_sound_message(const fs::path& program_folder,
                                                    const AlarmProfile& profile);

// Named alarms: "rdv/<name>.alm" in the program folder.
inline constexpr const char* kCurrentAlarmItem = "[alarme actuelle]";
inline constexpr const char* kNoAlarmItem = "[aucune alarme]";
inline constexpr const char* kNameMustChange =
    "Attention...\rLa chaîne de texte de la liste d'alarme doit être modifiée.";
inline constexpr const char* kAlarmSaved = "Tavelo\rL'alarme a été enregistrée.";
inline constexpr const char* kAlarmDeleted = "Tavelo\rL'alarme a été supprimée.";
inline constexpr const char* kAlarmsImported = "Tavelo\rLes alarmes ont été ajoutées à la liste.";

// The file of a named alarm; nothing for a name that would not name a file of "rdv" (empty, or
// with a folder separator or a drive letter).
std::optional<fs::path> named_alarm_file(const fs::path& program_folder, std::string_view name);

// The names of the alarms of "rdv", in name order. An alarm whose sound file has gone is left
// out; its file stays.
std::vector<std::string> list_named_alarms(const fs::path& program_folder);

// The alarm a choice in the list "alarmes définies" gives: the named alarm of a later item (the
// working alarm stays when its file cannot be read), and for item 0 the alarm the dialog opened
// with, or in the night mode's dialog the silent alarm.
AlarmProfile alarm_of_list_item(const fs::path& program_folder, int item, std::string_view name,
                                const AlarmProfile& working, const AlarmProfile& opened,
                                bool night_mode);

// "&enregistrer dans la liste": saves `alarm` under the name typed in the list, after the
// checks and the question of replacing. `first_item` is the list's item 0, which is no name.
// True when the library changed.
bool save_named_alarm(const fs::path& program_folder, std::string_view name,
                      std::string_view first_item, const AlarmProfile& alarm, Prompts& prompts);
// "s&upprimer de la liste", with the same checks and a question. True when the library changed.
bool delete_named_alarm(const fs::path& program_folder, std::string_view name,
                        std::string_view first_item, Prompts& prompts);

// "i&mporter": one named alarm for every wave file of the folder, each a sound alarm made from
// `editing`, named after its file. A name already taken gets "(1)", "(2)"… after it. Gives the
// number of alarms written; a folder without wave files, and a file that cannot be written, are
// told to the user.
int import_wave_folder(const fs::path& program_folder, const fs::path& wave_folder,
                       const AlarmProfile& editing, Prompts& prompts);

// The night mode as its dialog shows it.
struct NightForm {
  bool active = false;
  int start_time = 0;  // minute of the day
  int end_time = 0;
  std::string alarm;  // the named alarm that rings at night; empty for none
};

NightForm night_form(const Settings& settings);
void store_night_form(const NightForm& form, Settings& settings);

// Night applies when it is on and `now` falls between its start and its end, which may lie on
// either side of midnight; a start equal to the end is never night.
bool IsNightTime(const Settings& settings, const LocalTime& now);
// What rings at night: the named night alarm, or the silent alarm when none is named or its file
// cannot be read.
AlarmProfile night_alarm(const fs::path& program_folder, const Settings& settings);

}  // namespace tavelo
