#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

// The few calls whose form differs between systems, one function each, with a Linux and a
// Windows implementation (platform/linux/os.cpp, platform/win32/os.cpp). Paths go in and out
// as std::filesystem paths, texts as UTF-8.

// The local calendar time of a moment.
std::tm local_calendar(std::time_t moment);

// How a save through a temporary file went.
enum class SaveOutcome { kSaved, kNameTaken, kFailed };

// Writes `bytes` into `temporary`, a new file beside `file`, then gives it the name `file`. The
// bytes reach the disk before the rename, so a power cut leaves the old content or the new one,
// never an empty file; while it lives the temporary stays locked, so that no start takes it for
// a leftover. kNameTaken when `temporary` exists already; after a failure no temporary remains.
// The new name is on the disk once its folder is synced (sync_folder).
SaveOutcome save_through(const std::filesystem::path& temporary, const std::filesystem::path& file,
                         std::string_view bytes);

// Puts the names of the folder's entries on the disk, as a rename left them.
void sync_folder(const std::filesystem::path& folder);

// Deletes the file unless a process holds it locked, as a running save holds its temporary.
void remove_unless_locked(const std::filesystem::path& file);

// Opens a file as std::fopen does, with a wide name on Windows.
std::FILE* open_file(const std::filesystem::path& file, const char* mode);

// The name under which a library that takes file names as bytes (libcurl's certificate file)
// finds the file: UTF-8 on Linux, the ANSI code page on Windows.
std::string narrow_file_name(const std::filesystem::path& file);

// A shared library loaded from its path, its functions by name, and its release. A library
// that cannot be loaded, and a name it does not export, give nullptr.
void* load_library(const std::filesystem::path& file);
void* library_function(void* library, const char* name);
void unload_library(void* library);

// What a descriptor such as standard input holds now, without waiting for more: some bytes, an
// empty text when nothing has come yet, nothing once the input has ended.
std::optional<std::string> input_ready(int fd);

// An environment variable; nothing when it is not set.
std::optional<std::string> environment_variable(const char* name);

}  // namespace tavelo
