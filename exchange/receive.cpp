#include "exchange/receive.hpp"

#include <fstream>
#include <map>

#include "exchange/exchange_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

using namespace std::chrono_literals;

std::optional<CommandFileName> parse_command_file_name(std::string_view name) {
  // Read from both ends: the planning name holds no "_" and the unique identifier ends with
  // two numbers, so an identifier that holds "_" still gives the right fields.
  if (!wildcard_match(kCommandPattern, name)) return std::nullopt;
  const std::string_view rest = name.substr(4);
  const std::size_t planning_start = rest.rfind('_');
  if (planning_start == std::string_view::npos) return std::nullopt;
  const std::string_view unique = rest.substr(0, planning_start);
  const std::size_t counter = unique.rfind('_');
  const std::size_t seconds =
      counter == std::string_view::npos || counter == 0 ? counter : unique.rfind('_', counter - 1);
  if (seconds == std::string_view::npos || seconds == 0) return std::nullopt;
  CommandFileName parsed{std::string(unique.substr(0, seconds)), std::string(unique),
                         std::string(rest.substr(planning_start + 1))};
  if (!wildcard_match(kPlanningPattern, parsed.planning_name) ||
      !file_in_folder(".", parsed.planning_name)) {
    return std::nullopt;
  }
  return parsed;
}

std::string received_notice(int count) {
  const std::string what = count == 1 ? std::string("Une planification a été reçue")
                                      : std::to_string(count) + " planifications ont été reçues";
  return "Notice de tavelo|" + what + " de votre réseau.|5";
}

namespace {

// A command file of another user: never one of ours, never one that would leave its folder.
std::optional<CommandFileName> foreign_command(const std::string& own_identifier,
                                               std::string_view name) {
  auto parsed = parse_command_file_name(name);
  if (!parsed || parsed->sender == own_identifier) return std::nullopt;
  return parsed;
}

std::optional<std::string> fetch_batch(Network& network, const FetchBatch& batch,
                                       const std::string& own_identifier,
                                       NetworkDeadline deadline) {
  const RowFtp ftp = open_row_ftp(network, batch.row, deadline);
  if (!ftp.session) return ftp_failure_message(batch.row, ftp.failure);
  const auto names = ftp.session->list_names();
  if (!names) return std::nullopt;
  for (const std::string& name : *names) {
    if (!foreign_command(own_identifier, name)) continue;
    const auto local = file_in_folder(batch.folder, name);
    // Deleted on the server only once it is here whole.
    if (local && ftp.session->download(name, *local)) ftp.session->remove(name);
  }
  return std::nullopt;
}

// The plannings of "rdv" by unique identifier, read once a round and kept up to date.
using PlanningsByIdentifier = std::map<std::string, std::vector<std::string>>;

PlanningsByIdentifier index_plannings(const ExchangeContext& context, const fs::path& rdv) {
  PlanningsByIdentifier index;
  for (const std::string& name : list_plannings(rdv)) {
    const auto record = read_file(rdv / name);
    if (!record) continue;
    int readerror = 0;
    const Planning planning = read_planning(*record, context.settings, readerror);
    if (!planning.unique_identifier.empty()) index[planning.unique_identifier].push_back(name);
  }
  return index;
}

struct ReceiveRound {
  const ExchangeContext& context;
  fs::path rdv;
  std::optional<PlanningsByIdentifier> index;
  int received = 0;

  std::vector<std::string>& copies_of(const std::string& unique_identifier) {
    if (!index) index = index_plannings(context, rdv);
    return (*index)[unique_identifier];
  }
};

// Deletes the older copies of a planning, except the file `kept`. False when one stays.
bool delete_copies(ReceiveRound& round, const std::string& unique_identifier,
                   const std::string& kept) {
  std::vector<std::string>& copies = round.copies_of(unique_identifier);
  bool all = true;
  std::erase_if(copies, [&](const std::string& name) {
    if (name == kept) return false;
    std::error_code error;
    fs::remove(round.rdv / name, error);
    all = all && !error;
    return !error;
  });
  return all;
}

// The carried name, or with "a" appended while it names another planning of "rdv".
std::string free_name_for(ReceiveRound& round, const CommandFileName& command) {
  const std::vector<std::string>& copies = round.copies_of(command.unique_identifier);
  std::string name = command.planning_name;
  while (file_exists(round.rdv / name) &&
         std::find(copies.begin(), copies.end(), name) == copies.end()) {
    name += "a";
  }
  return name;
}

void note_arrival(const fs::path& program_folder, const std::string& unique_identifier) {
  std::ofstream index(program_folder / kReceivedIndexFile, std::ios::binary | std::ios::app);
  index << cp1252_from_utf8(unique_identifier) << "\r\n";
}

// True when the command file has done its work and may go.
bool apply(ReceiveRound& round, const SharingRow& row, const fs::path& file,
           const CommandFileName& command) {
  std::error_code error;
  const auto size = fs::file_size(file, error);
  if (error) return false;
  if (size == 0) return delete_copies(round, command.unique_identifier, "");
  const ExchangeContext& context = round.context;
  const auto record = read_file(file);
  if (!record) return false;
  int readerror = 0;
  Planning planning = read_planning(*record, context.settings, readerror);
  drop_missing_sound(planning, context.program_folder, context.settings);
  planning.sharing_identifiers = row.columns[kIdentifierColumn] + "\t";
  planning.unique_identifier = command.unique_identifier;
  const std::string name = free_name_for(round, command);
  if (!saveplanning(round.rdv / name, planning, context.settings, context.clock, false)) {
    return false;
  }
  delete_copies(round, command.unique_identifier, name);
  std::vector<std::string>& copies = round.copies_of(command.unique_identifier);
  if (std::find(copies.begin(), copies.end(), name) == copies.end()) copies.push_back(name);
  note_arrival(context.program_folder, command.unique_identifier);
  ++round.received;
  return true;
}

void apply_folder(ReceiveRound& round, const SharingRow& row, const fs::path& folder) {
  for (const std::string& name : list_files(folder, kCommandPattern)) {
    const auto command = foreign_command(round.context.settings.own_identifier, name);
    if (!command) continue;
    round.context.clock.sleep(100ms);
    if (apply(round, row, folder / name, *command)) {
      std::error_code error;
      fs::remove(folder / name, error);
    }
  }
}

}  // namespace

std::vector<FetchBatch> receiving_rows(const ExchangeContext& context) {
  const Settings& settings = context.settings;
  std::vector<FetchBatch> rows;
  if (settings.import_allowed == 0) return rows;
  for (const SharingRow& row : settings.sharing_table) {
    if (shared_folder_reachable(context, row)) {
      rows.push_back({row, shared_folder_path(context.program_folder, row.columns[kFolderColumn])});
    }
  }
  return rows;
}

std::vector<std::string> fetch_batches(Network& network, const std::vector<FetchBatch>& batches,
                                       const std::string& own_identifier,
                                       NetworkDeadline deadline) {
  std::vector<std::string> failures;
  for (const FetchBatch& batch : batches) {
    if (auto failure = fetch_batch(network, batch, own_identifier, deadline)) {
      failures.push_back(std::move(*failure));
    }
  }
  return failures;
}

int apply_command_files(const ExchangeContext& context, const std::vector<FetchBatch>& rows) {
  ReceiveRound round{context, planning_folder(context.program_folder), std::nullopt};
  {
    const FolderSyncBatch batch;
    for (const FetchBatch& row : rows) apply_folder(round, row.row, row.folder);
  }
  return round.received;
}

namespace {

std::vector<FetchBatch> with_active_ftp(const std::vector<FetchBatch>& rows) {
  std::vector<FetchBatch> batches;
  for (const FetchBatch& row : rows) {
    if (row.row.columns[kFtpActiveColumn] == "1") batches.push_back(row);
  }
  return batches;
}

int announce(const ShowTimedNotice& show_notice, int received) {
  if (received > 0 && show_notice) show_notice(received_notice(received));
  return received;
}

bool under_way(const std::future<void>& fetch) {
  return fetch.valid() && fetch.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

}  // namespace

int ReceiveSharedPlannings(const ExchangeContext& context, bool show_errors,
                           const ShowTimedNotice& show_notice) {
  const std::vector<FetchBatch> rows = receiving_rows(context);
  const std::vector<FetchBatch> batches = with_active_ftp(rows);
  if (!batches.empty()) {
    std::vector<std::string> failures;
    const NetworkDeadline deadline = context.network_deadline();
    context.wait_for_transfer([&] {
      failures = fetch_batches(context.network, batches, context.settings.own_identifier, deadline);
    });
    if (show_errors) {
      for (const std::string& failure : failures) context.prompts.notice(failure);
    }
  }
  return announce(show_notice, apply_command_files(context, rows));
}

int ReceiveAtMinute(MinuteReceive& receive, const ExchangeContext& context,
                    const ShowTimedNotice& show_notice) {
  const std::vector<FetchBatch> rows = receiving_rows(context);
  std::vector<FetchBatch> batches = with_active_ftp(rows);
  if (!batches.empty() && !under_way(receive.fetch) && receive.network) {
    // The worker has its own copies of everything it reads.
    receive.fetch =
        std::async(std::launch::async,
                   [network = receive.network, batches = std::move(batches),
                    own = context.settings.own_identifier, deadline = context.network_deadline()] {
                     fetch_batches(*network, batches, own, deadline);
                   });
  }
  if (receive.fetch.valid()) receive.fetch.wait_for(receive.patience);
  return announce(show_notice, apply_command_files(context, rows));
}

}  // namespace tavelo
