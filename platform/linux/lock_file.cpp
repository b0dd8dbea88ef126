#include "platform/lock_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavelo {

namespace {

// The path still names the file the handle locks. A holder that closed and deleted the file
// between our open and our flock leaves us a lock on a file nobody else can find.
bool still_named(int handle, const std::filesystem::path& file) {
  struct stat held {};
  struct stat named {};
  return ::fstat(handle, &held) == 0 && ::stat(file.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

int flock_retrying(int handle) {
  int result = 0;
  do {
    result = ::flock(handle, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

std::optional<LockFile> LockFile::take(const std::filesystem::path& file) {
  // Three tries are plenty: each retry means a holder went away meanwhile.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int handle = ::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (handle < 0) return std::nullopt;
    if (flock_retrying(handle) != 0) {
      ::close(handle);
      return std::nullopt;
    }
    if (still_named(handle, file)) return LockFile(file, handle);
    ::close(handle);
  }
  return std::nullopt;
}

LockFile::LockFile(LockFile&& other) noexcept
    : file_(std::move(other.file_)), handle_(other.handle_) {
  other.handle_ = -1;
}

LockFile& LockFile::operator=(LockFile&& other) noexcept {
  if (this != &other) {
    release();
    file_ = std::move(other.file_);
    handle_ = other.handle_;
    other.handle_ = -1;
  }
  return *this;
}

LockFile::~LockFile() {
  release();
}

// The file goes while still locked, so that no other process can take the old file after us.
void LockFile::release() {
  if (handle_ < 0) return;
  ::unlink(file_.c_str());
  ::close(handle_);
  handle_ = -1;
}

bool lock_held_elsewhere(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return false;
  return !LockFile::take(file).has_value();
}

}  // namespace tavelo
