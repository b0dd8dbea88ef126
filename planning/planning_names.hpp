#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kPlanningFolder = "rdv";
inline constexpr const char* kPlanningPattern = "*.gnd*";

fs::path planning_folder(const fs::path& program_folder);

// "45123 09-30.gnd" for day 45123 at "09:30".
std::string planning_base_name(int day, std::string_view time);

// The base name with as many "a" as it takes to name no existing file of the folder but
// `replacing`, the file the new one replaces.
std::string free_planning_name(const fs::path& folder, int day, std::string_view time,
                               std::string_view replacing = {});

// A file name, then the same with "a", "aa"… appended: the names a new file tries in turn
// (write_new_file_atomically, move_to_new_name).
NextName names_with_a_appended(std::string name);

// The names free_planning_name gives, in turn, as a new file's names to try (write_new_file_
// atomically), each with `suffix` (" limite", or ";" and a series link): with a suffix, a name
// whose base a file has is passed over, as free_planning_name passes it over.
NextName free_planning_names(const fs::path& folder, int day, std::string_view time,
                             std::string suffix = {});

// The whole choice of a new planning's file name: a free name, then " limite" for a deadline
// the user confirms (an older deadline of that name may be deleted on the way), or ";" and the
// series link for a reproduced occurrence. A planning that replaces the file `replacing` may
// take its name.
std::string new_planning_name(const fs::path& folder, int day, std::string_view time,
                              std::string_view subject, std::string_view series_link,
                              Prompts& prompts, std::string_view replacing = {});

// "45123 09-30.lmt;1700000000": the end marker of a series reproduced up to a deadline.
std::string deadline_end_marker_name(int day, std::string_view time, std::string_view series_link);

// The day and time a planning file name carries. Nothing for a name not of that form, so that a
// stray file in the folder is passed over instead of stopping the program.
struct PlanningNameFields {
  int day;
  int hour;
  int minute;
};
std::optional<PlanningNameFields> parse_planning_name(std::string_view name);

// Every planning file of the folder ("*.gnd*"), in name order, which is date and time order.
std::vector<std::string> list_plannings(const fs::path& folder);

// "hh:mm" from an hour and a minute.
std::string time_text(int hour, int minute);

// The lists where a time of day is chosen hold every minute of the day, "00:00" to "23:59"; an
// item's number is its minute of the day.
inline constexpr int kMinutesPerDay = 1440;
std::vector<std::string> day_times();
// The item of a stored hour and minute; a stored time that is no time of the day gives item 0.
int day_time_item(int hour, int minute);

}  // namespace tavelo
