#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alarms/chime_profile.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// What the chime options edit: the chime settings, and the profile of the profile field with
// the flag that it was changed since it was loaded or saved.
struct ChimeOptionsForm {
  bool active = false;
  std::string name;  // the profile field: the profile is "carillons/" + name + ".car"
  ChimeProfile profile;
  bool modified = false;
  int test_time = 0;  // hour * 100 + minute, the time the test play chimes
};

ChimeOptionsForm load_chime_options(const Settings& settings, int now);
void store_chime_options(const ChimeOptionsForm& form, Settings& settings);

// The four pages of the window, in their order.
enum class ChimeTab { general, quarters, hours, download };
inline constexpr int kChimeTabCount = 4;

// The page a key shows: F2 to F5 each its own, Control+Tab the next and Control+Shift+Tab the
// one before, round; nothing for any other key.
std::optional<ChimeTab> tab_for_key(ChimeTab shown, std::string_view key);

// The control a hidden button (501 to 509) acts on in the page shown; nothing where the page
// has none.
std::optional<int> hidden_button_target(int button, ChimeTab shown);

// The items of the lists of choices, in the order of the values they stand for.
std::vector<std::string> hour_strike_items();  // 26: "aucun", one per hour, then 1 to 24 strikes
std::vector<std::string> quarter_cycle_items();
std::vector<std::string> hour_random_items();

// Times (hour * 100 + minute) and the items of the time lists of FillTimeList: kind 1, the
// quarters, and kind 0, the minutes. A time between two quarters goes to the earlier one.
int quarter_item_of(int time);
int time_of_quarter_item(int item);
int minute_item_of(int time);
int time_of_minute_item(int item);

// The file lists of a profile.
enum class EntryList { quarters, hours };
std::vector<ChimeEntry>& entries_of(ChimeProfile& profile, EntryList list);

// An entry with the values typed under its list, each kept within what a profile can hold: a
// volume of 0 to 100, a balance of -100 to 100, a duration of 0 to 32767 ms.
struct TypedEntryValues {
  std::string volume;
  std::string balance;
  std::string duration;
};
ChimeEntry with_typed_values(ChimeEntry entry, const TypedEntryValues& typed);

// Sounds the user chose for a list: a file already in the chime folder is taken where it is
// (offering to make its sub-folder the profile's name), any other is copied into the folder of
// the profile. Each new entry plays at volume 100, centred, without waiting. Gives how many were
// added; the form is modified when any was.
int add_sounds(ChimeOptionsForm& form, EntryList list, const std::vector<std::string>& chosen,
               const fs::path& chimes, Prompts& prompts);

// The profile file of the profile field; nothing for a name that is no plain file name.
std::optional<fs::path> profile_file(const fs::path& chimes, std::string_view name);

// Before a change that would lose a modified profile: asks the question and saves on yes. False
// when the user must stay on the profile (its name is empty, or the save was cancelled).
bool offer_to_save(ChimeOptionsForm& form, const fs::path& chimes, std::string_view question,
                   Prompts& prompts);

// Saves the profile under its name, which may change when the user saves it under another one.
// False, told to the user, when it was not saved.
bool save_profile(ChimeOptionsForm& form, const fs::path& chimes, Prompts& prompts);

// Deletes the profile of that name, and its sound folder when the user wants; true when the
// profile was deleted.
bool delete_profile(std::string_view name, const fs::path& chimes, Prompts& prompts);

}  // namespace tavelo
