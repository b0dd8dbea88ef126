#include "platform/os.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

SaveOutcome save_through(const std::filesystem::path& temporary, const std::filesystem::path& file,
                         std::string_view bytes) {
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? SaveOutcome::kNameTaken : SaveOutcome::kFailed;
  ::flock(fd, LOCK_EX);
  const bool written = write_all(fd, bytes) && ::fsync(fd) == 0;
  std::error_code error;
  if (written) std::filesystem::rename(temporary, file, error);
  if (written && !error) {
    ::close(fd);
    return SaveOutcome::kSaved;
  }
  std::filesystem::remove(temporary, error);
  ::close(fd);
  return SaveOutcome::kFailed;
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
