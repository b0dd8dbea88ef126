#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

namespace fs = std::filesystem;

// No record file of the program comes near this size; a larger one is damaged or hostile and
// is read only up to it.
inline constexpr std::size_t kRecordFileLimit = 16u << 20;

// Whether anything exists at the path; an unreadable place counts as nothing.
bool file_exists(const fs::path& path);

// The bytes of a file, at most `limit` of them; nothing when it cannot be opened.
std::optional<std::string> read_file(const fs::path& file, std::size_t limit = kRecordFileLimit);

// Replaces the file's content in one step: the bytes go to a temporary file in the same folder,
// synced to the disk, which is then renamed over the target, and the folder synced, so neither
// a reader nor a power cut ever finds a half-written file. False when the folder cannot be
// written.
bool write_file_atomically(const fs::path& file, std::string_view bytes);

// Removes, in the folder and the folders under it, the temporary files of saves that died
// half-way; those of saves still running elsewhere stay.
void remove_leftover_temporaries(const fs::path& folder);

// The pieces of a list such as "*.wav;*.ogg" or "a/b/c" between its separators; empty pieces
// name nothing and are left out.
std::vector<std::string> pieces_between(std::string_view list, char separator);

// Windows-style wildcard test ('*' and '?'), case-insensitive for ASCII letters.
bool wildcard_match(std::string_view pattern, std::string_view name);

// The names of the regular files of a folder that match the pattern, in name order.
// A missing folder lists nothing.
std::vector<std::string> list_files(const fs::path& folder, std::string_view pattern);

// A path as the records store it (Windows separators allowed) made usable here: relative
// paths are taken from `base`.
fs::path native_path(const fs::path& base, std::string_view stored);

// A name stored in a record or an archive ("sub\\file.wav", either separator) as a path inside
// `folder`. Nothing for a name that would leave the folder: absolute, with a drive letter, with
// "." or ".." parts, or empty.
std::optional<fs::path> contained_path(const fs::path& folder, std::string_view stored);

// A single file name from outside (no separator at all) as a path in `folder`; nothing for any
// other name.
std::optional<fs::path> file_in_folder(const fs::path& folder, std::string_view name);

}  // namespace tavelo
