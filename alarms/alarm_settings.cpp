#include "alarms/alarm_settings.hpp"

#include <algorithm>

#include "alarms/alarm_profile.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/sound_decoders.hpp"

namespace tavelo {

namespace {

constexpr const char* kAlarmExtension = ".alm";
constexpr int kLargestCount = 32000;

constexpr const char* kNotAName =
    "Attention...\rLe nom d'une alarme ne peut être vide ni contenir \"/\", \"\\\" ou \":\".";

int typed_count(std::string_view text) {
  return typed_number(text, 0, kLargestCount);
}

bool sound_file_present(const fs::path& program_folder, const AlarmProfile& alarm) {
  return alarm.sound_file.empty() || file_exists(native_path(program_folder, alarm.sound_file));
}

// The file of a typed name, or the reason it has none, told to the user.
std::optional<fs::path> file_of_typed_name(const fs::path& program_folder, std::string_view name,
                                           std::string_view first_item, Prompts& prompts) {
  if (name == first_item) {
    prompts.notice(kNameMustChange);
    return std::nullopt;
  }
  std::optional<fs::path> file = named_alarm_file(program_folder, name);
  if (!file) prompts.notice(kNotAName);
  return file;
}

// The wave file's name less its extension, or that name followed by "(n)" for the first n that
// names no alarm yet.
fs::path free_alarm_file(const fs::path& folder, const std::string& wave_name) {
  const std::string base = wave_name.substr(0, wave_name.size() - 4);
  std::string name = base;
  for (int n = 1; trim_spaces(name).empty() || file_exists(folder / (name + kAlarmExtension));
       ++n) {
    name = base + "(" + std::to_string(n) + ")";
  }
  return folder / (name + kAlarmExtension);
}

}  // namespace

AlarmForm alarm_form(const AlarmProfile& p) {
  return {p.kind,
          p.sound_file,
          std::to_string(p.frequency),
          std::to_string(p.length),
          std::to_string(p.pause),
          std::to_string(p.repetitions),
          std::to_string(p.tone_cycles_between_waves),
          std::to_string(p.wave_repetitions)};
}

AlarmProfile alarm_of_form(const AlarmForm& form) {
  AlarmProfile p;
  p.kind = std::clamp(form.kind, 1, 3);
  p.sound_file = form.sound_file;
  p.frequency = typed_count(form.frequency);
  p.length = typed_count(form.length);
  p.pause = clamp_pause(leading_integer(form.pause));
  p.repetitions = typed_count(form.repetitions);
  p.tone_cycles_between_waves = typed_count(form.tone_cycles_between_waves);
  p.wave_repetitions = typed_count(form.wave_repetitions);
  return p;
}

AlarmProfile alarm_to_test(const AlarmProfile& profile) {
  AlarmProfile tested = profile;
  tested.repetitions = std::max(tested.repetitions, 1);
  return tested;
}

std::optional<std::string> unplayable_sound_message(const fs::path& program_folder,
                                                    const AlarmProfile& profile) {
  if (profile.kind == 1 || profile.sound_file.empty()) return std::nullopt;
  if (decode_sound_file(native_path(program_folder, profile.sound_file))) return std::nullopt;
  return "Attention...\rLe fichier son suivant ne peut pas être lu:\r" + profile.sound_file;
}

std::optional<fs::path> named_alarm_file(const fs::path& program_folder, std::string_view name) {
  if (trim_spaces(name).empty()) return std::nullopt;
  return file_in_folder(planning_folder(program_folder), std::string(name) + kAlarmExtension);
}

std::vector<std::string> list_named_alarms(const fs::path& program_folder) {
  const fs::path folder = planning_folder(program_folder);
  std::vector<std::string> names;
  for (const std::string& file : list_files(folder, std::string("*") + kAlarmExtension)) {
    AlarmProfile alarm;
    LoadAlarmProfile(folder / file, alarm);
    if (alarm.kind == 1 || sound_file_present(program_folder, alarm)) {
      names.push_back(file.substr(0, file.size() - 4));
    }
  }
  // By name, so that "gong" comes before "gong(1)", whose file name sorts first.
  std::sort(names.begin(), names.end());
  return names;
}

AlarmProfile alarm_of_list_item(const fs::path& program_folder, int item, std::string_view name,
                                const AlarmProfile& working, const AlarmProfile& opened,
                                bool night_mode) {
  if (item <= 0) return night_mode ? silent_alarm() : opened;
  const std::optional<fs::path> file = named_alarm_file(program_folder, name);
  AlarmProfile named = working;
  if (!file || !LoadAlarmProfile(*file, named)) return working;
  return named;
}

bool save_named_alarm(const fs::path& program_folder, std::string_view name,
                      std::string_view first_item, const AlarmProfile& alarm, Prompts& prompts) {
  const std::optional<fs::path> file =
      file_of_typed_name(program_folder, name, first_item, prompts);
  if (!file) return false;
  if (file_exists(*file) && !prompts.question("Voulez-vous remplacer le fichier?")) return false;
  std::error_code error;
  fs::create_directories(file->parent_path(), error);
  if (!SaveAlarmProfile(*file, alarm)) {
    prompts.notice("Attention...\rL'alarme n'a pas pu être enregistrée dans:\r" + file->string());
    return false;
  }
  return true;
}

bool delete_named_alarm(const fs::path& program_folder, std::string_view name,
                        std::string_view first_item, Prompts& prompts) {
  const std::optional<fs::path> file =
      file_of_typed_name(program_folder, name, first_item, prompts);
  if (!file) return false;
  if (!file_exists(*file)) {
    prompts.notice("Tavelo\rCette alarme n'a pas été enregistré dans la liste...");
    return false;
  }
  if (!prompts.question("Voulez-vous supprimer cette alarme?")) return false;
  std::error_code error;
  return fs::remove(*file, error);
}

int import_wave_folder(const fs::path& program_folder, const fs::path& wave_folder,
                       const AlarmProfile& editing, Prompts& prompts) {
  const std::vector<std::string> waves = list_files(wave_folder, "*.wav");
  if (waves.empty()) {
    prompts.notice("Tavelo\rAucun fichier son n'a été trouvé dans le dossier spécifié...");
    return 0;
  }
  const fs::path folder = planning_folder(program_folder);
  std::error_code error;
  fs::create_directories(folder, error);
  int written = 0;
  for (const std::string& wave : waves) {
    const AlarmProfile alarm = imported_sound_alarm(editing, (wave_folder / wave).string());
    const fs::path file = free_alarm_file(folder, wave);
    if (SaveAlarmProfile(file, alarm)) {
      ++written;
    } else {
      prompts.notice("impossible d'écrire le fichier " + file.string());
    }
  }
  return written;
}

NightForm night_form(const Settings& s) {
  return {s.night_mode_active != 0, day_time_item(s.night_mode[0], s.night_mode[1]),
          day_time_item(s.night_mode[2], s.night_mode[3]), s.night_alarm};
}

void store_night_form(const NightForm& form, Settings& s) {
  const int start = std::clamp(form.start_time, 0, kMinutesPerDay - 1);
  const int end = std::clamp(form.end_time, 0, kMinutesPerDay - 1);
  s.night_mode_active = form.active ? 1 : 0;
  s.night_mode = {start / 60, start % 60, end / 60, end % 60};
  s.night_alarm = form.alarm;
}

bool IsNightTime(const Settings& s, const LocalTime& now) {
  const int start = s.night_mode[0] * 60 + s.night_mode[1];
  const int end = s.night_mode[2] * 60 + s.night_mode[3];
  const int minute = now.hour * 60 + now.minute;
  if (s.night_mode_active == 0 || start == end) return false;
  if (start <= minute && minute < end) return true;
  return end < start && (minute >= start || minute < end);
}

AlarmProfile night_alarm(const fs::path& program_folder, const Settings& s) {
  AlarmProfile alarm = silent_alarm();
  if (s.night_alarm.empty()) return alarm;
  const std::optional<fs::path> file = named_alarm_file(program_folder, s.night_alarm);
  AlarmProfile named;
  if (file && LoadAlarmProfile(*file, named)) alarm = named;
  return alarm;
}

}  // namespace tavelo
