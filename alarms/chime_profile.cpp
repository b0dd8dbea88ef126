#include "alarms/chime_profile.hpp"

#include <cstdio>

#include "alarms/chime_layout.hpp"
#include "platform/files.hpp"

namespace tavelo {

fs::path chime_folder(const fs::path& program_folder) {
  return program_folder / kChimeFolder;
}

std::string write_chime_profile(const ChimeProfile& p) {
  RecordWriter out;
  write_fields(kChimeProfileLayout, p, out, Walk{});
  return std::move(out.bytes);
}

int read_chime_profile(std::string_view record, ChimeProfile& p) {
  FieldReader in(record);
  read_fields(kChimeProfileLayout, in, p, Walk{});
  return in.in.readerror;
}

namespace {

std::string stored_form(const fs::path& chimes, const std::string& file) {
  return chimes.string() + "\\" + file;
}

// Every entry's sound must exist inside the chime folder; the user may delete a profile that
// names a missing one.
bool sounds_exist(const fs::path& file, const fs::path& chimes,
                  const std::vector<ChimeEntry>& entries, const char* what, Prompts& prompts) {
  for (const ChimeEntry& e : entries) {
    const auto sound = contained_path(chimes, e.file);
    if (sound && file_exists(*sound)) continue;
    if (prompts.question("Le carillon " + file.string() + what + stored_form(chimes, e.file) +
                         "\rvoulez-vous le supprimer?")) {
      std::error_code error;
      fs::remove(file, error);
    }
    return false;
  }
  return true;
}

}  // namespace

bool LoadChimeProfile(const fs::path& file, const fs::path& chimes, ChimeProfile& profile,
                      Prompts& prompts) {
  profile.hours.clear();
  profile.quarters.clear();
  const auto record = read_file(file);
  if (!record || read_chime_profile(*record, profile) != kReadOk) return false;
  return sounds_exist(file, chimes, profile.hours,
                      " fait référence au fichier audio d'heure absents.\r|", prompts) &&
         sounds_exist(file, chimes, profile.quarters,
                      " fait référence un fichiers audio de quart absents.\r|", prompts);
}

std::optional<ChimeProfile> chime_profile_to_play(const fs::path& chimes, std::string_view name) {
  const std::optional<fs::path> file = file_in_folder(chimes, std::string(name) + ".car");
  const std::optional<std::string> record = file ? read_file(*file) : std::nullopt;
  ChimeProfile profile;
  if (!record || read_chime_profile(*record, profile) != kReadOk) return std::nullopt;
  return playable_profile(std::move(profile), chimes);
}

std::optional<ChimeProfile> playable_profile(ChimeProfile profile, const fs::path& chimes) {
  for (std::vector<ChimeEntry>* entries : {&profile.hours, &profile.quarters}) {
    for (ChimeEntry& entry : *entries) {
      const std::optional<fs::path> sound = contained_path(chimes, entry.file);
      if (!sound) return std::nullopt;
      entry.file = sound->string();
    }
  }
  return profile;
}

std::optional<fs::path> SaveChimeProfile(const fs::path& file, const fs::path& chimes,
                                         const ChimeProfile& profile, Prompts& prompts) {
  fs::path target = file;
  while (file_exists(target) && !prompts.question("carillon existant, le remplacer?")) {
    const auto name = prompts.input("enregistrer sous", "nom du profile:", "");
    if (!name || name->empty()) return std::nullopt;
    const auto renamed = file_in_folder(chimes, *name + ".car");
    if (!renamed) return std::nullopt;
    target = *renamed;
  }
  if (!write_file_atomically(target, write_chime_profile(profile))) return std::nullopt;
  return target;
}

std::vector<std::string> ListChimeProfiles(const fs::path& chimes, Prompts& prompts) {
  std::vector<std::string> names;
  for (const std::string& name : list_files(chimes, "*.car")) {
    ChimeProfile profile;
    if (LoadChimeProfile(chimes / name, chimes, profile, prompts)) {
      names.push_back(name.substr(0, name.size() - 4));
    }
  }
  return names;
}

namespace {

std::string two_digits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

std::vector<std::string> FillTimeList(int kind) {
  std::vector<std::string> items;
  switch (kind) {
    case 0:
      for (int minute = 0; minute < 1440; ++minute) {
        items.push_back(two_digits(minute / 60) + ":" + two_digits(minute % 60));
      }
      break;
    case 1:
      for (int quarter = 0; quarter < 96; ++quarter) {
        items.push_back(two_digits(quarter / 4) + ":" + two_digits(quarter % 4 * 15));
      }
      break;
    case 2:
      for (int hour = 1; hour <= 23; ++hour) items.push_back(two_digits(hour) + ":00");
      break;
    case 3:
      for (int quarter = 1; quarter <= 4; ++quarter) {
        items.push_back("quart " + std::to_string(quarter));
      }
      break;
    default:
      break;
  }
  return items;
}

}  // namespace tavelo
