#include "exchange/sharing.hpp"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "exchange/exchange_file.hpp"
#include "exchange/receive.hpp"
#include "planning/chain.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

using namespace std::chrono_literals;

void run_on_this_thread(const std::function<void()>& transfer) {
  transfer();
}

NetworkDeadline ExchangeContext::network_deadline() const {
  return std::chrono::steady_clock::now() + network_limit;
}

void complete_sharing_row(SharingRow& row) {
  const std::string_view port = trim_spaces(row.columns[kFtpPortColumn]);
  if (!port.empty() && port != "0") return;
  const std::string standard_port = "21", on = "1";
  row.columns[kFtpPortColumn] = standard_port;
  row.columns[kFtpPassiveColumn] = on;
  row.columns[kFtpActiveColumn] = on;
}

void store_sharing_permissions(Settings& settings, std::string_view own_identifier,
                               bool import_allowed, bool export_allowed) {
  settings.own_identifier = std::string(trim_spaces(own_identifier));
  const bool possible = !settings.own_identifier.empty() && !settings.sharing_table.empty();
  settings.import_allowed = possible && import_allowed ? 1 : 0;
  settings.export_allowed = possible && export_allowed ? 1 : 0;
}

const SharingRow* sharing_row_of(const Settings& settings, std::string_view identifier) {
  for (const SharingRow& row : settings.sharing_table) {
    if (row.columns[kIdentifierColumn] == identifier) return &row;
  }
  return nullptr;
}

std::string SharedFolderOf(const Settings& settings, std::string_view sharing_identifiers, int n) {
  if (n < 1 || n >= chaincount(sharing_identifiers, "\t")) return {};
  const SharingRow* row = sharing_row_of(settings, chain(sharing_identifiers, "\t", n, 1));
  return row ? row->columns[kFolderColumn] : std::string();
}

fs::path shared_folder_path(const fs::path& program_folder, std::string_view folder) {
  return native_path(program_folder, folder);
}

namespace {

// One check that may outlive its caller: the thread owns this state with the caller.
struct PendingCheck {
  std::mutex mutex;
  std::condition_variable done_signal;
  bool done = false;
  bool answer = false;
};

// Never destroyed: a check that hangs past the end of the program may still reach them.
std::mutex& pending_keys_mutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::set<std::string>& pending_keys() {
  static auto* keys = new std::set<std::string>;
  return *keys;
}

}  // namespace

bool answers_within(const std::string& key, std::function<bool()> check,
                    std::chrono::milliseconds limit) {
  {
    std::lock_guard lock(pending_keys_mutex());
    if (!pending_keys().insert(key).second) return false;
  }
  auto state = std::make_shared<PendingCheck>();
  std::thread([state, key, check = std::move(check)] {
    const bool answer = check();
    {
      // The key is free before the caller learns the answer, so its next check may start.
      std::lock_guard keys_lock(pending_keys_mutex());
      pending_keys().erase(key);
    }
    {
      std::lock_guard lock(state->mutex);
      state->done = true;
      state->answer = answer;
    }
    state->done_signal.notify_all();
  }).detach();
  std::unique_lock lock(state->mutex);
  return state->done_signal.wait_for(lock, limit, [&] { return state->done; }) && state->answer;
}

bool shared_folder_reachable(const ExchangeContext& context, const SharingRow& row) {
  const std::string& folder = row.columns[kFolderColumn];
  if (trim_spaces(folder).empty()) return false;
  const fs::path path = shared_folder_path(context.program_folder, folder);
  return answers_within(
      path.string(),
      [path] {
        std::error_code error;
        return fs::is_directory(path, error);
      },
      context.reachability_limit);
}

namespace {

// Where a command file of an identifier goes; nothing without a reachable row or with a name
// that would leave the folder.
std::optional<fs::path> command_file_for(const ExchangeContext& context, const SharedCopy& copy) {
  const SharingRow* row = sharing_row_of(context.settings, copy.identifier);
  if (row == nullptr || !shared_folder_reachable(context, *row)) return std::nullopt;
  return file_in_folder(shared_folder_path(context.program_folder, row->columns[kFolderColumn]),
                        copy.file_name);
}

}  // namespace

void send_shared_copies(const ExchangeContext& context, const std::vector<SharedCopy>& copies) {
  for (const SharedCopy& copy : copies) {
    // Written whole under a temporary name, so a receiver never reads half a command file.
    if (const auto file = command_file_for(context, copy)) {
      write_file_atomically(*file, write_planning(copy.planning));
    }
  }
  RelayCommandFiles(context, false);
}

SendSharedCopies shared_copies_sender(const ExchangeContext& context) {
  return [&context](const std::vector<SharedCopy>& copies) { send_shared_copies(context, copies); };
}

bool save_shared_planning(const ExchangeContext& context, const fs::path& file,
                          Planning& planning) {
  return saveplanning(file, planning, context.settings, context.clock, true,
                      shared_copies_sender(context));
}

void SendDeletion(const ExchangeContext& context, const fs::path& file, const Planning& planning) {
  if (planning.unique_identifier.empty() ||
      !sharing_applies(file, planning, context.settings, true)) {
    return;
  }
  for (const SharedCopy& copy : sharedcopies(file, planning)) {
    if (const auto command = command_file_for(context, copy)) write_file_atomically(*command, "");
  }
  RelayCommandFiles(context, false);
}

FtpAccount ftp_account_of(const SharingRow& row) {
  std::string_view server = trim_spaces(row.columns[kFtpServerColumn]);
  if (server.starts_with("ftp://")) server.remove_prefix(6);
  const std::int64_t port = leading_integer(row.columns[kFtpPortColumn]);
  return FtpAccount{std::string(server), row.columns[kFtpUserColumn],
                    row.columns[kFtpPasswordColumn],
                    port > 0 && port <= 65535 ? static_cast<int>(port) : 21,
                    row.columns[kFtpPassiveColumn] == "1"};
}

std::string ftp_folder_of(const SharingRow& row) {
  std::string folder = row.columns[kFtpFolderColumn];
  std::replace(folder.begin(), folder.end(), '\\', '/');
  return folder;
}

RowFtp open_row_ftp(Network& network, const SharingRow& row, NetworkDeadline deadline) {
  RowFtp opened{network.open_ftp(ftp_account_of(row), deadline)};
  const std::string folder = ftp_folder_of(row);
  if (!opened.session) {
    opened.failure = FtpFailure::kNoAnswer;
  } else if (!trim_spaces(folder).empty() && !opened.session->change_folder(folder)) {
    opened.session.reset();
    opened.failure = FtpFailure::kNoFolder;
  }
  return opened;
}

std::string ftp_failure_message(const SharingRow& row, FtpFailure failure) {
  const std::string& identifier = row.columns[kIdentifierColumn];
  if (failure == FtpFailure::kNoAnswer) {
    return "le serveur FTP lié au profile " + identifier + " est indisponible...";
  }
  return "le dossier " + ftp_folder_of(row) + " du serveur FTP lié au profile " + identifier +
         " est introuvable...";
}

std::vector<std::string> relay_batches(Network& network, const std::vector<RelayBatch>& batches,
                                       NetworkDeadline deadline) {
  std::vector<std::string> failures;
  for (const RelayBatch& batch : batches) {
    const RowFtp ftp = open_row_ftp(network, batch.row, deadline);
    if (!ftp.session) {
      failures.push_back(ftp_failure_message(batch.row, ftp.failure));
      continue;
    }
    for (std::size_t i = 0; i < batch.names.size(); ++i) {
      if (i > 0) {
        if (std::chrono::steady_clock::now() + kRelayPause >= deadline) return failures;
        std::this_thread::sleep_for(kRelayPause);
      }
      // A file that did not go out stays for the next relay.
      if (ftp.session->upload(batch.folder / batch.names[i], batch.names[i])) {
        std::error_code error;
        fs::remove(batch.folder / batch.names[i], error);
      }
    }
  }
  return failures;
}

namespace {

std::vector<std::string> own_command_files(const fs::path& folder, const Settings& settings) {
  std::vector<std::string> own;
  for (std::string& name : list_files(folder, kCommandPattern)) {
    const auto command = parse_command_file_name(name);
    if (command && command->sender == settings.own_identifier) own.push_back(std::move(name));
  }
  return own;
}

}  // namespace

void RelayCommandFiles(const ExchangeContext& context, bool show_errors) {
  if (context.settings.export_allowed == 0) return;
  std::vector<RelayBatch> batches;
  for (const SharingRow& row : context.settings.sharing_table) {
    if (row.columns[kFtpActiveColumn] != "1" || !shared_folder_reachable(context, row)) continue;
    const fs::path folder = shared_folder_path(context.program_folder, row.columns[kFolderColumn]);
    std::vector<std::string> names = own_command_files(folder, context.settings);
    if (!names.empty()) batches.push_back({row, folder, std::move(names)});
  }
  if (batches.empty()) return;
  std::vector<std::string> failures;
  const NetworkDeadline deadline = context.network_deadline();
  context.wait_for_transfer([&] { failures = relay_batches(context.network, batches, deadline); });
  if (!show_errors) return;
  for (const std::string& failure : failures) context.prompts.notice(failure);
}

std::string share_question(std::size_t count) {
  const std::string plural = count > 1 ? "s" : "";
  return "Souhaitez-vous partager " +
         (count > 1 ? "les " + std::to_string(count) + " " : std::string("l'")) + "élément" +
         plural + " sélectionné" + plural + "?";
}

void share_plannings(const ExchangeContext& context, const std::vector<std::string>& plannings,
                     const std::vector<std::string>& recipients) {
  std::string identifiers;
  for (const std::string& recipient : recipients) identifiers += recipient + "\t";
  const fs::path rdv = planning_folder(context.program_folder);
  for (const std::string& name : plannings) {
    const auto file = file_in_folder(rdv, name);
    if (!file || !file_exists(*file)) continue;
    int readerror = 0;
    Planning planning = loadplanning(*file, context.program_folder, context.settings, readerror);
    planning.sharing_identifiers = identifiers;
    save_shared_planning(context, *file, planning);
  }
  RelayCommandFiles(context, false);
}

}  // namespace tavelo
