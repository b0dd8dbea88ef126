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

constexpr const char* kIncomplete = "L'archive est incomplète.";
constexpr const char* kTooLarge = "L'archive est trop volumineuse.";
constexpr std::size_t kEntryHeader = 18;

struct EntryHeader {
  std::uint64_t size = 0;    // unpacked
  std::uint64_t stored = 0;  // in the file
  std::size_t name_length = 0;
};

EntryHeader entry_header(const std::string& bytes) {
  return {get_le(bytes, 0, 8), get_le(bytes, 8, 8), static_cast<std::size_t>(get_le(bytes, 16, 2))};
}

// The archive file, read entry after entry; `position` is where the next entry starts.
struct ArchiveFile {
  std::ifstream in;
  std::uint64_t size = 0;
  std::uint64_t position = 4;

  bool more() const { return position < size; }
  std::optional<EntryHeader> next_header() {
    std::string bytes;
    if (size - position < kEntryHeader || !read_exactly(in, bytes, kEntryHeader)) return {};
    position += kEntryHeader;
    return entry_header(bytes);
  }
  void skip(std::uint64_t count) {
    position += count;
    in.seekg(static_cast<std::streamoff>(position));
  }
  void rewind() {
    in.clear();
    position = 4;
    in.seekg(4);
  }
};

// Every header, against what the file holds and the limits; no data is read. Each size is
// compared with what is left on its own, so that no sum can wrap around.
std::optional<std::string> header_problem(ArchiveFile& file, const ArchiveLimits& limits) {
  std::uint64_t total = 0;
  while (file.more()) {
    const auto header = file.next_header();
    if (!header) return kIncomplete;
    const std::uint64_t left = file.size - file.position;
    if (header->name_length > left || header->stored > left - header->name_length) {
      return kIncomplete;
    }
    if (header->size > limits.entry || header->size > limits.total - total) return kTooLarge;
    total += header->size;
    file.skip(header->name_length + header->stored);
  }
  return std::nullopt;
}

// The next entry, unpacked; nothing (with the problem told) when it is damaged. The headers
// have been checked, so every size lies within the file and the limits.
std::optional<ArchiveEntry> next_entry(ArchiveFile& file, std::vector<std::string>& problems) {
  const auto header = file.next_header();
  std::string raw_name, data;
  if (!header || !read_exactly(file.in, raw_name, header->name_length)) {
    problems.emplace_back(kIncomplete);
    file.position = file.size;
    return std::nullopt;
  }
  file.position += header->name_length;
  ArchiveEntry entry{utf8_from_cp1252(raw_name), {}};
  // A stored form larger than what it holds is no form this program writes.
  if (header->stored > header->size) {
    problems.push_back(damaged(entry.name));
    file.skip(header->stored);
    return std::nullopt;
  }
  if (!read_exactly(file.in, data, static_cast<std::size_t>(header->stored))) {
    problems.emplace_back(kIncomplete);
    file.position = file.size;
    return std::nullopt;
  }
  file.position += header->stored;
  if (header->stored == header->size) {
    entry.data = std::move(data);
  } else if (auto unpacked = unpack_block(data, header->size)) {
    entry.data = std::move(*unpacked);
  } else {
    problems.push_back(damaged(entry.name));
    return std::nullopt;
  }
  return entry;
}

}  // namespace

ArchiveWalk walk_archive(const fs::path& path, const ArchiveVisitor& visit,
                         const ArchiveLimits& limits) {
  ArchiveWalk walk;
  std::error_code error;
  ArchiveFile file{std::ifstream(path, std::ios::binary), fs::file_size(path, error)};
  std::string magic;
  if (error || !file.in || !read_exactly(file.in, magic, 4) ||
      (magic != kArchiveMagic && magic != kOlderArchiveMagic)) {
    return walk;
  }
  walk.is_archive = true;
  if (auto problem = header_problem(file, limits)) {
    walk.problems.push_back(std::move(*problem));
    return walk;
  }
  walk.whole = true;
  file.rewind();
  while (file.more()) {
    auto entry = next_entry(file, walk.problems);
    if (entry && !visit(std::move(*entry))) break;
  }
  return walk;
}

namespace {

std::string leaves_folder(const std::string& name) {
  return "L'élément " + name +
         " de l'archive sort du dossier des carillons et n'a pas été importé.";
}

bool extract(const fs::path& target, const std::string& data) {
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  return write_file_atomically(target, data);
}

// Writes one entry under its name in the folder; the problem when it cannot.
std::optional<std::string> extract_entry(const ArchiveEntry& entry, const fs::path& folder) {
  const auto target = contained_path(folder, entry.name);
  if (!target) return leaves_folder(entry.name);
  if (!extract(*target, entry.data)) return "impossible d'écrire le fichier " + target->string();
  return std::nullopt;
}

}  // namespace

ArchiveWalk check_archive(const fs::path& file, const fs::path& folder,
                          const ArchiveLimits& limits) {
  std::vector<std::string> names_refused;
  ArchiveWalk walk = walk_archive(
      file,
      [&](ArchiveEntry&& entry) {
        if (!contained_path(folder, entry.name)) names_refused.push_back(leaves_folder(entry.name));
        return true;
      },
      limits);
  walk.problems.insert(walk.problems.end(), names_refused.begin(), names_refused.end());
  return walk;
}

std::vector<std::string> extract_archive(const fs::path& file, const fs::path& folder,
                                         const ArchiveLimits& limits) {
  std::vector<std::string> written_problems;
  ArchiveWalk walk = walk_archive(
      file,
      [&](ArchiveEntry&& entry) {
        if (auto problem = extract_entry(entry, folder)) {
          written_problems.push_back(std::move(*problem));
        }
        return true;
      },
      limits);
  walk.problems.insert(walk.problems.end(), written_problems.begin(), written_problems.end());
  return walk.problems;
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
    const auto renamed =
        answer && !answer->empty() ? file_in_folder(chimes, *answer + ".car") : std::nullopt;
    if (!renamed) return std::nullopt;
    if (!file_exists(*renamed)) return renamed;
  }
}

void tell_problems(const std::vector<std::string>& problems, Prompts& prompts) {
  if (!problems.empty()) prompts.notice(joined(problems, "\r"));
}

}  // namespace

std::optional<std::string> ImportChimeProfile(const fs::path& archive, const fs::path& chimes,
                                              Prompts& prompts, const ArchiveLimits& limits) {
  if (!file_exists(archive)) {
    prompts.notice("Le fichier " + archive.string() + " est introuvable...");
    return std::nullopt;
  }
  // The first sound entry is the profile: it decides where it goes, or that nothing goes.
  std::optional<fs::path> target;
  bool stopped = false;
  std::vector<std::string> written_problems;
  const auto take = [&](ArchiveEntry&& entry) {
    if (target) {
      if (auto problem = extract_entry(entry, chimes)) written_problems.push_back(*problem);
      return true;
    }
    stopped = true;
    const auto named = file_in_folder(chimes, entry.name);
    if (!named) {
      prompts.notice(leaves_folder(entry.name));
      return false;
    }
    target = profile_target(chimes, *named, prompts);
    if (!target) return false;
    if (!extract(*target, entry.data)) {
      prompts.notice("impossible d'écrire le fichier " + target->string());
      target.reset();
      return false;
    }
    stopped = false;
    return true;
  };
  ArchiveWalk walk = walk_archive(archive, take, limits);
  if (stopped) return std::nullopt;
  walk.problems.insert(walk.problems.end(), written_problems.begin(), written_problems.end());
  tell_problems(walk.problems, prompts);
  if (!target) {
    prompts.notice("Le fichier est vide...");
    return std::nullopt;
  }
  return target->stem().string();
}

}  // namespace tavelo
