#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "shell/command_tasks.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kSleepFileName = "sleep";

// A sleep asked for: how long, from when.
struct SleepRequest {
  int minutes = 0;
  MinuteStamp start = 0;
};

// The two lines of the sleep file; nothing when there is none. A file that cannot be read as two
// numbers asks for no sleep at all.
std::optional<SleepRequest> read_sleep_request(const fs::path& program_folder);
bool write_sleep_file(const fs::path& program_folder, const SleepRequest& request);
void remove_sleep_file(const fs::path& program_folder);

// Minutes of sleep left at `now`; 0 or less once it is over.
MinuteStamp sleep_left(const SleepRequest& request, MinuteStamp now);

// "Tavelo en mode someil pour 01:30".
std::string sleep_tooltip(MinuteStamp minutes_left);

// A length of sleep typed by the user: "h:mm" or a number of minutes; nothing for anything else
// or for no minutes at all.
std::optional<int> typed_sleep_minutes(std::string_view text);

}  // namespace tavelo
