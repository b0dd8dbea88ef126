#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "exchange/exchange_file.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kStagingFolder = "rdvimp";
inline constexpr const char* kPreviousFilterFile = "cat.tmp";

struct ImportContext {
  fs::path program_folder;
  const Settings& settings;
  const Clock& clock;
  Prompts& prompts;
};

// What an exchange file put in "rdvimp", and whether its filter took the place of cat.bin.
struct StagedImport {
  std::vector<ExchangeEntry> plannings;
  std::vector<ExchangeEntry> templates;  // category templates ("travail.cat")
  bool filter = false;                   // an imported filter is in cat.bin
  bool previous_filter = false;          // the previous cat.bin waits in cat.tmp
  bool filter_taken = false;             // the import merged it with the previous one
};

// Empties "rdvimp" and stages the plannings, templates and filter of an exchange file. A file
// that cannot be read or does not begin with "[planing]" is refused with a notice; plannings
// refused on the way are listed in one notice and the others are staged.
std::optional<StagedImport> stage_exchange_file(const ImportContext& context,
                                                const fs::path& exchange_file);

// The choices of the import dialog.
struct ImportChoice {
  bool by_category = false;             // "importer par catégorie"
  std::vector<std::string> plannings;   // staged plannings chosen ("importer les planifications")
  std::vector<std::string> categories;  // categories chosen ("importer par catégorie")
  bool category_files = false;          // "fichiers de catégorie"
  bool category_filter = false;         // "filtre de catégorie (temps réel)"
};

enum class ImportOutcome {
  kNothingChosen,  // "Rien n'a été inporté.": the dialog stays open
  kImported,
  kFailed,  // told to the user; "rdv" is as it was
};

// OK of the import dialog: the plannings (and templates) chosen are copied into "rdv" after the
// delete-before-import question, under a free name; the imported filter is merged with the
// previous one. A failure on the way puts back everything it changed in "rdv".
ImportOutcome import_chosen(const ImportContext& context, StagedImport& staged,
                            const ImportChoice& choice);

// The end of an import, OK or cancel: "rdvimp" is emptied, and a filter that was not taken
// gives way to the previous one again.
void finish_import(const ImportContext& context, const StagedImport& staged);

// The staged plannings as the import window lists them, in their order: date, time and subject
// as in the lists of plannings, or the file name when it carries no date.
std::vector<std::string> staged_lines(const StagedImport& staged);

// The categories of the staged plannings and templates, each once, in their order.
std::vector<std::string> staged_categories(const StagedImport& staged);

// The import without its window: `choose` shows the staged plannings and returns the user's
// choice, or nothing on cancel. "Il n'y a rien à importer." when the file holds nothing. True
// when something was imported.
using ChooseImport = std::function<std::optional<ImportChoice>(const StagedImport&)>;
bool import_exchange_file(const ImportContext& context, const fs::path& exchange_file,
                          const ChooseImport& choose);

}  // namespace tavelo
