#include "platform/os.hpp"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/file_names.hpp"
#include "platform/win32/wide.hpp"

namespace tavelo {

const ProgramFileNames& program_file_names() {
  static const ProgramFileNames names{"tavelo.exe", "parlon.dll", "taveloupd.exe",
                                      "tavelo_setup.exe"};
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

HANDLE handle_of(const HeldTemporary& held) {
  return reinterpret_cast<HANDLE>(held.handle);
}

}  // namespace

SaveOutcome write_temporary(const std::filesystem::path& temporary, std::string_view bytes,
                            bool flush, HeldTemporary& held) {
  // Shared for deleting only, which the rename needs: a start, which opens a leftover unshared
  // to delete it, cannot open it while it is held.
  const HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_FILE_EXISTS ? SaveOutcome::kNameTaken : SaveOutcome::kFailed;
  }
  held = {temporary, reinterpret_cast<std::intptr_t>(handle)};
  if (write_all(handle, bytes) && (!flush || FlushFileBuffers(handle) != 0)) {
    return SaveOutcome::kSaved;
  }
  discard_temporary(held);
  return SaveOutcome::kFailed;
}

// Every file of Windows has a name from its creation.
std::optional<HeldTemporary> write_unnamed_temporary(const std::filesystem::path&,
                                                     std::string_view) {
  return std::nullopt;
}

// Windows has no flush of a whole volume short of an administrator's.
std::vector<bool> flush_temporaries(const std::vector<HeldTemporary>& held) {
  std::vector<bool> flushed;
  flushed.reserve(held.size());
  for (const HeldTemporary& temporary : held) {
    flushed.push_back(FlushFileBuffers(handle_of(temporary)) != 0);
  }
  return flushed;
}

bool put_in_place(const HeldTemporary& held, const std::filesystem::path& file) {
  // The rename is written through to the disk before it returns.
  if (MoveFileExW(held.path.c_str(), file.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    discard_temporary(held);
    return false;
  }
  CloseHandle(handle_of(held));
  return true;
}

// Deleting a file that is open, shared for deleting, removes it when the last handle goes.
void discard_temporary(const HeldTemporary& held) {
  DeleteFileW(held.path.c_str());
  CloseHandle(handle_of(held));
}

// Without MOVEFILE_REPLACE_EXISTING the move fails on a name that exists, in the same step.
NewName rename_to_new_name(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return NewName::kGiven;
  const DWORD error = GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? NewName::kTaken
                                                                     : NewName::kFailed;
}

NewName put_in_new_place(const HeldTemporary& held, const std::filesystem::path& file) {
  const NewName outcome = rename_to_new_name(held.path, file);
  if (outcome == NewName::kGiven) CloseHandle(handle_of(held));
  if (outcome == NewName::kFailed) discard_temporary(held);
  return outcome;
}

std::vector<bool> flush_files(const std::vector<std::filesystem::path>& files) {
  std::vector<bool> flushed;
  flushed.reserve(files.size());
  for (const std::filesystem::path& file : files) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    flushed.push_back(handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  return flushed;
}

// The rename was written through to the disk already (MOVEFILE_WRITE_THROUGH).
void sync_folder(const std::filesystem::path&) {}

void remove_unless_locked(const std::filesystem::path& file) {
  // A file another process holds open cannot be opened for deleting without sharing.
  const HANDLE handle =
      CreateFileW(file.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

std::optional<std::string> read_whole_file(const std::filesystem::path& file, std::size_t limit) {
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  while (bytes.size() < limit) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, limit - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(handle, buffer, wanted, &got, nullptr) || got == 0) break;
    bytes.append(buffer, got);
  }
  CloseHandle(handle);
  return bytes;
}

bool write_whole_file(const std::filesystem::path& file, std::string_view bytes) {
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool written = write_all(handle, bytes);
  return CloseHandle(handle) != 0 && written;
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

namespace {

// How many bytes the input holds now; nothing once it has ended. A pipe tells; a file always
// holds what is left of it; a console holds a line once Return is pressed, so its reading may
// wait for the rest of the line.
std::optional<DWORD> bytes_ready(HANDLE input) {
  switch (GetFileType(input)) {
    case FILE_TYPE_PIPE: {
      DWORD available = 0;
      if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;
      return available;
    }
    case FILE_TYPE_CHAR:
      return WaitForSingleObject(input, 0) == WAIT_OBJECT_0 ? 4096u : 0u;
    default:
      return 4096u;
  }
}

}  // namespace

std::optional<std::string> input_ready(int fd) {
  const auto input = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (input == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<DWORD> ready = bytes_ready(input);
  if (!ready) return std::nullopt;
  if (*ready == 0) return std::string();
  std::string bytes(std::min<DWORD>(*ready, 4096u), '\0');
  DWORD got = 0;
  if (!ReadFile(input, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got == 0) {
    return std::nullopt;
  }
  bytes.resize(got);
  return bytes;
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
