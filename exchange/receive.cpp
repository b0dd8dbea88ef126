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
std::optional<CommandFileName> foreign_command(const ExchangeContext& context,
                                               std::string_view name) {
  auto parsed = parse_command_file_name(name);
  if (!parsed || parsed->sender == context.settings.own_identifier) return std::nullopt;
  return parsed;
}

void fetch_from_ftp(const ExchangeContext& context, const SharingRow& row, const fs::path& folder,
                    bool show_errors) {
  auto session = open_row_ftp(context, row, show_errors);
  if (!session) return;
  const auto names = session->list_names();
  if (!names) return;
  for (const std::string& name : *names) {
    if (!foreign_command(context, name)) continue;
    const auto local = file_in_folder(folder, name);
    // Deleted on the server only once it is here whole.
    if (local && session->download(name, *local)) session->remove(name);
  }
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
    const auto command = foreign_command(round.context, name);
    if (!command) continue;
    round.context.clock.sleep(100ms);
    if (apply(round, row, folder / name, *command)) {
      std::error_code error;
      fs::remove(folder / name, error);
    }
  }
}

}  // namespace

int ReceiveSharedPlannings(const ExchangeContext& context, bool show_errors,
                           const ShowTimedNotice& show_notice) {
  const Settings& settings = context.settings;
  if (settings.import_allowed == 0 || settings.sharing_table.empty()) return 0;
  std::vector<const SharingRow*> rows;
  for (const SharingRow& row : settings.sharing_table) {
    if (shared_folder_reachable(context, row)) rows.push_back(&row);
  }
  auto folder_of = [&](const SharingRow& row) {
    return shared_folder_path(context.program_folder, row.columns[kFolderColumn]);
  };
  for (const SharingRow* row : rows) {
    if (row->columns[kFtpActiveColumn] == "1") {
      fetch_from_ftp(context, *row, folder_of(*row), show_errors);
    }
  }
  ReceiveRound round{context, planning_folder(context.program_folder), std::nullopt};
  {
    const FolderSyncBatch batch;
    for (const SharingRow* row : rows) apply_folder(round, *row, folder_of(*row));
  }
  if (round.received > 0 && show_notice) show_notice(received_notice(round.received));
  return round.received;
}

}  // namespace tavelo
