#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"
#include "platform/network.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kCatalogueFile = "catalog.net";

// Where the chime profiles come from: the maker's server (nothing when none is set).
struct ChimeSource {
  Network& network;
  std::optional<std::string> server;
};

// The names of the catalogue the server answered: one per carriage return, line feeds dropped,
// each trimmed of spaces, empty ones left out. Fewer than four fields is no catalogue (an error
// page, an empty answer).
std::optional<std::vector<std::string>> parse_chime_catalogue(std::string_view answer);

// "catalog.net": one name a line.
std::string chime_catalogue_text(const std::vector<std::string>& names);

// Mode 0 refreshes "catalog.net" and gives the names for the download list. Mode 1 installs
// every profile on the first run, and later tells when new ones are available, offering to
// open the chime options (`open_options`). Nothing when the server cannot be reached.
std::optional<std::vector<std::string>> FetchChimeCatalogue(
    int mode, const fs::path& program_folder, const ChimeSource& source, Prompts& prompts,
    const std::function<void()>& open_options);

// The names of the last catalogue fetched, as "catalog.net" keeps them.
std::vector<std::string> stored_catalogue(const fs::path& program_folder);

// Downloads and imports the named profiles. A name that is no plain file name is passed over.
struct ChimeDownload {
  std::vector<std::string> imported;  // the name of each profile imported
  bool every_file_arrived = true;     // false when the server did not give one
};
ChimeDownload download_chime_profiles(const std::vector<std::string>& names,
                                      const fs::path& program_folder, const ChimeSource& source,
                                      Prompts& prompts);

}  // namespace tavelo
