#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/planning_file.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"
#include "platform/network.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The columns of a row of the sharing identifier table.
enum SharingColumn : std::size_t {
  kIdentifierColumn = 0,
  kFolderColumn,
  kFtpServerColumn,
  kFtpUserColumn,
  kFtpPasswordColumn,
  kFtpFolderColumn,
  kFtpPortColumn,
  kFtpPassiveColumn,
  kFtpActiveColumn,
};

inline constexpr const char* kCommandPattern = "cmd_*";

// A shared folder that has not answered within this time counts as unreachable, so that a dead
// network share never freezes the agenda.
inline constexpr std::chrono::milliseconds kReachabilityLimit{2000};

// The longest one exchange with the FTP servers may keep its caller waiting: every connection,
// transfer and pause of one relay, one fetch or one test together.
inline constexpr std::chrono::milliseconds kNetworkLimit{10'000};

// How the caller waits for a transfer with the servers. The transfer touches only the network
// and the shared folders, never the interface or the caller's clock, so a window may run it on
// a worker thread and tell the user that it lasts. By default it runs on the caller's thread.
using TransferWaiter = std::function<void(const std::function<void()>& transfer)>;
void run_on_this_thread(const std::function<void()>& transfer);

// Everything the sending and receiving sides of sharing work with.
struct ExchangeContext {
  fs::path program_folder;
  const Settings& settings;
  Clock& clock;
  Network& network;
  Prompts& prompts;
  std::chrono::milliseconds reachability_limit = kReachabilityLimit;
  std::chrono::milliseconds network_limit = kNetworkLimit;
  TransferWaiter wait_for_transfer = run_on_this_thread;

  // The deadline of an exchange that starts now.
  NetworkDeadline network_deadline() const;
};

// A row whose port is "0" or empty gets port "21", passive mode and FTP active, as it is shown.
void complete_sharing_row(SharingRow& row);

// The OK of the shared-folders settings: both permissions are off while the own identifier or
// the table is empty.
void store_sharing_permissions(Settings& settings, std::string_view own_identifier,
                               bool import_allowed, bool export_allowed);

// The row of an identifier (column 1, exactly); nothing when the table has none.
const SharingRow* sharing_row_of(const Settings& settings, std::string_view identifier);

// The shared folder of the n-th (from 1) identifier of a planning's sharing identifiers (each
// followed by a TAB); empty when no row has that identifier.
std::string SharedFolderOf(const Settings& settings, std::string_view sharing_identifiers, int n);

// A shared folder as a path here: "\" separators, relative paths from the program folder.
fs::path shared_folder_path(const fs::path& program_folder, std::string_view folder);

// True when `check` answers true within `limit`. A check of the same key still running from an
// earlier call counts as false at once, so a dead share holds one waiting thread at most.
bool answers_within(const std::string& key, std::function<bool()> check,
                    std::chrono::milliseconds limit);

// The reachability check of a shared folder: it exists and answers within the limit.
bool shared_folder_reachable(const ExchangeContext& context, const SharingRow& row);

// Writes the copies of a shared planning as command files into the folders of their
// identifiers, then relays them silently. Copies whose identifier has no row are not written.
void send_shared_copies(const ExchangeContext& context, const std::vector<SharedCopy>& copies);

// The callback that `saveplanning` gives the copies of a shared planning to.
SendSharedCopies shared_copies_sender(const ExchangeContext& context);

// Saves a planning with its sharing copies.
bool save_shared_planning(const ExchangeContext& context, const fs::path& file, Planning& planning);

// The deletion of a shared planning: an empty command file in the folder of each of its
// identifiers, then a silent relay. Nothing for a planning never sent (no unique identifier, no
// identifiers, export not allowed, a deadline or an end marker).
void SendDeletion(const ExchangeContext& context, const fs::path& file, const Planning& planning);

// The FTP account of a row ("ftp://" stripped, port 21 when the column holds none).
FtpAccount ftp_account_of(const SharingRow& row);
// The row's FTP sub-folder with "/" separators.
std::string ftp_folder_of(const SharingRow& row);

// What keeps a row's FTP folder out of reach.
enum class FtpFailure { kNone, kNoAnswer, kNoFolder };

// An FTP session on a row's server in its sub-folder, or why there is none.
struct RowFtp {
  std::unique_ptr<FtpSession> session;
  FtpFailure failure = FtpFailure::kNone;
};
RowFtp open_row_ftp(Network& network, const SharingRow& row, NetworkDeadline deadline);

// What a relay or a fetch tells when asked: "le serveur FTP lié au profile ... est
// indisponible...", "le dossier ... du serveur FTP lié au profile ... est introuvable...".
std::string ftp_failure_message(const SharingRow& row, FtpFailure failure);

// The pause between two uploads of a relay.
inline constexpr std::chrono::milliseconds kRelayPause{500};

// What one relay sends: the own command files of a row's folder, to the row's server.
struct RelayBatch {
  SharingRow row;
  fs::path folder;
  std::vector<std::string> names;
};

// Uploads each batch's files to its server, deleting each local file once it is there, with a
// pause between two uploads, and stops at the deadline: what is not sent goes with the next
// relay. Returns the failures' messages.
std::vector<std::string> relay_batches(Network& network, const std::vector<RelayBatch>& batches,
                                       NetworkDeadline deadline);

// Uploads the own command files of each row whose FTP is active to its server. Nothing unless
// export is allowed. The files of others that a shared folder holds are theirs to relay.
void RelayCommandFiles(const ExchangeContext& context, bool show_errors);

// The share mode of the export dialog: each chosen planning of "rdv" is shared with the
// recipients and saved with its copies; then the command files are relayed.
std::string share_question(std::size_t count);
void share_plannings(const ExchangeContext& context, const std::vector<std::string>& plannings,
                     const std::vector<std::string>& recipients);

}  // namespace tavelo
