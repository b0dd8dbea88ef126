#include "platform/lock_file.hpp"

#include <windows.h>

namespace tavelo {

std::optional<LockFile> LockFile::take(const std::filesystem::path& file) {
  // A lock file that cannot be deleted is held open by another process; one left by a holder
  // that ended goes.
  if (!DeleteFileW(file.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return std::nullopt;
  // Shared for reading and writing, never for deleting: another process's delete fails. Of two
  // processes that both deleted it, only one creates it anew.
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return LockFile(file, reinterpret_cast<std::intptr_t>(handle));
}

void LockFile::release() {
  if (handle_ == -1) return;
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  DeleteFileW(file_.c_str());
  handle_ = -1;
}

}  // namespace tavelo
