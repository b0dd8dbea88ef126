#include "platform/files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>

namespace tavelo {

bool file_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::optional<std::string> read_file(const fs::path& file, std::size_t limit) {
  // Plain system calls: the batch operations read thousands of small files, and a stream costs
  // more to set up than such a file costs to read. A read error ends the bytes, as a stream's
  // would.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  while (bytes.size() < limit) {
    const std::size_t wanted = std::min(sizeof buffer, limit - bytes.size());
    const ssize_t got = ::read(fd, buffer, wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

namespace {

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

namespace {

constexpr std::string_view kTemporaryPrefix = "~tavelo-";
constexpr std::size_t kTemporaryLength = kTemporaryPrefix.size() + 6;  // mkstemp's six letters

// Once renamed, the name is on the disk only when the folder itself is.
bool sync_folder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

// A written temporary file that a rename batch puts into place later; its descriptor holds the
// lock that keeps it from being taken for a leftover.
struct WaitingRename {
  int fd;
  std::string temporary;
  fs::path file;
};

// Beyond this many waiting files a rename batch finishes early, well within the descriptors a
// process may hold.
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

// One sync for each filesystem the files are on; where that sync fails, each file of it alone.
void flush_to_disk(const std::vector<WaitingRename>& waiting, std::vector<bool>& flushed) {
  std::set<dev_t> synced;
  std::set<dev_t> failed;
  for (std::size_t i = 0; i < waiting.size(); ++i) {
    struct stat status {};
    if (::fstat(waiting[i].fd, &status) != 0) continue;
    if (!synced.contains(status.st_dev) && !failed.contains(status.st_dev)) {
      (::syncfs(waiting[i].fd) == 0 ? synced : failed).insert(status.st_dev);
    }
    flushed[i] = synced.contains(status.st_dev) || ::fsync(waiting[i].fd) == 0;
  }
}

void rename_waiting_files() {
  std::vector<WaitingRename> waiting = std::move(pending.renames);
  pending.renames.clear();
  std::vector<bool> flushed(waiting.size(), false);
  flush_to_disk(waiting, flushed);
  std::set<fs::path> folders;
  for (std::size_t i = 0; i < waiting.size(); ++i) {
    std::error_code error;
    if (flushed[i]) fs::rename(waiting[i].temporary, waiting[i].file, error);
    if (!flushed[i] || error) {
      fs::remove(waiting[i].temporary, error);
      pending.unrenamed.push_back(waiting[i].file);
    } else {
      folders.insert(waiting[i].file.parent_path());
    }
    ::close(waiting[i].fd);
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

bool write_file_atomically(const fs::path& file, std::string_view bytes) {
  // The temporary name starts with "~" so that no listing pattern of the program matches it.
  // The save holds a lock on it while it lives, so a start never takes it for a leftover.
  std::string temporary = (file.parent_path() / "~tavelo-XXXXXX").string();
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::flock(fd, LOCK_EX);
  // The data reaches the disk before the rename gives it the file's name: a power cut leaves
  // the old content or the new one, never an empty file.
  const bool waits = pending.renames_wait;
  const bool written =
      write_all(fd, bytes) && ::fchmod(fd, 0644) == 0 && (waits || ::fsync(fd) == 0);
  if (written && waits) {
    pending.renames.push_back({fd, std::move(temporary), file});
    if (pending.renames.size() >= kMostWaitingRenames) rename_waiting_files();
    return true;
  }
  std::error_code error;
  if (written) fs::rename(temporary, file, error);
  if (written && !error) {
    ::close(fd);
    sync_folder_now_or_in_batch(file.parent_path());
    return true;
  }
  fs::remove(temporary, error);
  ::close(fd);
  return false;
}

bool write_scratch_file(const fs::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = write_all(fd, bytes);
  return ::close(fd) == 0 && written;
}

namespace {

// "~tavelo-" and mkstemp's six letters; the daily pass's "~tavelo-passed" holds a planning.
bool is_temporary_name(std::string_view name) {
  return name.size() == kTemporaryLength && name.starts_with(kTemporaryPrefix) &&
         name != "~tavelo-passed";
}

// A save that is still running holds its temporary file's lock; the lock of one that died
// went with it.
void remove_if_abandoned(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    std::error_code error;
    fs::remove(file, error);
  }
  ::close(fd);
}

}  // namespace

void remove_leftover_temporaries(const fs::path& folder) {
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error) && is_temporary_name(it->path().filename().string())) {
      remove_if_abandoned(it->path());
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

fs::path native_path(const fs::path& base, std::string_view stored) {
  std::string text(stored);
  std::replace(text.begin(), text.end(), '\\', '/');
  const fs::path path(text);
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
    path /= std::string(part);
    start = end + 1;
  }
  return path;
}

std::optional<fs::path> file_in_folder(const fs::path& folder, std::string_view name) {
  if (name.find_first_of("\\/") != std::string_view::npos) return std::nullopt;
  return contained_path(folder, name);
}

}  // namespace tavelo
