#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "planning/prompts.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// ".crx" archives carry a chime profile and its sounds: the bytes "2zlp" (older archives
// "1zlp"), then entries of uncompressed size (u64), stored size (u64), name length (u16), the
// name (Windows-1252, backslash separators) and the data, packed when that makes it smaller.
inline constexpr std::string_view kArchiveMagic = "2zlp";
inline constexpr std::string_view kOlderArchiveMagic = "1zlp";
// No sound of a chime comes near this; a larger entry is refused before anything is allocated.
inline constexpr std::uint64_t kLargestArchiveEntry = 256u << 20;
// Nor does any set of profiles come near this; an archive whose entries add up to more is
// refused before anything is unpacked.
inline constexpr std::uint64_t kLargestArchiveTotal = std::uint64_t{1} << 30;

struct ArchiveLimits {
  std::uint64_t entry = kLargestArchiveEntry;
  std::uint64_t total = kLargestArchiveTotal;
};

struct ArchiveEntry {
  std::string name;
  std::string data;
};

std::string write_archive(const std::vector<ArchiveEntry>& entries);

// What reading an archive found.
struct ArchiveWalk {
  bool is_archive = false;
  bool whole = false;                 // every entry's place and size is sound, within the limits
  std::vector<std::string> problems;  // one French sentence per refused entry, or for the whole
};

// Called with each entry, in archive order, as soon as it is unpacked; false stops the walk.
using ArchiveVisitor = std::function<bool(ArchiveEntry&&)>;

// Reads an archive entry after entry. Every entry's header is checked first, the sizes against
// the file and the limits, so an archive that is cut, lies about its sizes or claims too much
// is refused before anything is unpacked. Then each entry is unpacked and handed over in turn:
// only one is ever held in memory. An entry that fails to unpack is told and passed over.
ArchiveWalk walk_archive(const fs::path& file, const ArchiveVisitor& visit,
                         const ArchiveLimits& limits = {});

// Whether an archive can be unpacked whole into `folder`: no damaged entry, no name leaving it.
// Gives the problems; nothing is written.
ArchiveWalk check_archive(const fs::path& file, const fs::path& folder,
                          const ArchiveLimits& limits = {});

// The entries that carry one profile: its file, then every sound it names (once each, those
// in `added` left out), read from the chime folder. Nothing, with `missing` set to the first
// name that cannot be read, when one is missing.
std::optional<std::vector<ArchiveEntry>> chime_profile_entries(const fs::path& profile_file,
                                                               const fs::path& chimes,
                                                               std::set<std::string>& added,
                                                               std::string& missing);

// Writes every entry of an archive into a folder as it is unpacked; names that would leave it
// are refused. Gives one French sentence per entry that could not be written.
std::vector<std::string> extract_archive(const fs::path& file, const fs::path& folder,
                                         const ArchiveLimits& limits = {});

// The profile file first, then every sound it names, read from the chime folder.
bool ExportChimeProfile(const fs::path& archive, const fs::path& profile_file,
                        const fs::path& chimes, Prompts& prompts);

// Unpacks an archive into the chime folder, asking before replacing a profile. Gives the name
// of the imported profile; nothing when the user cancelled or nothing could be imported.
std::optional<std::string> ImportChimeProfile(const fs::path& archive, const fs::path& chimes,
                                              Prompts& prompts, const ArchiveLimits& limits = {});

}  // namespace tavelo
