#include "platform/os.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "platform/file_names.hpp"

namespace tavelo {

const ProgramFileNames& program_file_names() {
  static const ProgramFileNames names{"tavelo", "libparlon.so", "taveloupd", "tavelo_setup"};
  return names;
}

std::tm local_calendar(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  return local;
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

void sync_folder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

SaveOutcome write_temporary(const std::filesystem::path& temporary, std::string_view bytes,
                            bool flush, HeldTemporary& held) {
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? SaveOutcome::kNameTaken : SaveOutcome::kFailed;
  ::flock(fd, LOCK_EX);
  held = {temporary, fd};
  if (write_all(fd, bytes) && (!flush || ::fsync(fd) == 0)) return SaveOutcome::kSaved;
  discard_temporary(held);
  return SaveOutcome::kFailed;
}

std::optional<HeldTemporary> write_unnamed_temporary(const std::filesystem::path& folder,
                                                     std::string_view bytes) {
  const int fd =
      ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) return std::nullopt;
  if (write_all(fd, bytes) && ::fsync(fd) == 0) return HeldTemporary{{}, fd};
  ::close(fd);
  return std::nullopt;
}

namespace {

// Syncs each filesystem once, whatever descriptor of it comes; remembers which ones failed.
class FilesystemSyncs {
 public:
  // Whether the filesystem of the descriptor is synced, by this call or an earlier one.
  bool synced(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return false;
    if (!synced_.contains(status.st_dev) && !failed_.contains(status.st_dev)) {
      (::syncfs(fd) == 0 ? synced_ : failed_).insert(status.st_dev);
    }
    return synced_.contains(status.st_dev);
  }

 private:
  std::set<dev_t> synced_;
  std::set<dev_t> failed_;
};

bool fsync_file(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace

// One syncfs for each filesystem the files are on; where that fails, each file of it alone.
std::vector<bool> flush_temporaries(const std::vector<HeldTemporary>& held) {
  std::vector<bool> flushed(held.size(), false);
  FilesystemSyncs syncs;
  for (std::size_t i = 0; i < held.size(); ++i) {
    const int fd = static_cast<int>(held[i].handle);
    flushed[i] = syncs.synced(fd) || ::fsync(fd) == 0;
  }
  return flushed;
}

// The files' folders stand for their filesystems, so that a folder of many files costs one open.
std::vector<bool> flush_files(const std::vector<std::filesystem::path>& files) {
  std::vector<bool> flushed(files.size(), false);
  FilesystemSyncs syncs;
  std::map<std::filesystem::path, bool> folders;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::filesystem::path folder = files[i].parent_path();
    auto [known, fresh] = folders.try_emplace(folder, false);
    if (fresh) {
      const int fd =
          ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      known->second = fd >= 0 && syncs.synced(fd);
      if (fd >= 0) ::close(fd);
    }
    flushed[i] = known->second || fsync_file(files[i]);
  }
  return flushed;
}

bool put_in_place(const HeldTemporary& held, const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::rename(held.path, file, error);
  if (error) {
    discard_temporary(held);
    return false;
  }
  ::close(static_cast<int>(held.handle));
  return true;
}

void discard_temporary(const HeldTemporary& held) {
  std::error_code error;
  if (!held.path.empty()) std::filesystem::remove(held.path, error);
  ::close(static_cast<int>(held.handle));
}

// Where the filesystem cannot rename without replacing, a hard link, which never replaces, and
// the old name's removal; where it has no hard links either, a look before the rename.
NewName rename_to_new_name(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return NewName::kGiven;
  }
  if (errno == EEXIST) return NewName::kTaken;
  if (errno != EINVAL && errno != ENOSYS) return NewName::kFailed;
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return NewName::kGiven;
  }
  if (errno == EEXIST) return NewName::kTaken;
  if (errno != EPERM && errno != EOPNOTSUPP) return NewName::kFailed;
  struct stat status {};
  if (::lstat(to.c_str(), &status) == 0) return NewName::kTaken;
  return ::rename(from.c_str(), to.c_str()) == 0 ? NewName::kGiven : NewName::kFailed;
}

namespace {

// A file without a name takes one with a link, which never replaces. Linking from its
// descriptor alone needs Linux 6.10 or a privilege; before, it is linked through /proc.
NewName link_unnamed(int fd, const std::filesystem::path& file) {
  if (::linkat(fd, "", AT_FDCWD, file.c_str(), AT_EMPTY_PATH) == 0) return NewName::kGiven;
  if (errno == EEXIST) return NewName::kTaken;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, file.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return NewName::kGiven;
  }
  return errno == EEXIST ? NewName::kTaken : NewName::kFailed;
}

}  // namespace

NewName put_in_new_place(const HeldTemporary& held, const std::filesystem::path& file) {
  const NewName outcome = held.path.empty() ? link_unnamed(static_cast<int>(held.handle), file)
                                            : rename_to_new_name(held.path, file);
  if (outcome == NewName::kGiven) ::close(static_cast<int>(held.handle));
  if (outcome == NewName::kFailed) discard_temporary(held);
  return outcome;
}

void remove_unless_locked(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    std::error_code error;
    std::filesystem::remove(file, error);
  }
  ::close(fd);
}

std::optional<std::string> read_whole_file(const std::filesystem::path& file, std::size_t limit) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  while (bytes.size() < limit) {
    const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, limit - bytes.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

bool write_whole_file(const std::filesystem::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = write_all(fd, bytes);
  return ::close(fd) == 0 && written;
}

std::FILE* open_file(const std::filesystem::path& file, const char* mode) {
  return std::fopen(file.c_str(), mode);
}

std::string narrow_file_name(const std::filesystem::path& file) {
  return file.string();
}

void* load_library(const std::filesystem::path& file) {
  return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* library_function(void* library, const char* name) {
  return ::dlsym(library, name);
}

void unload_library(void* library) {
  ::dlclose(library);
}

std::optional<std::string> input_ready(int fd) {
  for (;;) {
    pollfd wanted{fd, POLLIN, 0};
    const int ready = ::poll(&wanted, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::string();
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(got));
  }
}

std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace tavelo
