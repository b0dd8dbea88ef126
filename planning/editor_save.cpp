#include "planning/editor_save.hpp"

#include <algorithm>

#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/editor_options.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_names.hpp"
#include "planning/series.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

EditedPlanning new_edited_planning(const Settings& settings, int day, const LocalTime& now) {
  EditedPlanning edited;
  edited.planning = planning_defaults(settings);
  edited.planning.task.postponement_option = 1;
  edited.day = day;
  edited.time = time_text(std::min(now.hour + 1, 23), 0);
  return edited;
}

std::optional<EditedPlanning> edited_planning_of_file(const fs::path& program_folder,
                                                      const std::string& name,
                                                      const Settings& settings) {
  const auto fields = parse_planning_name(name);
  if (!fields) return std::nullopt;
  EditedPlanning edited;
  edited.mode = kModifyPlanning;
  edited.file = name;
  int readerror = 0;
  edited.original =
      loadplanning(planning_folder(program_folder) / name, program_folder, settings, readerror);
  edited.planning = edited.original;
  edited.day = fields->day;
  edited.time = time_text(fields->hour, fields->minute);
  return edited;
}

namespace {

constexpr std::string_view kEmptySubject = "Tavelo\rLa boîte d'édition sujet est vide...";
constexpr std::string_view kBadTime = "Tavelo\rheure invalide";
constexpr std::string_view kLostIdentifiers =
    "Certains identifiants ont été rayé de la planification dû au fait que les dossiers "
    "correspondants sont introuvables. Souhaitez-vous revoir la sélection des dossier partagés?";
constexpr std::string_view kResetTicks =
    "\rVoulez-vous réinitialiser les coches des jours de la semaine à la date courante?";
constexpr std::string_view kModifyOccurrences = "Voulez-vous moddifier les occurrences?";
constexpr std::string_view kOccurrenceIsFixed =
    "Le type de planification, le nombre de fois ou les coches des jours de la semaine ne "
    "peuvent pas être changés dans une occurence.\rSouhaittez-vous créer une nouvelle "
    "planification?";
constexpr std::string_view kNewCategory =
    "la catégorie spécifiée ne figure pas dans la liste. Souhaitez-vous l'intégrer?";
constexpr std::string_view kNoCategory = "aucune catégorie n'est associée à cette planification";

std::string cannot_write(const fs::path& file) {
  return "impossible d'écrire le fichier " + file.string();
}

// How the planning is written: on its own, as the occurrence of its series it stays, or as a
// new series in place of the one it belonged to.
enum class SavePlan { kPlanning, kOccurrence, kNewSeries };

// Step 3: identifiers whose shared folder is gone leave the planning. True when some did.
bool strike_lost_identifiers(Planning& planning, const ConfirmHooks& hooks) {
  if (!hooks.has_shared_folder) return false;
  std::vector<std::string> kept = sharing_identifiers_of(planning.sharing_identifiers);
  const std::size_t before = kept.size();
  std::erase_if(kept, [&](const std::string& id) { return !hooks.has_shared_folder(id); });
  if (kept.size() == before) return false;
  planning.sharing_identifiers = sharing_text(kept);
  return true;
}

// Step 4, for a weekly planning: the question when no weekday is ticked, or not the working
// date's. Nothing when the ticks hold the working date.
std::optional<std::string> ticks_question(const std::array<int, 7>& ticks, int day) {
  if (std::none_of(ticks.begin(), ticks.end(), [](int tick) { return tick != 0; })) {
    return "Aucun jour de la semaine n'est coché." + std::string(kResetTicks);
  }
  const auto day_of_week = static_cast<std::size_t>(weekday(day));
  if (ticks[day_of_week] != 0) return std::nullopt;
  return "Le " + lower_letters(kDayNames[day_of_week]) + " de la date courante n'est pas coché." +
         std::string(kResetTicks);
}

bool ticks_accepted(EditorFields& fields, int day, Prompts& prompts) {
  if (fields.type != kTypeWeekly) return true;
  const std::optional<std::string> question = ticks_question(fields.weekday_ticks, day);
  if (!question) return true;
  const bool none_ticked = question->starts_with("Aucun");
  if (prompts.question(*question)) {
    fields.weekday_ticks = ticks_of_day(day);
    return true;
  }
  return !none_ticked;  // a weekly planning needs a weekday
}

bool recurrence_changed(const Planning& before, const Planning& after) {
  return before.type != after.type || before.number_of_times != after.number_of_times ||
         (after.type == kTypeWeekly && before.weekday_ticks != after.weekday_ticks);
}

// Step 5, for an occurrence of a series. Nothing keeps the user in the dialog.
std::optional<SavePlan> occurrence_plan(const EditedPlanning& edited, const EditorFields& fields,
                                        Prompts& prompts) {
  if (edited.original.series_link.empty()) return SavePlan::kPlanning;
  if (prompts.question(kModifyOccurrences)) return SavePlan::kNewSeries;
  Planning filled = edited.planning;
  fill_planning(fields, filled);
  if (!recurrence_changed(edited.original, filled)) return SavePlan::kOccurrence;
  if (prompts.question(kOccurrenceIsFixed)) return SavePlan::kPlanning;
  return std::nullopt;
}

// Step 6: a category typed that has no template. Nothing keeps the user in the dialog; true
// when its template is to be made.
std::optional<bool> new_category_wanted(const EditorFields& fields, const fs::path& program_folder,
                                        Prompts& prompts) {
  const std::string category = as_stored(trim_spaces(fields.category));
  if (category.empty()) return false;
  const std::vector<std::string> known = listcategories(program_folder);
  if (std::find(known.begin(), known.end(), category) != known.end()) return false;
  if (!is_template_name(category)) {
    prompts.notice(kBadCategoryName);
    return std::nullopt;
  }
  return prompts.question(kNewCategory);
}

// A template holds options, never a place in a series or on the network.
bool save_template(const Planning& planning, std::string_view name, const PlanningStore& store,
                   Prompts& prompts) {
  Planning options = planning;
  options.series_link.clear();
  options.occurrence_number = 0;
  options.unique_identifier.clear();
  const fs::path file = category_template_file(store.program_folder, name);
  if (saveplanning(file, options, store.settings, store.clock, false)) return true;
  prompts.notice(cannot_write(file));
  return false;
}

struct Saving {
  EditedPlanning& edited;
  const PlanningStore& store;
  Prompts& prompts;
  const ConfirmHooks& hooks;
  fs::path folder;
  int today = 0;
};

bool write_planning_file(const Saving& s, const std::string& name) {
  if (s.store.save(name, s.edited.planning)) return true;
  s.prompts.notice(cannot_write(s.folder / name));
  return false;
}

bool listed(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void remove_file(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);  // a file another program already deleted is no error
}

// A planning of its own: a new name (a deadline asked about), then its series or its
// reproduction up to the deadline when the user wants them, else the one file.
std::vector<std::string> save_single(Saving& s) {
  EditedPlanning& e = s.edited;
  Planning& p = e.planning;
  p.series_link.clear();
  p.occurrence_number = 0;
  const std::string name =
      new_planning_name(s.folder, e.day, e.time, p.subject, "", s.prompts, e.file);
  std::vector<std::string> written =
      offer_series_reproduction(s.store, p, e.day, e.time, false, s.prompts);
  if (written.empty()) {
    // The deadline being modified is the only one: nothing runs up to it but itself.
    const int deadline_day =
        e.file.find("limite") != std::string::npos ? 0 : current_deadline_day(s.folder);
    written =
        offer_deadline_reproduction(s.store, p, e.day, e.time, false, name.ends_with(" limite"),
                                    deadline_day, s.today, s.prompts);
  }
  if (written.empty() && write_planning_file(s, name)) written.push_back(name);
  return written;
}

// The occurrence keeps its series and its name unless its date or time changed.
std::vector<std::string> save_occurrence(Saving& s) {
  const EditedPlanning& e = s.edited;
  const auto fields = parse_planning_name(e.file);
  const bool moved =
      !fields || fields->day != e.day || time_text(fields->hour, fields->minute) != e.time;
  const std::string name =
      moved ? free_planning_name(s.folder, e.day, e.time) + ";" + e.planning.series_link : e.file;
  if (!write_planning_file(s, name)) return {};
  return {name};
}

// The whole series again from this occurrence; the files of the former series go once the new
// ones are written, and the deletion of those shared under another identifier is sent.
std::vector<std::string> save_new_series(Saving& s) {
  EditedPlanning& e = s.edited;
  Planning& p = e.planning;
  const std::vector<std::string> former =
      series_files(s.store.program_folder, e.original.series_link);
  p.series_link.clear();
  p.occurrence_number = 0;
  const bool series = p.number_of_times > 1 && is_recurring_type(p.type) &&
                      p.subject.find("LIMITE") == std::string::npos;
  std::vector<std::string> written =
      series ? reproduce_series(s.store, p, e.day, e.time) : save_single(s);
  if (written.empty()) return written;
  for (const std::string& name : former) {
    if (listed(written, name)) continue;
    if (s.hooks.send_deletion) {
      int readerror = 0;
      const Planning gone =
          loadplanning(s.folder / name, s.store.program_folder, s.store.settings, readerror);
      if (!gone.unique_identifier.empty() && gone.unique_identifier != p.unique_identifier) {
        s.hooks.send_deletion(name, gone);
      }
    }
    remove_file(s.folder / name);
  }
  return written;
}

}  // namespace

Confirmation confirm_planning(EditedPlanning& edited, EditorFields& fields,
                              const PlanningStore& store, Prompts& prompts,
                              const ConfirmHooks& hooks) {
  if (trim_spaces(fields.subject).empty()) {
    prompts.notice(kEmptySubject);
    return Confirmation::kStay;
  }
  const std::optional<std::string> time = time_of_entry(fields.time);
  if (!time) {
    prompts.notice(kBadTime);
    return Confirmation::kStay;
  }
  if (strike_lost_identifiers(edited.planning, hooks) && prompts.question(kLostIdentifiers) &&
      hooks.choose_sharing) {
    hooks.choose_sharing();
  }
  if (!ticks_accepted(fields, edited.day, prompts)) return Confirmation::kStay;
  const std::optional<SavePlan> plan = occurrence_plan(edited, fields, prompts);
  if (!plan) return Confirmation::kStay;
  const std::optional<bool> make_template =
      new_category_wanted(fields, store.program_folder, prompts);
  if (!make_template) return Confirmation::kStay;

  fill_planning(fields, edited.planning);
  edited.time = *time;
  if (*make_template) save_template(edited.planning, edited.planning.category, store, prompts);

  Saving saving{edited, store, prompts, hooks, store.folder(), todaynumber(store.clock)};
  std::vector<std::string> written;
  switch (*plan) {
    case SavePlan::kPlanning:
      written = save_single(saving);
      break;
    case SavePlan::kOccurrence:
      written = save_occurrence(saving);
      break;
    case SavePlan::kNewSeries:
      written = save_new_series(saving);
      break;
  }
  if (written.empty()) return Confirmation::kStay;
  if (!edited.file.empty() && !listed(written, edited.file))
    remove_file(saving.folder / edited.file);
  maintain_deadline(store, saving.today);
  return Confirmation::kSaved;
}

namespace {

// The category of the box as it names its template; nothing, after telling why, when it
// cannot name one.
std::optional<std::string> template_name(const EditorFields& fields, Prompts& prompts) {
  const std::string name = as_stored(trim_spaces(fields.category));
  if (name.empty()) {
    prompts.notice(kNoCategory);
    return std::nullopt;
  }
  if (!is_template_name(name)) {
    prompts.notice(kBadCategoryName);
    return std::nullopt;
  }
  return name;
}

}  // namespace

bool save_category_of_form(const EditedPlanning& edited, const EditorFields& fields,
                           const PlanningStore& store, Prompts& prompts) {
  const std::optional<std::string> name = template_name(fields, prompts);
  if (!name) return false;
  if (file_exists(category_template_file(store.program_folder, *name)) &&
      !prompts.question("remplacer la catégorie " + *name + "?")) {
    return false;
  }
  Planning options = edited.planning;
  fill_planning(fields, options);
  options.category = *name;
  if (!save_template(options, *name, store, prompts)) return false;
  prompts.notice("Tavelo\rLa catégorie est sauvegardée.");
  return true;
}

bool delete_category_of_form(const EditorFields& fields, const fs::path& program_folder,
                             Prompts& prompts) {
  const std::optional<std::string> name = template_name(fields, prompts);
  if (!name) return false;
  const fs::path file = category_template_file(program_folder, *name);
  if (!file_exists(file)) {
    prompts.notice("Tavelo\rLa catégorie " + *name + " ne figure pas dans la liste.");
    return false;
  }
  if (!prompts.question("supprimer la catégorie " + *name + "?")) return false;
  remove_file(file);
  prompts.notice("Tavelo\rLa catégorie a été supprimée.");
  return true;
}

bool background_mode_on(Settings& settings, const fs::path& program_folder, int today,
                        std::string_view question, Prompts& prompts) {
  if (settings.background_mode != 0) return true;
  if (!prompts.question(question)) return false;
  settings.background_mode = 1;
  if (!savesettings(program_folder, settings, today)) {
    prompts.notice(cannot_write(program_folder / kSettingsFile));
  }
  return true;
}

MailSwitch switch_mail_notification(Planning& planning, const Settings& settings,
                                    Prompts& prompts) {
  if (planning.mail_approved != 0) {
    planning.mail_approved = 0;
    prompts.notice("Tavelo\rLa notification par courriel de cette planification est désactivée.");
    return MailSwitch::kOff;
  }
  if (settings.mail_approved != 0 && !trim_spaces(settings.default_mail.recipients).empty()) {
    planning.mail = settings.default_mail;
    planning.mail_approved = 1;
    prompts.notice("Tavelo\rLa notification par courriel de cette planification est activée.");
    return MailSwitch::kOn;
  }
  prompts.notice(
      "Notez que la notification par courriel sera opérationnel lorsque ce courriel sera testé "
      "et appprouvé par l'agenda.");
  return MailSwitch::kUntested;
}

}  // namespace tavelo
