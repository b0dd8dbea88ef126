#pragma once

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What one fetch brings: the other users' command files on a row's server, into its folder.
struct FetchBatch {
  SharingRow row;
  fs::path folder;
};

// The rows whose shared folders answer, when receiving is allowed; nothing otherwise.
std::vector<FetchBatch> receiving_rows(const ExchangeContext& context);

// Downloads the command files of others from each batch's server into its folder, each deleted
// on the server once it is here whole, until the deadline. Returns the failures' messages.
std::vector<std::string> fetch_batches(Network& network, const std::vector<FetchBatch>& batches,
                                       const std::string& own_identifier, NetworkDeadline deadline);

// Applies every command file of the rows' folders that is not one of ours (a newer copy replaces
// the planning of the same unique identifier, an empty file deletes it). Each command file is
// deleted once applied, so one that fails stays for the next minute. Returns the number of
// plannings received.
int apply_command_files(const ExchangeContext& context, const std::vector<FetchBatch>& rows);

// Fetches the other users' command files from the FTP servers into the shared folders, applies
// them, and announces what arrived. Returns the number of plannings received.
int ReceiveSharedPlannings(const ExchangeContext& context, bool show_errors,
                           const ShowTimedNotice& show_notice);

// How long the real-time agenda's minute waits for a fetch before it goes on without it.
inline constexpr std::chrono::milliseconds kMinutePatience{1000};

// The receive of the real-time agenda, which must never wait on a server: the FTP relays are
// fetched on a worker thread that the minute waits for a moment only, and what a fetch brought
// is applied at the first minute that finds it. The network is shared with the worker, which
// may outlive a minute; destroying this waits for the fetch under way, which ends by its
// deadline.
struct MinuteReceive {
  std::shared_ptr<Network> network;
  std::chrono::milliseconds patience = kMinutePatience;
  std::future<void> fetch;  // the fetch under way, or the last one
};

// One minute's receive: starts a fetch unless one is under way, waits for it at most the
// patience, then applies what the shared folders hold and announces it. Silent about failures.
int ReceiveAtMinute(MinuteReceive& receive, const ExchangeContext& context,
                    const ShowTimedNotice& show_notice);

}  // namespace tavelo
