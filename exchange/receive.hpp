#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "exchange/sharing.hpp"
#include "planning/planning_list.hpp"

namespace tavelo {

// What a command file name "cmd_" + sender + "_" + seconds + "_" + counter + "_" + planning file
// carries: the sender (field 2), the unique identifier (fields 2 to 4) and the planning file
// (field 5). Nothing for a name not of that form or whose planning name would leave its folder.
struct CommandFileName {
  std::string sender;             // field 2
  std::string unique_identifier;  // fields 2 to 4
  std::string planning_name;      // field 5
};
std::optional<CommandFileName> parse_command_file_name(std::string_view name);

// The timed notice of received plannings, as the advanced message dialog reads it.
std::string received_notice(int count);

// Shows the timed notice through the advanced message dialog.
using ShowTimedNotice = std::function<void(const std::string& chain)>;

// Fetches the other users' command files from the FTP servers into the shared folders, applies
// every command file there that is not one of ours (a newer copy replaces the planning of the
// same unique identifier, an empty file deletes it), and announces what arrived. Each command
// file is deleted once applied, so one that fails stays for the next minute. Returns the number
// of plannings received.
int ReceiveSharedPlannings(const ExchangeContext& context, bool show_errors,
                           const ShowTimedNotice& show_notice);

}  // namespace tavelo
