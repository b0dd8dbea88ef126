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

// Everything the sending and receiving sides of sharing work with.
struct ExchangeContext {
  fs::path program_folder;
  const Settings& settings;
  Clock& clock;
  Network& network;
  Prompts& prompts;
  std::chrono::milliseconds reachability_limit = kReachabilityLimit;
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

// An FTP session on a row's server in its sub-folder. Failures are told when asked:
// "le serveur FTP lié au profile ... est indisponible...", "le dossier ... est introuvable...".
std::unique_ptr<FtpSession> open_row_ftp(const ExchangeContext& context, const SharingRow& row,
                                         bool show_errors);

// Uploads the command files of each row whose FTP is active to its server, deleting each local
// file once it is sent, 500 ms apart. Nothing unless export is allowed.
void RelayCommandFiles(const ExchangeContext& context, bool show_errors);

// The share mode of the export dialog: each chosen planning of "rdv" is shared with the
// recipients and saved with its copies; then the command files are relayed.
std::string share_question(std::size_t count);
void share_plannings(const ExchangeContext& context, const std::vector<std::string>& plannings,
                     const std::vector<std::string>& recipients);

}  // namespace tavelo
