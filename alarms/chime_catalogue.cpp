#include "alarms/chime_catalogue.hpp"

#include "alarms/chime_archive.hpp"
#include "alarms/chime_profile.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

std::optional<std::vector<std::string>> catalogue_names(const ChimeSource& source) {
  if (!source.server) return std::nullopt;
  const auto text = source.network.get_to_memory(server_url(*source.server, "/carlist.txt"));
  if (!text) return std::nullopt;
  return parse_chime_catalogue(*text);
}

}  // namespace

std::optional<std::vector<std::string>> parse_chime_catalogue(std::string_view answer) {
  std::string list;
  for (char c : utf8_from_cp1252(answer)) {
    if (c != '\n') list += c;
  }
  // One pass over the list: a long answer costs no more per name than a short one.
  std::vector<std::string> names;
  std::size_t fields = 0;
  for (std::size_t start = 0; start <= list.size(); ++fields) {
    const std::size_t end = std::min(list.find('\r', start), list.size());
    const std::string_view name = trim_spaces(std::string_view(list).substr(start, end - start));
    if (!name.empty()) names.emplace_back(name);
    start = end + 1;
  }
  if (fields < 4) return std::nullopt;
  return names;
}

std::string chime_catalogue_text(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + "\r\n";
  return cp1252_from_utf8(text);
}

std::vector<std::string> stored_catalogue(const fs::path& program_folder) {
  std::vector<std::string> names;
  const auto text = read_file(program_folder / kCatalogueFile);
  if (!text) return names;
  for (std::string& line : pieces_between(utf8_from_cp1252(*text), '\n')) {
    if (line.ends_with('\r')) line.pop_back();
    if (!line.empty()) names.push_back(std::move(line));
  }
  return names;
}

ChimeDownload download_chime_profiles(const std::vector<std::string>& names,
                                      const fs::path& program_folder, const ChimeSource& source,
                                      Prompts& prompts) {
  ChimeDownload outcome;
  outcome.every_file_arrived = source.server.has_value();
  if (!source.server) return outcome;
  const fs::path chimes = chime_folder(program_folder);
  std::error_code error;
  fs::create_directories(chimes, error);
  for (const std::string& name : names) {
    const auto download = file_in_folder(program_folder, name + ".crx");
    if (!download) continue;
    if (source.network.get_to_file(server_url(*source.server, "/" + name + ".crx"), *download)) {
      if (auto profile = ImportChimeProfile(*download, chimes, prompts)) {
        outcome.imported.push_back(std::move(*profile));
      }
    } else {
      outcome.every_file_arrived = false;
    }
    fs::remove(*download, error);
  }
  return outcome;
}

std::optional<std::vector<std::string>> FetchChimeCatalogue(
    int mode, const fs::path& program_folder, const ChimeSource& source, Prompts& prompts,
    const std::function<void()>& open_options) {
  const auto names = catalogue_names(source);
  if (!names) {
    if (mode == 1) prompts.notice("Le serveur est inaccessible pour le moment.");
    return std::nullopt;
  }
  const fs::path catalogue = program_folder / kCatalogueFile;
  const std::string text = chime_catalogue_text(*names);
  if (mode != 1) {
    write_file_atomically(catalogue, text);
    return names;
  }
  const auto previous = read_file(catalogue);
  if (!previous) {
    write_file_atomically(catalogue, text);
    download_chime_profiles(*names, program_folder, source, prompts);
  } else if (previous->size() != text.size()) {
    write_file_atomically(catalogue, text);
    if (prompts.question("De nouveaux profile sont disponible. Souhaitez-vous les télcharger?")) {
      open_options();
    } else {
      prompts.notice(
          "Vous pouvez les télécharger à partir du calendrier, menu extra, options "
          "des carillons, onglet téléchargement.");
    }
  }
  return names;
}

}  // namespace tavelo
