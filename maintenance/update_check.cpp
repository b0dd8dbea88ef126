#include "maintenance/update_check.hpp"

#include <algorithm>
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

// The rows of the installed index by server path and version text: each new row is looked up
// once, so a long index costs no more than sorting it.
using InstalledRows = std::set<std::pair<std::string, std::string>>;

InstalledRows rows_of(const std::optional<UpdateIndex>& index) {
  InstalledRows rows;
  if (index) {
    for (const auto& row : index->rows) rows.emplace(row.server_path, row.version);
  }
  return rows;
}

bool every_row_installed(const UpdateIndex& index, const InstalledRows& installed) {
  return std::all_of(index.rows.begin(), index.rows.end(), [&](const IndexRow& row) {
    return installed.contains({row.server_path, row.version});
  });
}

fs::path update_folder(const fs::path& program_folder) {
  return program_folder / kUpdateFolder;
}

fs::path staged_files(const fs::path& program_folder) {
  return update_folder(program_folder) / kUpdateFilesFolder;
}

void remove_update_folder(const fs::path& program_folder) {
  std::error_code error;
  fs::remove_all(update_folder(program_folder), error);
}

// The file of the row into the update folder; a row whose local name would leave the folder is
// never written. True when the file arrived whole.
bool download_row(const IndexRow& row, UpdateContext& context) {
  const auto file = contained_path(staged_files(context.program_folder), row.local_name);
  if (!file) return false;
  std::error_code error;
  fs::create_directories(file->parent_path(), error);
  return context.network.get_to_file(server_url(*context.server, row.server_path), *file);
}

// The version the installed index gives the file of the row, found by its local name, else by
// its server path.
std::optional<std::string> installed_version(const std::optional<UpdateIndex>& installed,
                                             const IndexRow& row) {
  if (!installed) return std::nullopt;
  for (const auto same : {&IndexRow::local_name, &IndexRow::server_path}) {
    const auto found = std::find_if(installed->rows.begin(), installed->rows.end(),
                                    [&](const IndexRow& old) { return old.*same == row.*same; });
    if (found != installed->rows.end()) return found->version;
  }
  return std::nullopt;
}

// Downloads the rows that changed; gives the index of the files as they will be once the
// updater has put them into place, nothing when the user cancelled. A file that did not arrive
// keeps the version it had, or has no row when it had none, so that it is fetched again. A row
// whose name would leave the program folder is never fetched, and stays as the server gave it:
// it cannot make every later check find an update.
std::optional<UpdateIndex> download_changed_rows(const UpdateIndex& index,
                                                 const std::optional<UpdateIndex>& installed,
                                                 UpdateContext& context) {
  const InstalledRows unchanged = rows_of(installed);
  UpdateIndex result{index.version_label, index.release_label, {}};
  const int total = static_cast<int>(index.rows.size());
  context.progress.open(kProgressTitle);
  for (int i = 1; i <= total; ++i) {
    if (!context.progress.advance(i, total)) {
      context.progress.close();
      return std::nullopt;
    }
    const IndexRow& row = index.rows[static_cast<std::size_t>(i - 1)];
    const bool refused = !contained_path(staged_files(context.program_folder), row.local_name);
    if (refused || unchanged.contains({row.server_path, row.version}) ||
        download_row(row, context)) {
      result.rows.push_back(row);
    } else if (auto version = installed_version(installed, row)) {
      result.rows.push_back({row.server_path, std::move(*version), row.local_name});
    }
  }
  context.progress.close();
  return result;
}

UpdateOutcome install_files(int mode, const UpdateIndex& index,
                            const std::optional<UpdateIndex>& installed, UpdateContext& context) {
  const fs::path folder = context.program_folder;
  remove_update_folder(folder);
  const std::optional<UpdateIndex> placed = download_changed_rows(index, installed, context);
  std::error_code error;
  fs::create_directories(update_folder(folder), error);
  if (!placed ||
      !write_file_atomically(update_folder(folder) / kInstalledIndex, update_index_text(*placed))) {
    remove_update_folder(folder);
    remove_file(folder / kDownloadedIndex);
    return {kNewerVersion, std::nullopt, {}};
  }
  remove_file(folder / kDownloadedIndex);
  if (mode == 2) context.prompts.notice(kInstalledNotice);
  context.host.donation_reminder();
  context.host.open_page(server_url(*context.server, kNewsPath));
  return {kNewerVersion, folder / program_file_names().updater, context.updater_arguments};
}

UpdateOutcome install_with_installer(UpdateContext& context) {
  const fs::path installer = context.application_data_folder / program_file_names().installer;
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "/" + string.
  std::string path = "/";
  path += program_file_names().installer;
  const std::string url = server_url(*context.server, path);
  while (!context.network.get_to_file(url, installer)) {
    if (!context.prompts.question(kInstallerRetryQuestion)) {
      return {kNewerVersion, std::nullopt, {}};
    }
  }
  std::error_code error;
  fs::permissions(installer, fs::perms::owner_exec, fs::perm_options::add, error);
  return {kNewerVersion, installer, {}};
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

// Up to date means labels no lower than the program's and every file installed: a file that
// failed to download last time is not.
UpdateOutcome CheckForUpdate(int mode, int quiet, UpdateContext& context) {
  if (mode == 1) return {kNotChecked, std::nullopt, {}};
  const auto index = fetch_index(context);
  if (!index) {
    if (mode != 3) context.host.timed_message(kUpdateUnreachable);
    return {kIndexNotObtained, std::nullopt, {}};
  }
  const std::optional<UpdateIndex> installed = read_index(context.program_folder / kInstalledIndex);
  if (!newer_than_this_program(*index) && every_row_installed(*index, rows_of(installed))) {
    remove_file(context.program_folder / kDownloadedIndex);
    tell_up_to_date(mode, quiet, context);
    return {kUpToDate, std::nullopt, {}};
  }
  if (mode != 3 && !context.prompts.question(kNewVersionQuestion)) {
    return {kNewerVersion, std::nullopt, {}};
  }
  context.host.close_dialog_window();
  context.host.release_instance_lock();
  const UpdateLock lock(context.program_folder / kUpdateLock);
  return context.program_folder_writable ? install_files(mode, *index, installed, context)
                                         : install_with_installer(context);
}

std::string update_index_text(const UpdateIndex& index) {
  std::string text = index.version_label + "\r\n" + index.release_label + "\r\n" +
                     std::to_string(index.rows.size()) + "\r\n";
  for (const IndexRow& row : index.rows) {
    text += row.server_path + "\r\n" + row.version + "\r\n" + row.local_name + "\r\n";
  }
  return cp1252_from_utf8(text);
}

namespace {

// Through a temporary name beside the target, so that the target is either the old file or the
// new one; the new one keeps the permissions of the old, so that programs stay runnable.
bool put_into_place(const fs::path& source, const fs::path& target) {
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  // Appended, not "~" + name: GCC 12 misreads the literal-plus-string at -O3.
  std::string temporary_name("~");
  temporary_name.append(target.filename().string()).append(".maj");
  const fs::path temporary = target.parent_path() / temporary_name;
  const fs::file_status previous = fs::status(target, error);
  const bool replacing = !error && fs::exists(previous);
  fs::rename(source, temporary, error);
  if (error) {
    error.clear();
    if (!fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error)) {
      return false;
    }
  }
  if (replacing) fs::permissions(temporary, previous.permissions(), error);
  fs::rename(temporary, target, error);
  if (!error) return true;
  remove_file(temporary);
  return false;
}

}  // namespace

std::vector<std::string> install_update(const fs::path& program_folder) {
  std::vector<std::string> problems;
  const fs::path staged = staged_files(program_folder);
  std::error_code error;
  std::vector<fs::path> files;
  for (fs::recursive_directory_iterator it(staged, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error) && !it->is_symlink(error)) files.push_back(it->path());
  }
  for (const fs::path& file : files) {
    const auto target =
        contained_path(program_folder, file.lexically_relative(staged).generic_string());
    if (!target || !put_into_place(file, *target)) {
      problems.push_back(std::string("impossible de remplacer le fichier ")
                             .append(file.lexically_relative(staged).string()));
    }
  }
  // The index says what is installed: only once every file is in place.
  const fs::path index = update_folder(program_folder) / kInstalledIndex;
  if (problems.empty() && file_exists(index) &&
      !put_into_place(index, program_folder / kInstalledIndex)) {
    problems.push_back(std::string("impossible de remplacer le fichier ") + kInstalledIndex);
  }
  remove_update_folder(program_folder);
  return problems;
}

}  // namespace tavelo
