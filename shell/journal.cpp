#include "shell/journal.hpp"

#include <cstdio>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

fs::path default_journal_folder(const fs::path& program_folder) {
  return program_folder / "journal";
}

fs::path journal_folder(const fs::path& program_folder, const Settings& settings) {
  return native_path(program_folder, settings.journal_folder);
}

std::string journal_section(std::string_view category) {
  const std::string_view trimmed = trim_spaces(category);
  if (trimmed.empty()) return kMainSection;
  std::string section(trimmed);
  for (char& c : section) {
    if (c == '/' || c == '\\' || c == '\0') c = '_';
  }
  return section;
}

fs::path journal_section_file(const fs::path& journal_folder, std::string_view category) {
  return journal_folder / path_of(journal_section(category) + ".txt");
}

std::string journal_header(const LocalTime& now) {
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", now.hour % 100, now.minute % 100);
  const auto month = static_cast<std::size_t>(now.month >= 1 && now.month <= 12 ? now.month : 0);
  return std::to_string(now.day) + " " + std::string(kMonthNames[month]) + " " +
         std::to_string(now.year) + ", à " + time + ".";
}

JournalEntry::JournalEntry(const fs::path& journal_folder, std::string_view category) {
  std::error_code error;
  fs::create_directories(journal_folder, error);
  const fs::path file = journal_section_file(journal_folder, category);
  const bool existed = file_exists(file);
  out_.open(file, std::ios::binary | std::ios::app);
  if (out_.is_open() && existed) line(kJournalSeparator);
}

JournalEntry OpenJournalEntry(const fs::path& journal_folder, std::string_view category) {
  return JournalEntry(journal_folder, category);
}

namespace {

void append_line(std::string& bytes, std::string_view text) {
  bytes += cp1252_from_utf8(text);
  bytes += "\r\n";
}

void append_lines(std::string& bytes, std::string_view text) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      append_line(bytes, text.substr(start));
      return;
    }
    append_line(bytes, text.substr(start, end - start));
    start = end + 2;
  }
}

}  // namespace

void JournalEntry::line(std::string_view text) {
  std::string bytes;
  append_line(bytes, text);
  if (out_.is_open()) out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void JournalEntry::lines(std::string_view text) {
  std::string bytes;
  append_lines(bytes, text);
  if (out_.is_open()) out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path JournalBatch::start(const fs::path& journal_folder, std::string_view category) {
  fs::path file = journal_section_file(journal_folder, category);
  entry_ = &sections_[file].emplace_back();
  return file;
}

void JournalBatch::lines(std::string_view text) {
  if (entry_ != nullptr) append_lines(*entry_, text);
}

std::set<fs::path> JournalBatch::write() {
  std::set<fs::path> failed;
  std::string separator;
  append_line(separator, kJournalSeparator);
  for (const auto& [file, entries] : sections_) {
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    bool separate = file_exists(file);
    std::ofstream out(file, std::ios::binary | std::ios::app);
    for (const std::string& entry : entries) {
      if (separate) out.write(separator.data(), static_cast<std::streamsize>(separator.size()));
      out.write(entry.data(), static_cast<std::streamsize>(entry.size()));
      separate = true;
    }
    out.close();
    if (out.fail()) failed.insert(file);
  }
  sections_.clear();
  entry_ = nullptr;
  return failed;
}

bool JournalEntry::close() {
  if (!out_.is_open()) return false;
  out_.close();
  return !out_.fail();
}

void add_note_lines(std::vector<std::string>& lines, const Planning& planning) {
  if (!has_note(planning)) return;
  lines.emplace_back();
  lines.emplace_back("  note:");
  lines.push_back(planning.note);
}

bool write_journal_entry(const fs::path& journal_folder, std::string_view category,
                         const LocalTime& now, const std::vector<std::string>& lines) {
  JournalEntry entry = OpenJournalEntry(journal_folder, category);
  if (!entry.is_open()) return false;
  entry.line(journal_header(now));
  for (const std::string& text : lines) entry.lines(text);
  return entry.close();
}

std::vector<std::string> journal_sections(const fs::path& journal_folder) {
  std::vector<std::string> others;
  bool main_section = false;
  for (const std::string& file : list_files(journal_folder, "*.txt")) {
    std::string section = file.substr(0, file.size() - 4);
    if (section == kMainSection) {
      main_section = true;
    } else {
      others.push_back(std::move(section));
    }
  }
  std::vector<std::string> sections;
  if (main_section) sections.emplace_back(kMainSection);
  for (std::string& section : others) sections.push_back(std::move(section));
  return sections;
}

bool JournalReady(int& journal_flag, const Settings& settings, Prompts& prompts,
                  const std::function<void()>& open_management_settings) {
  if (journal_flag == 0) return false;
  while (settings.journal_folder.empty()) {
    if (!prompts.question(
            "tavelo\rLa plannification suivante doit être journalisée dans un dossier,\rlequel "
            "n'ayant pas été spécifié dans la gestion des plannifications du menu "
            "option.\rVoulez-vous accéder aux options de gestion?")) {
      journal_flag = 0;
      return false;
    }
    // Without the management settings a yes can set no folder: it counts as a no.
    if (!open_management_settings) {
      journal_flag = 0;
      return false;
    }
    open_management_settings();
  }
  return true;
}

bool move_journal_file(const fs::path& file, const fs::path& target) {
  std::error_code error;
  if (!file_exists(target)) {
    fs::rename(file, target, error);
    if (!error) return true;
  }
  const auto bytes = read_file(file);
  if (!bytes) return false;
  std::ofstream out(target, std::ios::binary | std::ios::app);
  out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
  out.close();
  if (out.fail()) return false;
  fs::remove(file, error);
  return true;
}

namespace {

// Moves a journal file into the folder as "bilan principal.txt".
bool move_into_main_section(const fs::path& file, const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  return move_journal_file(file, folder / (std::string(kMainSection) + ".txt"));
}

bool names_a_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

void use_default_folder(const fs::path& program_folder, Settings& settings, int today) {
  const fs::path folder = default_journal_folder(program_folder);
  std::error_code error;
  fs::create_directories(folder, error);
  settings.journal_folder = folder.string();
  savesettings(program_folder, settings, today);
}

}  // namespace

JournalFolderCheck CheckJournalFolder(const fs::path& program_folder, Settings& settings,
                                      Prompts& prompts, int today) {
  const fs::path default_folder = default_journal_folder(program_folder);
  if (settings.journal_folder.empty()) {
    use_default_folder(program_folder, settings, today);
    return JournalFolderCheck::kDefaultSet;
  }
  const fs::path named = native_path(program_folder, settings.journal_folder);
  if (settings.journal_folder == "journal.txt" && names_a_file(named)) {
    move_into_main_section(named, default_folder);
    use_default_folder(program_folder, settings, today);
    return JournalFolderCheck::kOldJournalMoved;
  }
  if (names_a_file(named)) {
    prompts.notice(
        "Note de mise à jour...\rPuisque l'agenda gère maintenant les fichiers journaux\ren "
        "tenant compte des catégories des planifications, le fichier:\r" +
        settings.journal_folder +
        "\rsera déplacé dans le dossier journal par défaut de l'agenda\rsous le nom, bilan "
        "principal.txt.\rPour modifier son emplacement, allez dans le menu option, à "
        "partir\rdu calendrier, puis allez dans la gestion des planifications.");
    move_into_main_section(named, default_folder);
    use_default_folder(program_folder, settings, today);
    return JournalFolderCheck::kFileMoved;
  }
  std::error_code error;
  const bool exists = fs::is_directory(named, error);
  if (exists || (fs::create_directories(named, error), fs::is_directory(named, error))) {
    return JournalFolderCheck::kKept;
  }
  prompts.notice(
      "Note de mise à jour...\rPuisque l'agenda gère maintenant les fichiers journaux\ren tenant "
      "compte des catégories des planifications, la prochaine\rcréation de votre fichier journal "
      "principal se fera\rdans le dossier journal par défaut de l'agenda sous le "
      "nom,,\rbilan principal.txt.\rPour modifier son emplacement, allez dans le menu option, à "
      "partir\rdu calendrier, puis allez dans la gestion des planifications.");
  use_default_folder(program_folder, settings, today);
  return JournalFolderCheck::kFolderReplaced;
}

}  // namespace tavelo
