#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The section of the start-up and forewarning entries, and of plannings without a category.
inline constexpr const char* kMainSection = "bilan principal";
inline constexpr const char* kJournalSeparator =
    "-------------------------------------------------";  // 49 "-"

// The program folder's own journal folder ("journal").
fs::path default_journal_folder(const fs::path& program_folder);

// The journal folder setting as a usable path (relative settings are taken from the program
// folder).
fs::path journal_folder(const fs::path& program_folder, const Settings& settings);

// The section of a category: the category itself, or "bilan principal" for a blank one. Path
// separators in a category become "_", so that a section never leaves the journal folder.
std::string journal_section(std::string_view category);

// journal folder + section + ".txt".
fs::path journal_section_file(const fs::path& journal_folder, std::string_view category);

// "6 Mars 2026, à 14:05.": the first line of every entry.
std::string journal_header(const LocalTime& now);

// One entry being written: the section's file opened at its end, with the separator line already
// written when the file existed before. Lines are UTF-8 in memory and Windows-1252 ending in
// CR LF on disk. The entry is closed when the object goes.
class JournalEntry {
 public:
  JournalEntry(const fs::path& journal_folder, std::string_view category);
  JournalEntry(JournalEntry&&) = default;

  bool is_open() const { return out_.is_open(); }
  void line(std::string_view text);
  // Every line of a text whose lines are separated by CR LF (a planning's note).
  void lines(std::string_view text);
  bool close();

 private:
  std::ofstream out_;
};

// Entries gathered over a batch (the daily pass journals one for every missed occurrence) and
// appended to their sections when it ends, each section's file opened once. The entries of a
// section come in the order they were started, with the separator line between them and before
// the first when the file existed.
class JournalBatch {
 public:
  // Starts an entry of the category's section in the journal folder; its lines follow. The
  // section's file is returned, to look up in what `write` answers.
  fs::path start(const fs::path& journal_folder, std::string_view category);
  // Every line of a text whose lines are separated by CR LF (a planning's note).
  void lines(std::string_view text);
  // Appends every entry; the section files that could not be written. The batch is then empty.
  std::set<fs::path> write();

 private:
  std::map<fs::path, std::vector<std::string>> sections_;  // each entry's bytes
  std::string* entry_ = nullptr;
};

// Opens an entry of the category's section; the caller writes the header and its lines.
JournalEntry OpenJournalEntry(const fs::path& journal_folder, std::string_view category);

// A planning's note as an entry shows it: an empty line, "  note:" and the note's lines; nothing
// without a note.
void add_note_lines(std::vector<std::string>& lines, const Planning& planning);

// A whole entry: the header and the given lines (a text holding CR LF gives several lines).
// False when the file cannot be written.
bool write_journal_entry(const fs::path& journal_folder, std::string_view category,
                         const LocalTime& now, const std::vector<std::string>& lines);

// Whether an entry may be written. An off journal flag answers no. With no journal folder set,
// the user is asked whether to open the management settings (`open_management_settings`, which
// may set the folder), again while the folder stays empty; a no clears the journal flag and
// answers no.
bool JournalReady(int& journal_flag, const Settings& settings, Prompts& prompts,
                  const std::function<void()>& open_management_settings);

// Moves a journal file to `target`. A section already there keeps its entries: the moved file's
// are added after them. False when the file could not be moved; it then stays where it was.
bool move_journal_file(const fs::path& file, const fs::path& target);
// The sections of the journal folder as the journal window lists them: "bilan principal" first
// when it is there, then every other section in listing order.
std::vector<std::string> journal_sections(const fs::path& journal_folder);

// What CheckJournalFolder did.
enum class JournalFolderCheck {
  kKept,             // the setting names a folder that exists or was created
  kDefaultSet,       // the setting was empty: the default folder is set
  kOldJournalMoved,  // "journal.txt" moved into the default folder
  kFileMoved,        // a journal file named by the setting moved into the default folder
  kFolderReplaced,   // the folder could not be created: the default folder is set
};

// The start-up check of the journal folder setting, first matching case only. Every case that
// changes the setting saves the settings (the last active day written as `today`).
JournalFolderCheck CheckJournalFolder(const fs::path& program_folder, Settings& settings,
                                      Prompts& prompts, int today);

}  // namespace tavelo
