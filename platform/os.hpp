#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

// The few calls whose form differs between systems, one function each, with a Linux and a
// Windows implementation (platform/linux/os.cpp, platform/win32/os.cpp). Paths go in and out
// as std::filesystem paths, texts as UTF-8.

// The local calendar time of a moment.
std::tm local_calendar(std::time_t moment);

// How the writing of a save's temporary file went.
enum class SaveOutcome { kSaved, kNameTaken, kFailed };

// A temporary file that a save has written, held open from its creation until it takes its
// file's name or is removed: while it is held, no start takes it for a leftover. One without a
// path has no name at all until it takes its file's.
struct HeldTemporary {
  std::filesystem::path path;
  std::intptr_t handle = -1;
};

// Creates `temporary`, a new file beside the one it will replace, writes `bytes` into it and
// holds it; with `flush`, the bytes are on the disk when it returns. kNameTaken when the name
// exists already; after a failure no temporary remains.
SaveOutcome write_temporary(const std::filesystem::path& temporary, std::string_view bytes,
                            bool flush, HeldTemporary& held);

// A temporary without a name in the folder, holding `bytes` on the disk, for a file that
// replaces none (put_in_new_place): a crash leaves nothing of it behind, and giving it its name
// is one step. Nothing where the system or the filesystem has no such files (Windows), or when
// it cannot be written.
std::optional<HeldTemporary> write_unnamed_temporary(const std::filesystem::path& folder,
                                                     std::string_view bytes);

// Brings the bytes of held temporaries to the disk; whether each one's got there. Linux syncs
// each filesystem once, however many files are on it.
std::vector<bool> flush_temporaries(const std::vector<HeldTemporary>& held);

// Gives a held temporary whose bytes are on the disk the name `file`, and lets it go: a power
// cut leaves the old content or the new one, never an empty file. False, the temporary
// removed, when it cannot. The new name is on the disk once its folder is synced (sync_folder).
bool put_in_place(const HeldTemporary& held, const std::filesystem::path& file);

// Removes a held temporary and lets it go.
void discard_temporary(const HeldTemporary& held);

// How giving a file a name that must be new went.
enum class NewName { kGiven, kTaken, kFailed };

// Renames `from` to `to` only while nothing has that name, in one step: never in place of
// another file, not even one that another process makes meanwhile.
NewName rename_to_new_name(const std::filesystem::path& from, const std::filesystem::path& to);

// As put_in_place, never in place of another file: on kTaken the temporary stays held, to be
// given another name.
NewName put_in_new_place(const HeldTemporary& held, const std::filesystem::path& file);

// Brings the bytes of written, closed files to the disk; whether each one's got there. Linux
// syncs each filesystem once, however many files are on it.
std::vector<bool> flush_files(const std::vector<std::filesystem::path>& files);

// Puts the names of the folder's entries on the disk, as a rename left them.
void sync_folder(const std::filesystem::path& folder);

// Deletes the file unless a process holds it locked, as a running save holds its temporary.
void remove_unless_locked(const std::filesystem::path& file);

// The bytes of a file, at most `limit` of them, read straight from the system, without the C
// library's buffer: the batch operations read thousands of small files, and setting a buffer up
// costs more than such a file costs to read. Nothing when it cannot be opened; a read error ends
// the bytes.
std::optional<std::string> read_whole_file(const std::filesystem::path& file, std::size_t limit);

// Creates or empties the file and writes the bytes into it, straight to the system as
// read_whole_file reads; false when it cannot be written whole.
bool write_whole_file(const std::filesystem::path& file, std::string_view bytes);

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
