#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "planning/editor_form.hpp"
#include "planning/planning_file.hpp"
#include "planning/prompts.hpp"

namespace tavelo {

// What the planning editor does on OK and with its category buttons, without any window.

// The planning the editor works on.
struct EditedPlanning {
  int mode = kNewPlanning;
  std::string file;   // modified: its file in "rdv"
  Planning original;  // modified: as its file held it
  Planning planning;  // the current planning, with what the small dialogs set
  int day = 0;        // the working date
  std::string time;   // its time of day, "hh:mm"
};

// A new planning at `day`, at the full hour after `now`: the settings' alarm and
// notifications, no note, no task (the task may be postponed), counted from the start of the
// month.
EditedPlanning new_edited_planning(const Settings& settings, int day, const LocalTime& now);

// The planning of the file `name` of "rdv"; its date is the one its name carries. Nothing for a
// name that carries none. A file that cannot be read is edited with what could be read.
std::optional<EditedPlanning> edited_planning_of_file(const fs::path& program_folder,
                                                      const std::string& name,
                                                      const Settings& settings);

// What the confirmation reaches outside the planning core.
struct ConfirmHooks {
  // Whether a sharing identifier still has its shared folder in the settings.
  std::function<bool(std::string_view identifier)> has_shared_folder;
  // The sharing choice, on the current planning.
  std::function<void()> choose_sharing;
  // Sends the deletion of a shared planning whose file goes away for good.
  std::function<void(const std::string& file, const Planning& planning)> send_deletion;
};

enum class Confirmation { kStay, kSaved };

// The editor's OK: the checks in their order (subject, time, sharing identifiers, weekday ticks,
// occurrences of a series, new category), each with its notice or question; then the fields go
// into the current planning, which is saved under its file name (a deadline asked about), its
// series reproduced when asked, and the deadline kept up. A modified planning that moves to
// another name leaves no file behind at the old one, once the new one is written. kStay keeps
// the user in the dialog, with the ticks of `fields` perhaps reset.
Confirmation confirm_planning(EditedPlanning& edited, EditorFields& fields,
                              const PlanningStore& store, Prompts& prompts,
                              const ConfirmHooks& hooks);

// "enregistrer la &catégorie": the current options under the category of the box, after asking
// to replace a template already there. False when nothing was saved.
bool save_category_of_form(const EditedPlanning& edited, const EditorFields& fields,
                           const PlanningStore& store, Prompts& prompts);

// "&supprimer la catégorie": deletes the template of the category of the box, once confirmed.
bool delete_category_of_form(const EditorFields& fields, const fs::path& program_folder,
                             Prompts& prompts);

// The functions of the editor that work only while the agenda runs in the background ask to
// switch it on first; yes switches it on and saves the settings. True when it is on.
inline constexpr std::string_view kAlarmNeedsBackground =
    "Pour utiliser les options d'alarme personnalisée, l'agenda doit fonctionner en "
    "arrière-plan.  Voulez-vous activer cette fonction?";
inline constexpr std::string_view kTaskNeedsBackground =
    "Pour utiliser les options de tâche, l'agenda doit fonctionner en arrière-plan.  Voulez-vous "
    "activer cette fonction?";
inline constexpr std::string_view kUrlTaskNeedsBackground =
    "Pour utiliser la fonction de tâche URL, l'agenda doit fonctionner en arrière-plan.  "
    "Voulez-vous activer cette fonction?";
inline constexpr std::string_view kSpokenNeedsBackground =
    "Pour utiliser la fonction de notification, l'agenda doit fonctionner en arrière-plan.  "
    "Voulez-vous activer cette fonction?";
inline constexpr std::string_view kMailNeedsBackground =
    "Pour utiliser la fonction de notification par courriel, l'agenda doit fonctionner en "
    "arrière-plan.  Voulez-vous activer cette fonction?";
bool background_mode_on(Settings& settings, const fs::path& program_folder, int today,
                        std::string_view question, Prompts& prompts);

// "noti&fication par courriel": turns the planning's mail notification off, or on with the
// agenda's tested mail settings; each is told. kUntested when it stays off for want of tested
// settings: the user is told, and may set the planning's own.
enum class MailSwitch { kOff, kOn, kUntested };
MailSwitch switch_mail_notification(Planning& planning, const Settings& settings, Prompts& prompts);

}  // namespace tavelo
