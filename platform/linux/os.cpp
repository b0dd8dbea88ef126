#include "platform/os.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>

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

// One syncfs for each filesystem the files are on; where that fails, each file of it alone.
std::vector<bool> flush_temporaries(const std::vector<HeldTemporary>& held) {
  std::vector<bool> flushed(held.size(), false);
  std::set<dev_t> synced;
  std::set<dev_t> failed;
  for (std::size_t i = 0; i < held.size(); ++i) {
    const int fd = static_cast<int>(held[i].handle);
    struct stat status {};
    if (::fstat(fd, &status) != 0) continue;
    if (!synced.contains(status.st_dev) && !failed.contains(status.st_dev)) {
      (::syncfs(fd) == 0 ? synced : failed).insert(status.st_dev);
    }
    flushed[i] = synced.contains(status.st_dev) || ::fsync(fd) == 0;
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
  std::filesystem::remove(held.path, error);
  ::close(static_cast<int>(held.handle));
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
