#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

namespace fs = std::filesystem;

// No record file of the program comes near this size; a larger one is damaged or hostile and
// is read only up to it.
inline constexpr std::size_t kRecordFileLimit = 16u << 20;

// A path from a UTF-8 text, the form of every text in memory. Never construct a path from a
// std::string directly: on Windows that reads the bytes in the C library's code page, and French
// names come out garbled. (A path's string() gives UTF-8 back on both systems.)
fs::path path_of(std::string_view utf8);

// Whether anything exists at the path; an unreadable place counts as nothing.
bool file_exists(const fs::path& path);

// The bytes of a file, at most `limit` of them; nothing when it cannot be opened.
std::optional<std::string> read_file(const fs::path& file, std::size_t limit = kRecordFileLimit);

// Replaces the file's content in one step: the bytes go to a temporary file in the same folder,
// synced to the disk, which is then renamed over the target, and the folder synced, so neither
// a reader nor a power cut ever finds a half-written file. False when the folder cannot be
// written.
bool write_file_atomically(const fs::path& file, std::string_view bytes);

// The names a new file may take, best first: each call gives the next, nothing once there is
// none.
using NextName = std::function<std::optional<std::string>()>;

// Writes a new file in `folder` as write_file_atomically does, under the first name `names`
// gives that nothing has: never in place of another file, not even one that another process
// makes meanwhile. The name it took; nothing when it could not be written. Such a file does not
// wait for a rename batch.
std::optional<std::string> write_new_file_atomically(const fs::path& folder, std::string_view bytes,
                                                     const NextName& names);

// Moves a file whose bytes are on the disk (flush_files, platform/os.hpp) into `folder`, under the
// first name `names` gives that nothing has, never in place of another file. The name it took;
// nothing when it could not be moved, and it stays where it was.
std::optional<std::string> move_to_new_name(const fs::path& file, const fs::path& folder,
                                            const NextName& names);

// Creates or replaces a scratch file in place, without the atomic write's temporary file and
// syncs: only for files that nothing reads after a crash, such as the import's staging folder,
// emptied before and after each import. False when the file cannot be written whole.
bool write_scratch_file(const fs::path& file, std::string_view bytes);

// While one lives on this thread, atomic writes still sync each file but leave the sync of its
// folder to the batch, which syncs every folder it was left once, when it goes: a batch of many
// saves costs one folder sync instead of one per file. Batches may nest; the outermost syncs.
class FolderSyncBatch {
 public:
  FolderSyncBatch();
  ~FolderSyncBatch();
  FolderSyncBatch(const FolderSyncBatch&) = delete;
  FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;
};

// While one lives on this thread, an atomic write leaves its temporary file unsynced and its
// rename to the batch. `finish` flushes every waiting file to the disk (on Linux with one sync
// of their filesystem), then renames each into place, then syncs their folders once: a power cut
// still leaves each file old or whole, and a series of saves costs one sync instead of two a file.
// Until then the files are not under their names, so only a writer that never reads back what
// it wrote may open one. Every waiting file is held open: past a few hundred, the batch
// finishes the waiting ones early. Batches do not nest.
class RenameBatch {
 public:
  RenameBatch();
  ~RenameBatch();  // finishes what is still waiting
  RenameBatch(const RenameBatch&) = delete;
  RenameBatch& operator=(const RenameBatch&) = delete;

  // Puts every waiting file into place; the files that could not be, since the batch began.
  std::vector<fs::path> finish();
};

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

// The names of the list that match the pattern, in the list's order: one listing of a folder
// of many files serves several patterns.
std::vector<std::string> names_matching(const std::vector<std::string>& names,
                                        std::string_view pattern);

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
