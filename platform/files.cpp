#include "platform/files.hpp"

#include <algorithm>
#include <iterator>
#include <random>
#include <set>

#include "platform/os.hpp"

namespace tavelo {

fs::path path_of(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

bool file_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::optional<std::string> read_file(const fs::path& file, std::size_t limit) {
  return read_whole_file(file, limit);
}

namespace {

constexpr std::string_view kTemporaryPrefix = "~tavelo-";
constexpr std::size_t kTemporaryLetters = 6;

std::string temporary_name() {
  static constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
  std::string name(kTemporaryPrefix);
  for (std::size_t i = 0; i < kTemporaryLetters; ++i) name += kLetters[pick(random)];
  return name;
}

// "~tavelo-" and six letters; "~tavelo-passed", where an earlier daily pass set a planning
// aside, holds a planning.
bool is_temporary_name(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kTemporaryLetters &&
         name.starts_with(kTemporaryPrefix) && name != "~tavelo-passed";
}

// A written temporary file that a rename batch puts into place later; holding it keeps it from
// being taken for a leftover.
struct WaitingRename {
  HeldTemporary temporary;
  fs::path file;
};

// Beyond this many waiting files a rename batch finishes early, well within the files a process
// may hold open.
constexpr std::size_t kMostWaitingRenames = 256;

// The folders whose sync the batches of this thread have taken over, and the renames.
struct PendingFolderSyncs {
  int batches = 0;
  std::set<fs::path> folders;
  bool renames_wait = false;
  std::vector<WaitingRename> renames;
  std::vector<fs::path> unrenamed;
};
thread_local PendingFolderSyncs pending;

void sync_folder_now_or_in_batch(const fs::path& folder) {
  if (pending.batches == 0) {
    sync_folder(folder);
  } else {
    pending.folders.insert(folder);
  }
}

void rename_waiting_files() {
  std::vector<WaitingRename> waiting = std::move(pending.renames);
  pending.renames.clear();
  std::vector<HeldTemporary> held;
  held.reserve(waiting.size());
  for (const WaitingRename& rename : waiting) held.push_back(rename.temporary);
  const std::vector<bool> flushed = flush_temporaries(held);
  std::set<fs::path> folders;
  for (std::size_t i = 0; i < waiting.size(); ++i) {
    if (!flushed[i]) discard_temporary(waiting[i].temporary);
    if (flushed[i] && put_in_place(waiting[i].temporary, waiting[i].file)) {
      folders.insert(waiting[i].file.parent_path());
    } else {
      pending.unrenamed.push_back(waiting[i].file);
    }
  }
  for (const fs::path& folder : folders) sync_folder_now_or_in_batch(folder);
}

}  // namespace

FolderSyncBatch::FolderSyncBatch() {
  ++pending.batches;
}

FolderSyncBatch::~FolderSyncBatch() {
  if (--pending.batches > 0) return;
  for (const fs::path& folder : pending.folders) sync_folder(folder);
  pending.folders.clear();
}

RenameBatch::RenameBatch() {
  pending.renames_wait = true;
}

RenameBatch::~RenameBatch() {
  finish();
  pending.renames_wait = false;
  pending.unrenamed.clear();
}

std::vector<fs::path> RenameBatch::finish() {
  rename_waiting_files();
  return pending.unrenamed;
}

namespace {

// The bytes in a new temporary file of the folder, held; nothing when it cannot be written. The
// temporary name starts with "~" so that no listing pattern of the program matches it; a name
// another save holds is passed over.
std::optional<HeldTemporary> held_temporary(const fs::path& folder, std::string_view bytes,
                                            bool flush) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    HeldTemporary held;
    const SaveOutcome outcome = write_temporary(folder / temporary_name(), bytes, flush, held);
    if (outcome == SaveOutcome::kSaved) return held;
    if (outcome == SaveOutcome::kFailed) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

bool write_file_atomically(const fs::path& file, std::string_view bytes) {
  // In a rename batch the bytes reach the disk with the batch's other files, before any of them
  // is renamed.
  const bool waits = pending.renames_wait;
  const std::optional<HeldTemporary> held = held_temporary(file.parent_path(), bytes, !waits);
  if (!held) return false;
  if (waits) {
    pending.renames.push_back({*held, file});
    if (pending.renames.size() >= kMostWaitingRenames) rename_waiting_files();
    return true;
  }
  if (!put_in_place(*held, file)) return false;
  sync_folder_now_or_in_batch(file.parent_path());
  return true;
}

// A temporary without a name, where there are such, saves creating and renaming one; where it
// cannot take its name after all, a named one is written and given that name instead.
std::optional<std::string> write_new_file_atomically(const fs::path& folder, std::string_view bytes,
                                                     const NextName& names) {
  std::optional<HeldTemporary> held = write_unnamed_temporary(folder, bytes);
  bool unnamed = held.has_value();
  if (!unnamed) held = held_temporary(folder, bytes, true);
  if (!held) return std::nullopt;
  while (std::optional<std::string> name = names()) {
    NewName outcome = put_in_new_place(*held, folder / *name);
    if (outcome == NewName::kFailed && unnamed) {
      unnamed = false;
      held = held_temporary(folder, bytes, true);
      if (!held) return std::nullopt;
      outcome = put_in_new_place(*held, folder / *name);
    }
    if (outcome == NewName::kFailed) return std::nullopt;
    if (outcome == NewName::kGiven) {
      sync_folder_now_or_in_batch(folder);
      return name;
    }
  }
  discard_temporary(*held);
  return std::nullopt;
}

std::optional<std::string> move_to_new_name(const fs::path& file, const fs::path& folder,
                                            const NextName& names) {
  while (std::optional<std::string> name = names()) {
    const NewName outcome = rename_to_new_name(file, folder / *name);
    if (outcome == NewName::kFailed) break;
    if (outcome == NewName::kGiven) {
      sync_folder_now_or_in_batch(folder);
      return name;
    }
  }
  return std::nullopt;
}

bool write_scratch_file(const fs::path& file, std::string_view bytes) {
  return write_whole_file(file, bytes);
}

// A save that is still running holds its temporary file's lock; the lock of one that died went
// with it.
void remove_leftover_temporaries(const fs::path& folder) {
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error) && is_temporary_name(it->path().filename().string())) {
      remove_unless_locked(it->path());
    }
  }
}

namespace {

char fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::vector<std::string> pieces_between(std::string_view list, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(separator, start), list.size());
    if (end > start) pieces.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
  // Iterative matcher with one back-tracking point: linear in practice, never recursive.
  std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> list_files(const fs::path& folder, std::string_view pattern) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code type_error;
    if (!it->is_regular_file(type_error)) continue;
    std::string name = it->path().filename().string();
    if (wildcard_match(pattern, name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> names_matching(const std::vector<std::string>& names,
                                        std::string_view pattern) {
  std::vector<std::string> matching;
  std::copy_if(names.begin(), names.end(), std::back_inserter(matching),
               [pattern](const std::string& name) { return wildcard_match(pattern, name); });
  return matching;
}

fs::path native_path(const fs::path& base, std::string_view stored) {
  std::string text(stored);
  std::replace(text.begin(), text.end(), '\\', '/');
  // With the system's own separator, as the system shows paths (a backslash on Windows).
  fs::path path = path_of(text).make_preferred();
  return path.is_absolute() ? path : base / path;
}

std::optional<fs::path> contained_path(const fs::path& folder, std::string_view stored) {
  if (stored.empty() || stored.find(':') != std::string_view::npos) return std::nullopt;
  fs::path path = folder;
  std::size_t start = 0;
  while (start <= stored.size()) {
    const std::size_t end = std::min(stored.find_first_of("\\/", start), stored.size());
    const std::string_view part = stored.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string_view::npos) {
      return std::nullopt;
    }
    path /= path_of(part);
    start = end + 1;
  }
  return path;
}

std::optional<fs::path> file_in_folder(const fs::path& folder, std::string_view name) {
  if (name.find_first_of("\\/") != std::string_view::npos) return std::nullopt;
  return contained_path(folder, name);
}

}  // namespace tavelo
