#pragma once

#include <cstdint>
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

// Creates `file`, which must not exist yet, with `bytes` in it. False when it exists already or
// cannot be written whole (a partly written file is removed).
bool write_new_file(const std::filesystem::path& file, std::string_view bytes);

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

// The single-instance lock ("agendalock"): a file created and held open by one instance. On
// Windows it is held without delete sharing, so that no other process can delete it; on Linux it
// carries an exclusive flock. Nothing when another process holds it already.
struct HeldLock {
  std::filesystem::path file;
  std::intptr_t handle = -1;  // the open file: a descriptor on Linux, a HANDLE on Windows
};
std::optional<HeldLock> take_lock(const std::filesystem::path& file);
// Closes the file and deletes it.
void release_lock(HeldLock& lock);

// An environment variable; nothing when it is not set.
std::optional<std::string> environment_variable(const char* name);

}  // namespace tavelo
