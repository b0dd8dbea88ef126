#include "platform/lock_file.hpp"

namespace tavelo {

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

bool lock_held_elsewhere(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return false;
  return !LockFile::take(file).has_value();
}

}  // namespace tavelo
