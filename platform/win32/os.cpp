#include "platform/os.hpp"

#include <windows.h>

#include <algorithm>

#include "platform/file_names.hpp"
#include "platform/win32/wide.hpp"

namespace tavelo {

const ProgramFileNames& program_file_names() {
  static const ProgramFileNames names{"parlon.dll", "taveloupd.exe", "tavelo_setup.exe"};
  return names;
}

std::tm local_calendar(std::time_t moment) {
  std::tm local{};
  localtime_s(&local, &moment);
  return local;
}

namespace {

bool write_all(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), wanted, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool write_new_file(const std::filesystem::path& file, std::string_view bytes) {
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool written = write_all(handle, bytes);
  const bool closed = CloseHandle(handle) != 0;
  if (written && closed) return true;
  DeleteFileW(file.c_str());
  return false;
}

std::FILE* open_file(const std::filesystem::path& file, const char* mode) {
  return _wfopen(file.c_str(), wide_of(mode).c_str());
}

std::string narrow_file_name(const std::filesystem::path& file) {
  const std::wstring& wide = file.native();
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

void* load_library(const std::filesystem::path& file) {
  // The library's own folder is searched for what it needs, as for a program's.
  return reinterpret_cast<void*>(
      LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void* library_function(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unload_library(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

std::optional<HeldLock> take_lock(const std::filesystem::path& file) {
  // A lock file that cannot be deleted is held open by another instance.
  if (!DeleteFileW(file.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return std::nullopt;
  // Shared for reading and writing, never for deleting: another instance's delete fails.
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return HeldLock{file, reinterpret_cast<std::intptr_t>(handle)};
}

void release_lock(HeldLock& lock) {
  if (lock.handle == -1) return;
  CloseHandle(reinterpret_cast<HANDLE>(lock.handle));
  DeleteFileW(lock.file.c_str());
  lock.handle = -1;
}

std::optional<std::string> environment_variable(const char* name) {
  const std::wstring wide_name = wide_of(name);
  const DWORD size = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), value.data(), size);
  if (length >= size) return std::nullopt;
  value.resize(length);
  return utf8_of(value);
}

}  // namespace tavelo
