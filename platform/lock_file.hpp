#pragma once

#include <filesystem>
#include <optional>

namespace tavelo {

// A lock file that one process at a time holds, such as the single-instance lock "agendalock".
// The system releases it when its holder ends, however it ends (a killed holder included), so a
// lock left behind never keeps the program from starting. Each system's backend library defines
// these functions (on Linux an exclusive flock).
class LockFile {
 public:
  // Creates the file if needed and takes it; nothing when another process holds it or the
  // folder cannot be written.
  static std::optional<LockFile> take(const std::filesystem::path& file);

  LockFile(LockFile&& other) noexcept;
  LockFile& operator=(LockFile&& other) noexcept;
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  // Closes and deletes the file.
  ~LockFile();

 private:
  LockFile(std::filesystem::path file, int handle) : file_(std::move(file)), handle_(handle) {}
  void release();

  std::filesystem::path file_;
  int handle_ = -1;
};

// Whether another process holds the lock: a lock file that exists and cannot be taken. A lock
// nobody holds is deleted on the way, as the lock's owner would have done.
bool lock_held_elsewhere(const std::filesystem::path& file);

}  // namespace tavelo
