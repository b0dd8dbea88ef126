#include "alarms/chime_archive.hpp"

#include <fstream>
#include <set>

#include "alarms/brieflz.hpp"
#include "alarms/chime_profile.hpp"
#include "alarms/little_endian.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

std::string write_archive(const std::vector<ArchiveEntry>& entries) {
  std::string out(kArchiveMagic);
  for (const ArchiveEntry& e : entries) {
    const std::string name = cp1252_from_utf8(e.name);
    const std::string packed = pack_block(e.data);
    const std::string& stored = packed.size() < e.data.size() ? packed : e.data;
    put_le(out, e.data.size(), 8);
    put_le(out, stored.size(), 8);
    put_le(out, name.size(), 2);
    out += name;
    out += stored;
  }
  return out;
}

namespace {

bool read_exactly(std::ifstream& in, std::string& into, std::size_t count) {
  into.resize(count);
  in.read(into.data(), static_cast<std::streamsize>(count));
  return static_cast<std::size_t>(in.gcount()) == count;
}

std::string damaged(const std::string& name) {
  return "L'élément " + name + " de l'archive est endommagé et n'a pas été importé.";
}

}  // namespace

ArchiveContents read_archive(const fs::path& file) {
  ArchiveContents contents;
  std::error_code error;
  const std::uintmax_t file_size = fs::file_size(file, error);
  std::ifstream in(file, std::ios::binary);
  std::string bytes;
  if (error || !in || !read_exactly(in, bytes, 4) ||
      (bytes != kArchiveMagic && bytes != kOlderArchiveMagic)) {
    return contents;
  }
  contents.is_archive = true;
  std::uint64_t position = 4;
  std::string header;
  while (position < file_size) {
    if (file_size - position < 18 || !read_exactly(in, header, 18)) {
      contents.problems.push_back("L'archive est incomplète.");
      break;
    }
    const std::uint64_t size = get_le(header, 0, 8);
    const std::uint64_t stored = get_le(header, 8, 8);
    const auto name_length = static_cast<std::size_t>(get_le(header, 16, 2));
    position += 18;
    // Sizes are checked against what the file holds before anything is read into memory.
    if (name_length + stored > file_size - position || size > kLargestArchiveEntry) {
      contents.problems.push_back("L'archive est incomplète.");
      break;
    }
    ArchiveEntry entry;
    std::string raw_name, data;
    if (!read_exactly(in, raw_name, name_length) ||
        !read_exactly(in, data, static_cast<std::size_t>(stored))) {
      contents.problems.push_back("L'archive est incomplète.");
      break;
    }
    position += name_length + stored;
    entry.name = utf8_from_cp1252(raw_name);
    if (stored == size) {
      entry.data = std::move(data);
    } else if (auto unpacked = stored < size ? unpack_block(data, size) : std::nullopt) {
      entry.data = std::move(*unpacked);
    } else {
      contents.problems.push_back(damaged(entry.name));
      continue;
    }
    contents.entries.push_back(std::move(entry));
  }
  return contents;
}

std::optional<std::vector<ArchiveEntry>> chime_profile_entries(const fs::path& profile_file,
                                                               const fs::path& chimes,
                                                               std::set<std::string>& added,
                                                               std::string& missing) {
  std::vector<ArchiveEntry> entries;
  const auto add = [&](const std::string& name, const std::optional<fs::path>& source) {
    const auto data = source ? read_file(*source, kLargestArchiveEntry) : std::nullopt;
    if (!data) missing = name;
    if (data) entries.push_back({name, *data});
    return data.has_value();
  };
  if (!add(profile_file.filename().string(), profile_file)) return std::nullopt;
  ChimeProfile profile;
  read_chime_profile(entries.front().data, profile);
  for (const auto* list : {&profile.hours, &profile.quarters}) {
    for (const ChimeEntry& e : *list) {
      if (!added.insert(e.file).second) continue;
      if (!add(e.file, contained_path(chimes, e.file))) return std::nullopt;
    }
  }
  return entries;
}

bool ExportChimeProfile(const fs::path& archive, const fs::path& profile_file,
                        const fs::path& chimes, Prompts& prompts) {
  std::set<std::string> added;
  std::string missing;
  const auto entries = chime_profile_entries(profile_file, chimes, added, missing);
  if (!entries) {
    prompts.notice("impossible d'ajouter le fichier " + missing);
    return false;
  }
  if (!write_file_atomically(archive, write_archive(*entries))) {
    prompts.notice("impossible d'écrire le fichier " + archive.string());
    return false;
  }
  return true;
}

namespace {

// Where the profile goes: over the one of that name if the user agrees, else under a name the
// user gives that is still free. Nothing when the user cancels.
std::optional<fs::path> profile_target(const fs::path& chimes, const fs::path& target,
                                       Prompts& prompts) {
  if (!file_exists(target)) return target;
  const std::string current = target.stem().string();
  if (prompts.question("Le profile " + current +
                       " est déjà présent dans le dossier des carillons. Souhaitez-vous le "
                       "remplacer?")) {
    return target;
  }
  for (;;) {
    const auto answer = prompts.input("importer sous", "nom du profile", current);
    const auto renamed = answer && !answer->empty() ? file_in_folder(chimes, *answer + ".car")
                                                    : std::nullopt;
    if (!renamed) return std::nullopt;
    if (!file_exists(*renamed)) return renamed;
  }
}

bool extract(const fs::path& target, const std::string& data) {
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  return write_file_atomically(target, data);
}

std::string leaves_folder(const std::string& name) {
  return "L'élément " + name + " de l'archive sort du dossier des carillons et n'a pas été importé.";
}

void tell_problems(const std::vector<std::string>& problems, Prompts& prompts) {
  if (!problems.empty()) prompts.notice(joined(problems, "\r"));
}

}  // namespace

std::vector<std::string> extract_entries(const std::vector<ArchiveEntry>& entries,
                                         const fs::path& folder) {
  std::vector<std::string> problems;
  for (const ArchiveEntry& e : entries) {
    const auto target = contained_path(folder, e.name);
    if (!target) {
      problems.push_back(leaves_folder(e.name));
    } else if (!extract(*target, e.data)) {
      problems.push_back("impossible d'écrire le fichier " + target->string());
    }
  }
  return problems;
}

std::optional<std::string> ImportChimeProfile(const fs::path& archive, const fs::path& chimes,
                                              Prompts& prompts) {
  if (!file_exists(archive)) {
    prompts.notice("Le fichier " + archive.string() + " est introuvable...");
    return std::nullopt;
  }
  ArchiveContents contents = read_archive(archive);
  if (!contents.is_archive || contents.entries.empty()) {
    tell_problems(contents.problems, prompts);
    prompts.notice("Le fichier est vide...");
    return std::nullopt;
  }
  const ArchiveEntry& profile = contents.entries.front();
  const auto named = file_in_folder(chimes, profile.name);
  if (!named) {
    prompts.notice(leaves_folder(profile.name));
    return std::nullopt;
  }
  const auto target = profile_target(chimes, *named, prompts);
  if (!target) return std::nullopt;
  std::vector<std::string> problems = contents.problems;
  if (!extract(*target, profile.data)) {
    prompts.notice("impossible d'écrire le fichier " + target->string());
    return std::nullopt;
  }
  contents.entries.erase(contents.entries.begin());
  for (std::string& problem : extract_entries(contents.entries, chimes)) {
    problems.push_back(std::move(problem));
  }
  tell_problems(problems, prompts);
  return target->stem().string();
}

}  // namespace tavelo
