#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The ".txa" exchange file: Windows-1252 text, one value per line (CR LF), in sections.
inline constexpr const char* kPlanningSection = "[planing]";
inline constexpr const char* kCategorySection = "[catégorie]";
inline constexpr const char* kFilterSection = "[filtre]";
inline constexpr const char* kEndOfPlan = "endofplan";
inline constexpr const char* kNotConforming = "le fichier spécifié n'est pas comforme.";

// Exchange files larger than this are read only up to it; what is cut off is not imported.
inline constexpr std::size_t kExchangeFileLimit = 64u << 20;

// A planning (or a category template) as it travels: its file name and its record.
struct ExchangeEntry {
  std::string name;
  Planning planning;
};

struct ExchangeContent {
  std::vector<ExchangeEntry> plannings;            // "[planing]"
  std::vector<ExchangeEntry> categories;           // "[catégorie]": category templates
  std::optional<std::vector<std::string>> filter;  // "[filtre]": the entries of cat.bin
};

// The bytes of an exchange file. Each planning is its name, then every field of its planning
// file in order, one per line; the note is its length in characters followed by its text.
std::string write_exchange_file(const ExchangeContent& content);

// The lines of an exchange file being read. Line ends may be CR LF or LF.
struct ExchangeReader {
  explicit ExchangeReader(std::string_view file_bytes) : bytes(file_bytes) {}
  std::string_view bytes;
  std::size_t position = 0;

  bool at_end() const { return position >= bytes.size(); }
  std::string_view peek_line() const;
  std::string_view next_line();
  // Up to `count` bytes (characters of the code page), fewer when the file ends first.
  std::string_view next_characters(std::size_t count);
};

// What one section gave: the plannings read whole and valid, and the names of those refused
// (a number that does not fit its field, a planning cut off by the end of the file).
struct ExchangeSection {
  std::vector<ExchangeEntry> entries;
  std::vector<std::string> refused;
};

// Reads the plannings of a section until a line beginning with "[" (the next section's header,
// left unread) or the end of the file. Fields missing before "endofplan" take the defaults of a
// planning file cut short.
ExchangeSection ParseExchangeSection(ExchangeReader& reader, const Settings& settings);

// The filter section after its header: a count, then that many entries, or fewer when the file
// ends first. Nothing for a count that is not a number of the filter's range.
std::optional<std::vector<std::string>> parse_filter_section(ExchangeReader& reader);

// A whole exchange file; nothing when its first line is not "[planing]".
struct ParsedExchange {
  ExchangeContent content;
  std::vector<std::string> refused;
};
std::optional<ParsedExchange> read_exchange_file(std::string_view bytes, const Settings& settings);

// The message that lists the plannings of an exchange file that were not taken.
std::string refused_plannings_message(const std::vector<std::string>& names);

// ---- export ----

// What the export dialog chose: planning files of "rdv", category names whose templates go in
// "[catégorie]", and whether cat.bin goes in "[filtre]".
struct ExportChoice {
  std::vector<std::string> plannings;
  std::vector<std::string> categories;
  bool filter = false;
};

// Writes the exchange file of the choice. "Il n'y a rien à exporter." when nothing is chosen,
// "Aucune donnée n'a été exportée." when nothing could be read or the target not written.
bool export_plannings(const fs::path& program_folder, const Settings& settings,
                      const ExportChoice& choice, const fs::path& target, Prompts& prompts);

// The category of a planning without the spaces around it; empty without one.
std::string category_of(const Planning& planning);

// The plannings of "rdv" whose category is one of `categories`, in name order.
std::vector<std::string> plannings_of_categories(const fs::path& program_folder,
                                                 const Settings& settings,
                                                 const std::vector<std::string>& categories);

// The calendar report: its title line, one list line per planning and, with `notes`, each
// note's lines indented under "  note :". Text in memory; `write_calendar_report` stores it.
inline constexpr const char* kReportTitle = "rapport des planifications de votre calendrier";
std::string calendar_report(const fs::path& program_folder, const Settings& settings,
                            const std::vector<std::string>& plannings, bool notes);
bool write_calendar_report(const fs::path& program_folder, const Settings& settings,
                           const std::vector<std::string>& plannings, bool notes,
                           const fs::path& target, Prompts& prompts);

}  // namespace tavelo
