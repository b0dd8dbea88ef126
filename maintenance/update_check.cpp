#include "maintenance/update_check.hpp"

#include <fstream>
#include <set>
#include <system_error>
#include <utility>

#include "planning/text.hpp"
#include "platform/file_names.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

constexpr std::size_t kIndexLimit = 1u << 20;

// "agendamajlock", held open while an update runs and deleted when it ends, however it ends.
class UpdateLock {
 public:
  explicit UpdateLock(fs::path file) : file_(std::move(file)), held_(file_) {}
  ~UpdateLock() {
    held_.close();
    std::error_code error;
    fs::remove(file_, error);
  }
  UpdateLock(const UpdateLock&) = delete;
  UpdateLock& operator=(const UpdateLock&) = delete;

 private:
  fs::path file_;
  std::ofstream held_;
};

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  std::optional<std::string> next() {
    if (position_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(position_, end - position_);
    if (line.ends_with('\r')) line.remove_suffix(1);
    position_ = end + 1;
    return std::string(line);
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

std::optional<UpdateIndex> read_index(const fs::path& file) {
  const auto bytes = read_file(file, kIndexLimit);
  if (!bytes) return std::nullopt;
  return parse_update_index(*bytes);
}

void remove_file(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
}

bool newer_than_this_program(const UpdateIndex& index) {
  return std::string_view(kVersionLabel) < index.version_label ||
         std::string_view(kReleaseLabel) < index.release_label;
}

// The index of the server in "maj.txt"; nothing once it could not be downloaded or kept coming
// back incomplete.
std::optional<UpdateIndex> fetch_index(UpdateContext& context) {
  if (!context.server) return std::nullopt;
  const fs::path file = context.program_folder / kDownloadedIndex;
  const std::string url = server_url(*context.server, kIndexServerPath);
  for (int tries = 0; tries < kIndexTries; ++tries) {
    if (!context.network.get_to_file(url, file)) return std::nullopt;
    if (auto index = read_index(file)) return index;
  }
  remove_file(file);
  return std::nullopt;
}

void tell_up_to_date(int mode, int quiet, UpdateContext& context) {
  if (mode >= 3 || context.realtime_running) return;
  if (context.host.holds_instance_lock())
    context.prompts.notice(kUpToDateNotice);
  else if (quiet == 0)
    context.host.timed_message(kUpToDateMessage);
}

// A downloaded program file keeps the permissions of the file it replaces, so that programs
// stay runnable.
bool download_keeping_permissions(Network& network, const std::string& url, const fs::path& file) {
  std::error_code error;
  const auto previous = fs::status(file, error).permissions();
  const bool replaced = !error && fs::exists(file, error);
  if (!network.get_to_file(url, file)) return false;
  if (replaced) fs::permissions(file, previous, error);
  return true;
}

// The rows of the installed index by server path and version text: each new row is looked up
// once, so a long index costs no more than sorting it.
using InstalledRows = std::set<std::pair<std::string, std::string>>;

InstalledRows installed_rows(const fs::path& index_file) {
  InstalledRows rows;
  if (const auto installed = read_index(index_file)) {
    for (const auto& row : installed->rows) rows.emplace(row.server_path, row.version);
  }
  return rows;
}

// A row whose local name would leave the program folder is never written.
void download_row(const IndexRow& row, UpdateContext& context) {
  const auto file = contained_path(context.program_folder, row.local_name);
  if (!file) return;
  std::error_code error;
  fs::create_directories(file->parent_path(), error);
  download_keeping_permissions(context.network, server_url(*context.server, row.server_path),
                               *file);
}

// False when the user cancelled the downloads.
bool download_changed_rows(const UpdateIndex& index, UpdateContext& context) {
  const InstalledRows installed = installed_rows(context.program_folder / kInstalledIndex);
  const int total = static_cast<int>(index.rows.size());
  context.progress.open(kProgressTitle);
  for (int i = 1; i <= total; ++i) {
    if (!context.progress.advance(i, total)) {
      context.progress.close();
      return false;
    }
    const IndexRow& row = index.rows[static_cast<std::size_t>(i - 1)];
    if (!installed.contains({row.server_path, row.version})) download_row(row, context);
  }
  context.progress.close();
  return true;
}

UpdateOutcome install_files(int mode, const UpdateIndex& index, UpdateContext& context) {
  const fs::path folder = context.program_folder;
  if (!download_changed_rows(index, context)) {
    remove_file(folder / kDownloadedIndex);
    return {kNewerVersion, std::nullopt};
  }
  std::error_code error;
  fs::remove(folder / kInstalledIndex, error);
  fs::rename(folder / kDownloadedIndex, folder / kInstalledIndex, error);
  if (mode == 2) context.prompts.notice(kInstalledNotice);
  context.host.donation_reminder();
  context.host.open_page(server_url(*context.server, kNewsPath));
  return {kNewerVersion, folder / program_file_names().updater};
}

UpdateOutcome install_with_installer(UpdateContext& context) {
  const fs::path installer = context.application_data_folder / program_file_names().installer;
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "/" + string.
  std::string path = "/";
  path += program_file_names().installer;
  const std::string url = server_url(*context.server, path);
  while (!context.network.get_to_file(url, installer)) {
    if (!context.prompts.question(kInstallerRetryQuestion)) return {kNewerVersion, std::nullopt};
  }
  std::error_code error;
  fs::permissions(installer, fs::perms::owner_exec, fs::perm_options::add, error);
  return {kNewerVersion, installer};
}

}  // namespace

std::string update_tooltip(int status) {
  static constexpr const char* kStates[] = {" à jour", " doit vérifier sa version sur le net",
                                            " doit se mettre à jour", ""};
  const bool known = status >= kUpToDate && status <= kNotChecked;
  return std::string("Tavelo, ") + kVersionLabel + kStates[known ? status : kNotChecked];
}

std::optional<UpdateIndex> parse_update_index(std::string_view bytes) {
  const std::string text = utf8_from_cp1252(bytes);
  LineReader lines(text);
  UpdateIndex index;
  auto version = lines.next(), release = lines.next(), count = lines.next();
  if (!count) return std::nullopt;
  index.version_label = std::move(*version);
  index.release_label = std::move(*release);
  const std::int64_t rows = leading_integer(*count);
  if (rows < 0) return std::nullopt;
  // Rows are kept as they are read, so a hostile count allocates nothing.
  for (std::int64_t i = 0; i < rows; ++i) {
    auto path = lines.next(), row_version = lines.next(), local = lines.next();
    if (!local) return std::nullopt;
    index.rows.push_back({std::move(*path), std::move(*row_version), std::move(*local)});
  }
  return index;
}

UpdateOutcome CheckForUpdate(int mode, int quiet, UpdateContext& context) {
  if (mode == 1) return {kNotChecked, std::nullopt};
  const auto index = fetch_index(context);
  if (!index) {
    if (mode != 3) context.host.timed_message(kUpdateUnreachable);
    return {kIndexNotObtained, std::nullopt};
  }
  if (!newer_than_this_program(*index)) {
    remove_file(context.program_folder / kDownloadedIndex);
    tell_up_to_date(mode, quiet, context);
    return {kUpToDate, std::nullopt};
  }
  if (mode != 3 && !context.prompts.question(kNewVersionQuestion))
    return {kNewerVersion, std::nullopt};
  context.host.close_dialog_window();
  context.host.release_instance_lock();
  const UpdateLock lock(context.program_folder / kUpdateLock);
  return context.program_folder_writable ? install_files(mode, *index, context)
                                         : install_with_installer(context);
}

}  // namespace tavelo
