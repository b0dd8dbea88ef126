#include "platform/os.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file_names.hpp"

namespace tavelo {

const ProgramFileNames& program_file_names() {
  static const ProgramFileNames names{"libparlon.so", "taveloupd", "tavelo_setup"};
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

bool write_new_file(const std::filesystem::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = write_all(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (written && closed) return true;
  ::unlink(file.c_str());
  return false;
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

std::optional<HeldLock> take_lock(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return std::nullopt;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  return HeldLock{file, fd};
}

void release_lock(HeldLock& lock) {
  if (lock.handle < 0) return;
  ::unlink(lock.file.c_str());
  ::close(static_cast<int>(lock.handle));
  lock.handle = -1;
}

std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace tavelo
