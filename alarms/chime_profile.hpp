#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "planning/prompts.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kChimeFolder = "carillons";

// One sound of a chime profile; `file` is relative to the chime folder ("sub\file.wav").
struct ChimeEntry {
  std::string file;
  int volume = 100;  // 0..100
  int balance = 0;   // -100..100
  int duration = 0;  // ms to wait after starting it, 0 = do not wait
};

struct ChimeProfile {
  int start = 0;  // hour * 100 + minute; start = end = 0 means no active window
  int end = 0;
  int hour_strike_mode = 0;  // 0 none, 1 one file per hour, k >= 2 strike the hour modulo k - 1
  int quarter_cycle = 0;     // 0 none, 1 at the hours, 2 at the half hours, 3 every quarter
  int hour_random_mode = 0;  // 0 off, 1 one random file per hour, 2 a new one per strike
  int quarter_random = 0;
  int hour_with_fourth_quarter = 0;  // at the full hour only the hour sound plays
  std::vector<ChimeEntry> hours;
  std::vector<ChimeEntry> quarters;  // first (:15), second (:30), third (:45), fourth (:00)
};

fs::path chime_folder(const fs::path& program_folder);

std::string write_chime_profile(const ChimeProfile& profile);
// The kReadOk / kReadEnd of the reader; a cut profile keeps the entries it holds whole.
int read_chime_profile(std::string_view record, ChimeProfile& profile);

// Loads a ".car" file and checks that its sound files exist; a profile naming a missing file is
// refused, and deleted when the user agrees.
bool LoadChimeProfile(const fs::path& file, const fs::path& chimes, ChimeProfile& profile,
                      Prompts& prompts);

// The profile with every entry's file as a full path inside the chime folder, as the players
// need it; nothing when an entry names a file outside that folder.
std::optional<ChimeProfile> playable_profile(ChimeProfile profile, const fs::path& chimes);

// The chosen profile of the chime folder as the chime player needs it, asking nothing: every
// entry's file as a full path inside the chime folder. Nothing when the profile cannot be read
// or names a file outside that folder.
std::optional<ChimeProfile> chime_profile_to_play(const fs::path& chimes, std::string_view name);

// Saves the profile, asking before replacing a file and offering another name ("enregistrer
// sous"). Gives the file written, nothing when cancelled or not writable.
std::optional<fs::path> SaveChimeProfile(const fs::path& file, const fs::path& chimes,
                                         const ChimeProfile& profile, Prompts& prompts);

// The names (without ".car") of the profiles of the chime folder that load.
std::vector<std::string> ListChimeProfiles(const fs::path& chimes, Prompts& prompts);

// The items of the time lists: 0 every minute, 1 every quarter hour, 2 the full hours 01..23,
// 3 the four quarters.
std::vector<std::string> FillTimeList(int kind);

}  // namespace tavelo
