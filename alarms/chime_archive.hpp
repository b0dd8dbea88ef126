#pragma once

#include <filesystem>
#include <optional>
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

struct ArchiveEntry {
  std::string name;
  std::string data;
};

std::string write_archive(const std::vector<ArchiveEntry>& entries);

struct ArchiveContents {
  bool is_archive = false;
  std::vector<ArchiveEntry> entries;  // the entries that were read whole and sound
  std::vector<std::string> problems;  // one French sentence per refused entry
};
ArchiveContents read_archive(const fs::path& file);

// The profile file first, then every sound it names, read from the chime folder.
bool ExportChimeProfile(const fs::path& archive, const fs::path& profile_file,
                        const fs::path& chimes, Prompts& prompts);

// Unpacks an archive into the chime folder, asking before replacing a profile. Gives the name
// of the imported profile; nothing when the user cancelled or nothing could be imported.
std::optional<std::string> ImportChimeProfile(const fs::path& archive, const fs::path& chimes,
                                              Prompts& prompts);

}  // namespace tavelo
