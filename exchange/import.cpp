#include "exchange/import.hpp"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"
#include "platform/files.hpp"
#include "platform/os.hpp"

namespace tavelo {

namespace {

fs::path staging_folder(const ImportContext& context) {
  return context.program_folder / kStagingFolder;
}

void empty_folder(const fs::path& folder) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder, error);
}

// A previous filter left in cat.tmp (an import that did not end) takes its place again.
void restore_previous_filter(const fs::path& program_folder) {
  const fs::path previous = program_folder / kPreviousFilterFile;
  if (!file_exists(previous)) return;
  std::error_code error;
  fs::remove(program_folder / kFilterFile, error);
  fs::rename(previous, program_folder / kFilterFile, error);
}

// Writes each entry read whole into the staging folder; those whose name would leave the folder
// join the refused ones. A name met twice holds the later planning, as its staged file does, and
// takes the later one's place in the list. The staging folder is scratch, emptied before and
// after every import, so its files are written without the saves' syncs.
std::vector<ExchangeEntry> stage(const ImportContext& context, std::vector<ExchangeEntry> entries,
                                 std::vector<std::string>& refused) {
  const fs::path folder = staging_folder(context);
  std::vector<bool> saved(entries.size(), false);
  std::unordered_map<std::string, std::size_t> last_saved;
  last_saved.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    ExchangeEntry& entry = entries[i];
    const auto file = file_in_folder(folder, entry.name);
    saved[i] = file && write_scratch_file(*file, write_planning(entry.planning));
    if (saved[i]) {
      last_saved[entry.name] = i;
    } else {
      refused.push_back(entry.name);
    }
  }
  // The staged entries are kept in place: with no namesake nor failure, none is moved.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!saved[i] || last_saved[entries[i].name] != i) continue;
    if (kept != i) entries[kept] = std::move(entries[i]);
    ++kept;
  }
  entries.resize(kept);
  return entries;
}

void stage_filter(const ImportContext& context, const std::vector<std::string>& filter,
                  StagedImport& staged) {
  const fs::path current = context.program_folder / kFilterFile;
  std::error_code error;
  if (file_exists(current)) {
    fs::rename(current, context.program_folder / kPreviousFilterFile, error);
    if (error) return;
    staged.previous_filter = true;
  }
  staged.filter = write_file_atomically(current, write_filter(filter));
}

}  // namespace

std::optional<StagedImport> stage_exchange_file(const ImportContext& context,
                                                const fs::path& exchange_file) {
  restore_previous_filter(context.program_folder);
  empty_folder(staging_folder(context));
  const auto bytes = read_file(exchange_file, kExchangeFileLimit);
  if (!bytes) {
    context.prompts.notice("le fichier spécifié est introuvable ou illisible.");
    return std::nullopt;
  }
  auto parsed = read_exchange_file(*bytes, context.settings);
  if (!parsed) {
    context.prompts.notice(kNotConforming);
    return std::nullopt;
  }
  StagedImport staged;
  staged.plannings = stage(context, std::move(parsed->content.plannings), parsed->refused);
  staged.templates = stage(context, std::move(parsed->content.categories), parsed->refused);
  if (parsed->content.filter) stage_filter(context, *parsed->content.filter, staged);
  if (!parsed->refused.empty()) context.prompts.notice(refused_plannings_message(parsed->refused));
  return staged;
}

namespace {

// The changes an import makes in "rdv": files written, and files set aside in the staging
// folder until the import has gone through, so that a failure can put everything back. The
// staged files already on the disk may be moved into "rdv" as they are.
struct RdvChange {
  fs::path rdv;
  fs::path aside;
  std::vector<std::string> written;
  std::vector<std::string> set_aside;
  std::unordered_set<std::string> staged_on_disk;
};

bool set_aside(RdvChange& change, const std::string& name) {
  std::error_code error;
  fs::create_directories(change.aside, error);
  fs::rename(change.rdv / name, change.aside / name, error);
  if (!error) change.set_aside.push_back(name);
  return !error;
}

void undo(const RdvChange& change) {
  std::error_code error;
  for (const std::string& name : change.written) fs::remove(change.rdv / name, error);
  for (const std::string& name : change.set_aside) {
    fs::rename(change.aside / name, change.rdv / name, error);
  }
}

// Saves a staged planning in "rdv" under its name, with "a" appended while that name is taken
// (or, with `replace`, in place of the file of that name). The planning is read from the bytes
// its staged file was given, so it comes out exactly as a load of that file would give it,
// without reading the file back. When it comes out as staged, the staged file itself is moved
// into "rdv", already on the disk: a rename instead of a new file.
bool copy_staged(const ImportContext& context, RdvChange& change, const ExchangeEntry& entry,
                 bool replace = false) {
  const std::string staged_bytes = write_planning(entry.planning);
  int readerror = 0;
  Planning planning = read_planning(staged_bytes, context.settings, readerror);
  drop_missing_sound(planning, context.program_folder, context.settings);
  if (replace) {
    if (file_exists(change.rdv / entry.name) && !set_aside(change, entry.name)) return false;
    if (!saveplanning(change.rdv / entry.name, planning, context.settings, context.clock, false)) {
      return false;
    }
    change.written.push_back(entry.name);
    return true;
  }
  const std::string bytes = write_planning(planning);
  std::optional<std::string> target;
  if (bytes == staged_bytes && change.staged_on_disk.contains(entry.name)) {
    target = move_to_new_name(staging_folder(context) / entry.name, change.rdv,
                              names_with_a_appended(entry.name));
  }
  if (!target) {
    target = write_new_file_atomically(change.rdv, bytes, names_with_a_appended(entry.name));
  }
  if (!target) return false;
  change.written.push_back(std::move(*target));
  return true;
}

// The names of the chosen plannings whose staged files are on the disk.
std::unordered_set<std::string> staged_on_disk(const ImportContext& context,
                                               const std::vector<const ExchangeEntry*>& chosen) {
  std::vector<fs::path> files;
  files.reserve(chosen.size());
  for (const ExchangeEntry* entry : chosen) files.push_back(staging_folder(context) / entry->name);
  const std::vector<bool> flushed = flush_files(files);
  std::unordered_set<std::string> names;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    if (flushed[i]) names.insert(chosen[i]->name);
  }
  return names;
}

using NameSet = std::unordered_set<std::string>;

NameSet set_of(const std::vector<std::string>& names) {
  return NameSet(names.begin(), names.end());
}

std::string template_category(const ExchangeEntry& entry) {
  return category_name_of(entry.name);
}

// Step 6 or 7: which staged plannings go, and which plannings of "rdv" the question deletes.
struct ImportPlan {
  std::vector<const ExchangeEntry*> plannings;
  std::vector<const ExchangeEntry*> templates;
  std::vector<std::string> deletable;
  const char* delete_question;
};

ImportPlan plan_of(const ImportContext& context, const StagedImport& staged,
                   const ImportChoice& choice) {
  ImportPlan plan;
  const NameSet categories = set_of(choice.categories);
  if (choice.by_category) {
    for (const ExchangeEntry& entry : staged.plannings) {
      if (categories.contains(category_of(entry.planning))) plan.plannings.push_back(&entry);
    }
    plan.deletable =
        plannings_of_categories(context.program_folder, context.settings, choice.categories);
    plan.delete_question =
        "supprimer toutes les plannifications des catégories consernées avant d'importer?";
  } else {
    const NameSet chosen = set_of(choice.plannings);
    for (const ExchangeEntry& entry : staged.plannings) {
      if (chosen.contains(entry.name)) plan.plannings.push_back(&entry);
    }
    plan.deletable = list_plannings(planning_folder(context.program_folder));
    plan.delete_question = "supprimer toutes les plannifications avant d'importer?";
  }
  if (choice.category_files) {
    for (const ExchangeEntry& entry : staged.templates) {
      if (!choice.by_category || categories.contains(template_category(entry))) {
        plan.templates.push_back(&entry);
      }
    }
  }
  return plan;
}

bool apply_plan(const ImportContext& context, const ImportPlan& plan, RdvChange& change) {
  // The question is put only when there is something to import and something to delete.
  if (!plan.plannings.empty() && !plan.deletable.empty() &&
      context.prompts.question(plan.delete_question)) {
    for (const std::string& name : plan.deletable) {
      if (!set_aside(change, name)) return false;
    }
  }
  for (const ExchangeEntry* entry : plan.plannings) {
    if (!copy_staged(context, change, *entry)) return false;
  }
  for (const ExchangeEntry* entry : plan.templates) {
    const bool exists = file_exists(change.rdv / entry->name);
    if (exists && !context.prompts.question(
                      "remplacer la catégorie: " + category_name_of(entry->name) + "?")) {
      continue;
    }
    if (!copy_staged(context, change, *entry, true)) return false;
  }
  return true;
}

// The previous filter's entries that the imported one lacks are added to it.
void merge_filters(const ImportContext& context) {
  const fs::path previous_file = context.program_folder / kPreviousFilterFile;
  std::vector<std::string> filter = loadfilter(context.program_folder);
  if (const auto record = read_file(previous_file)) {
    for (const std::string& entry : read_filter_record(*record).value_or(filter)) {
      if (filter.size() < 32767 && !isfiltered(filter, entry)) filter.push_back(entry);
    }
  }
  if (write_file_atomically(context.program_folder / kFilterFile, write_filter(filter))) {
    std::error_code error;
    fs::remove(previous_file, error);
  }
}

}  // namespace

ImportOutcome import_chosen(const ImportContext& context, StagedImport& staged,
                            const ImportChoice& choice) {
  const ImportPlan plan = plan_of(context, staged, choice);
  const bool filter = choice.category_filter && staged.filter;
  if (plan.plannings.empty() && plan.templates.empty() && !filter) {
    context.prompts.notice("Rien n'a été inporté.");
    return ImportOutcome::kNothingChosen;
  }
  RdvChange change{planning_folder(context.program_folder),
                   staging_folder(context) / "~mis de côté",
                   {},
                   {},
                   staged_on_disk(context, plan.plannings)};
  const FolderSyncBatch batch;
  if (!apply_plan(context, plan, change)) {
    undo(change);
    context.prompts.notice("L'importation a échoué, vos planifications sont restées inchangées.");
    return ImportOutcome::kFailed;
  }
  if (filter) {
    merge_filters(context);
    staged.filter_taken = true;
  }
  return ImportOutcome::kImported;
}

void finish_import(const ImportContext& context, const StagedImport& staged) {
  empty_folder(staging_folder(context));
  // An imported filter that was not taken goes, even when there was none before it.
  if (staged.filter && !staged.filter_taken && !staged.previous_filter) {
    std::error_code error;
    fs::remove(context.program_folder / kFilterFile, error);
  }
  restore_previous_filter(context.program_folder);
}

std::vector<std::string> staged_lines(const StagedImport& staged) {
  std::vector<std::string> lines;
  for (const ExchangeEntry& entry : staged.plannings) {
    lines.push_back(planning_list_line(entry.name, entry.planning).value_or(entry.name));
  }
  return lines;
}

std::vector<std::string> staged_categories(const StagedImport& staged) {
  std::vector<std::string> categories;
  auto add = [&categories](const std::string& category) {
    if (!category.empty() && std::ranges::find(categories, category) == categories.end()) {
      categories.push_back(category);
    }
  };
  for (const ExchangeEntry& entry : staged.plannings) add(category_of(entry.planning));
  for (const ExchangeEntry& entry : staged.templates) add(template_category(entry));
  return categories;
}

bool import_exchange_file(const ImportContext& context, const fs::path& exchange_file,
                          const ChooseImport& choose) {
  auto staged = stage_exchange_file(context, exchange_file);
  if (!staged) return false;
  ImportOutcome outcome = ImportOutcome::kNothingChosen;
  if (staged->plannings.empty() && staged->templates.empty() && !staged->filter) {
    context.prompts.notice("Il n'y a rien à importer.");
  } else {
    while (outcome == ImportOutcome::kNothingChosen) {
      const auto choice = choose(*staged);
      if (!choice) break;
      outcome = import_chosen(context, *staged, *choice);
    }
  }
  finish_import(context, *staged);
  return outcome == ImportOutcome::kImported;
}

}  // namespace tavelo
