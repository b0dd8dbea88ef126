#include <gtest/gtest.h>

#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/editor_form.hpp"
#include "planning/editor_options.hpp"
#include "planning/editor_save.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;

constexpr int kMonday = 1;
constexpr int kThursday = 4;
const int kToday = daynumber(2026, 12, 7);  // a Monday

TEST(EditorForm, TheFinalDateCountsTheOccurrencesAndRefusesWhatIsNoDate) {
  Recurrence weekly{kTypeWeekly, {}, kAnchorStart, 0};
  weekly.weekday_ticks[kMonday] = 1;
  weekly.weekday_ticks[kThursday] = 1;
  const auto two_weeks_later = read_final_date("21/12/2026", kToday, kToday);
  ASSERT_TRUE(std::holds_alternative<int>(two_weeks_later));
  EXPECT_EQ(occurrences_until(weekly, kToday, std::get<int>(two_weeks_later)), 5);

  EXPECT_EQ(std::get<int>(read_final_date("31.12.2026", kToday, kToday)), daynumber(2026, 12, 31));
  EXPECT_EQ(std::get<int>(read_final_date(" 2-1-2027 ", kToday, kToday)), daynumber(2027, 1, 2));
  EXPECT_EQ(std::get<std::string_view>(read_final_date("31/02/2026", kToday, kToday)),
            kInvalidDate);
  EXPECT_EQ(std::get<std::string_view>(read_final_date("jj/mm/aaaa", kToday, kToday)),
            kInvalidDate);
  EXPECT_EQ(std::get<std::string_view>(read_final_date("12/2026", kToday, kToday)), kBadDateFormat);
  EXPECT_EQ(std::get<std::string_view>(read_final_date("6/12/2026", kToday, kToday)),
            kDateTooEarly);
  // Not before the working date either, even when it is after today.
  EXPECT_EQ(std::get<std::string_view>(read_final_date("8/12/2026", kToday + 5, kToday)),
            kDateTooEarly);
  // The one-off recurrence never moves: one occurrence, and the walk ends.
  EXPECT_EQ(occurrences_until({kTypeOneOff, {}, kAnchorStart, -1}, kToday, kToday + 400), 1);
}

TEST(EditorForm, TheDateKeysMoveTheWorkingDateNeverBeforeToday) {
  EXPECT_EQ(moved_working_date("pageup", kToday + 20, kToday), kToday);
  EXPECT_EQ(moved_working_date("left", kToday, kToday), kToday);
  EXPECT_EQ(moved_working_date("up", kToday + 10, kToday), kToday + 3);
  EXPECT_EQ(moved_working_date("pagedown", kToday, kToday), kToday + 28);
  EXPECT_EQ(moved_working_date("home", kToday + 50, kToday), kToday);
  const int leap_day = daynumber(2028, 2, 29);
  EXPECT_EQ(moved_working_date("controlpagedown", leap_day, kToday), daynumber(2029, 3, 1));
  EXPECT_EQ(moved_working_date("controlpageup", leap_day, kToday), daynumber(2027, 2, 28));
  EXPECT_EQ(moved_working_date("tab", kToday, kToday), std::nullopt);
}

TEST(EditorForm, TimesAndCountsAreReadAsTyped) {
  EXPECT_EQ(time_of_entry("14"), "14:00");
  EXPECT_EQ(time_of_entry("9:05"), "09:05");
  EXPECT_EQ(time_of_entry(" 23:59 "), "23:59");
  EXPECT_EQ(time_of_entry("24:00"), std::nullopt);
  EXPECT_EQ(time_of_entry("12:60"), std::nullopt);
  EXPECT_EQ(time_of_entry(""), std::nullopt);
  EXPECT_EQ(time_of_entry("midi"), std::nullopt);
  EXPECT_EQ(typed_number_of_times("", kTypeWeekly), 0);
  EXPECT_EQ(typed_number_of_times("-7", kTypeWeekly), -1);
  EXPECT_EQ(typed_number_of_times("12", kTypeOneOff), -1);
  EXPECT_EQ(typed_number_of_times("99999999999", kTypeMonthly), kMostTimes);
  EXPECT_EQ(day_time_names().size(), 1440u);
  EXPECT_EQ(recurrence_type_names().size(), 78u);
  EXPECT_EQ(recurrence_type_names().back(), "aux 60 jours");
}

TEST(EditorForm, TheSummarySaysThePlaceInTheSeriesAndItsLastDay) {
  const int first_of_march = daynumber(2027, 3, 1);
  EXPECT_EQ(date_summary(first_of_march, {kTypeOneOff, {}, 1, -1}, 0),
            "date: Lundi, le premier Mars 2027");
  // Every two weeks, three times: the last one is four weeks later.
  const Recurrence fortnight{3, {}, 1, 3};
  EXPECT_EQ(date_summary(first_of_march, fortnight, 0),
            "date: Lundi, le premier Mars 2027, occurrente jusqu'au Lundi, le 29 Mars 2027");
  EXPECT_EQ(date_summary(first_of_march, fortnight, 3),
            "date: Lundi, le premier Mars 2027, (3 de 3), dernière occurrence");
  EXPECT_EQ(controls_of_type(kTypeWeekly).weekdays, true);
  EXPECT_EQ(controls_of_type(kTypeOneOff).count, false);
  EXPECT_EQ(controls_of_type(kTypeMonthWeek1 + 3).anchor, true);
  EXPECT_EQ(controls_of_type(kTypeYearly).anchor, false);
}

TEST(EditorOptions, AnActiveTaskNeedsAProgramOrACommandLine) {
  TaskForm form;
  form.active = true;
  EXPECT_EQ(task_form_fault(form), kNoTask);
  form.command_line = "notify-send bonjour";
  form.postponements = "99999";
  EXPECT_EQ(task_form_fault(form), std::nullopt);
  TaskSettings task;
  store_task_form(form, task);
  EXPECT_EQ(task_form_of(task).command_line, "notify-send bonjour");
  EXPECT_TRUE(task_form_of(task).active);
  EXPECT_EQ(confirmation_caption(true),
            "demander une confirmation d'exécution si le système est utilisé");
  EXPECT_EQ(sharing_text({"bob", "eve"}), "bob\teve\t");
}

class Save : public ::testing::Test {
 protected:
  Save() : clock_({2026, 12, 7, 10, 0, 0, 0}), settings_(default_settings(kToday, false)) {
    apply_zero_value_defaults(settings_);
    fs::create_directories(rdv());
  }

  fs::path rdv() const { return planning_folder(folder_.path()); }
  PlanningStore store() const { return {folder_.path(), settings_, clock_}; }
  std::vector<std::string> files() const { return list_plannings(rdv()); }
  Planning read(const std::string& name) const {
    int readerror = 0;
    return loadplanning(rdv() / name, folder_.path(), settings_, readerror);
  }

  EditedPlanning fresh(int day) const { return new_edited_planning(settings_, day, clock_.now()); }
  Confirmation confirm(EditedPlanning& edited, EditorFields& fields, ScriptedPrompts& prompts) {
    return confirm_planning(edited, fields, store(), prompts, {});
  }

  TempFolder folder_;
  FixedClock clock_;
  Settings settings_;
};

TEST_F(Save, AnEmptySubjectOrABadTimeSavesNothing) {
  EditedPlanning edited = fresh(kToday);
  EditorFields fields = fields_of(edited.planning, edited.time);
  fields.subject = "   ";
  ScriptedPrompts prompts;
  EXPECT_EQ(confirm(edited, fields, prompts), Confirmation::kStay);
  fields.subject = "dentiste";
  fields.time = "25:00";
  EXPECT_EQ(confirm(edited, fields, prompts), Confirmation::kStay);
  EXPECT_EQ(prompts.notices,
            (std::vector<std::string>{"Tavelo\rLa boîte d'édition sujet est vide...",
                                      "Tavelo\rheure invalide"}));
  EXPECT_TRUE(files().empty());
}

TEST_F(Save, ANewPlanningIsSavedUnderItsDateAndTimeWithWhatWindows1252Lacks) {
  EditedPlanning edited = fresh(kToday + 2);
  EXPECT_EQ(edited.time, "11:00");
  EditorFields fields = fields_of(edited.planning, edited.time);
  fields.subject = "  café 日本 ";
  fields.time = "9:30";
  fields.journal = true;
  fields.forewarning_days = 3;
  ScriptedPrompts prompts;
  ASSERT_EQ(confirm(edited, fields, prompts), Confirmation::kSaved);
  const std::string name = std::to_string(kToday + 2) + " 09-30.gnd";
  ASSERT_EQ(files(), std::vector<std::string>{name});
  const Planning saved = read(name);
  EXPECT_EQ(saved.subject, "café ??");
  EXPECT_EQ(saved.journal, 1);
  EXPECT_EQ(saved.forewarning_days, 3);
  EXPECT_EQ(saved.number_of_times, -1);
  EXPECT_EQ(saved.category, " ");
}

TEST_F(Save, AModifiedPlanningThatMovesLeavesNoFileBehind) {
  EditedPlanning first = fresh(kToday);
  EditorFields fields = fields_of(first.planning, "08:00");
  fields.subject = "réunion";
  ScriptedPrompts prompts;
  ASSERT_EQ(confirm(first, fields, prompts), Confirmation::kSaved);
  const std::string old_name = std::to_string(kToday) + " 08-00.gnd";

  std::optional<EditedPlanning> edited =
      edited_planning_of_file(folder_.path(), old_name, settings_);
  ASSERT_TRUE(edited);
  EXPECT_EQ(edited->time, "08:00");
  EditorFields moved = fields_of(edited->planning, edited->time);
  EXPECT_EQ(moved.subject, "réunion");
  edited->day = kToday + 1;
  moved.time = "10:15";
  ASSERT_EQ(confirm(*edited, moved, prompts), Confirmation::kSaved);
  EXPECT_EQ(files(), std::vector<std::string>{std::to_string(kToday + 1) + " 10-15.gnd"});

  // Saved again where it is, it keeps its name and no "a" is added.
  std::optional<EditedPlanning> again =
      edited_planning_of_file(folder_.path(), files()[0], settings_);
  EditorFields same = fields_of(again->planning, again->time);
  ASSERT_EQ(confirm(*again, same, prompts), Confirmation::kSaved);
  EXPECT_EQ(files(), std::vector<std::string>{std::to_string(kToday + 1) + " 10-15.gnd"});
}

TEST_F(Save, AWeeklySeriesIsReproducedAndChangedWholeFromOneOccurrence) {
  EditedPlanning edited = fresh(kToday);
  EditorFields fields = fields_of(edited.planning, "18:00");
  fields.subject = "piscine";
  fields.type = kTypeWeekly;
  fields.number_of_times = "5";
  fields.weekday_ticks = {};
  fields.weekday_ticks[kThursday] = 1;  // not the working date's Monday
  ScriptedPrompts prompts({true, true});
  ASSERT_EQ(confirm(edited, fields, prompts), Confirmation::kSaved);
  EXPECT_EQ(prompts.questions[0],
            "Le lundi de la date courante n'est pas coché.\rVoulez-vous réinitialiser les "
            "coches des jours de la semaine à la date courante?");
  EXPECT_EQ(prompts.questions[1], "Souhaitez-vous reproduire les occurrences dans le calendrier?");
  const std::vector<std::string> series = files();
  ASSERT_EQ(series.size(), 5u);
  EXPECT_TRUE(series.back().starts_with(std::to_string(kToday + 28) + " 18-00.gnd;"));

  // The third occurrence moves the series one hour later: the former five go, and five are
  // reproduced from it.
  std::optional<EditedPlanning> third =
      edited_planning_of_file(folder_.path(), series[2], settings_);
  ASSERT_TRUE(third);
  EXPECT_EQ(third->planning.occurrence_number, 3);
  EditorFields later = fields_of(third->planning, third->time);
  later.time = "19:00";
  ScriptedPrompts modify({true});
  ASSERT_EQ(confirm(*third, later, modify), Confirmation::kSaved);
  EXPECT_EQ(modify.questions[0], "Voulez-vous moddifier les occurrences?");
  const std::vector<std::string> moved = files();
  ASSERT_EQ(moved.size(), 5u);
  for (const std::string& name : moved) EXPECT_NE(name.find(" 19-00.gnd;"), std::string::npos);
  EXPECT_TRUE(moved.front().starts_with(std::to_string(kToday + 14)));

  // A single occurrence cannot change its count: the user may make it a planning of its own.
  std::optional<EditedPlanning> one = edited_planning_of_file(folder_.path(), moved[1], settings_);
  EditorFields recounted = fields_of(one->planning, one->time);
  recounted.number_of_times = "9";
  ScriptedPrompts refuse({false, false});
  EXPECT_EQ(confirm(*one, recounted, refuse), Confirmation::kStay);
  EXPECT_EQ(files(), moved);
}

TEST_F(Save, ANewCategoryGetsItsTemplateAndANameThatLeavesTheFolderIsRefused) {
  EditedPlanning edited = fresh(kToday);
  EditorFields fields = fields_of(edited.planning, "08:00");
  fields.subject = "course";
  fields.category = "../sport";
  ScriptedPrompts prompts({true});
  EXPECT_EQ(confirm(edited, fields, prompts), Confirmation::kStay);
  EXPECT_EQ(prompts.notices.back(), kBadCategoryName);
  fields.category = "sport";
  fields.forewarning_days = 2;
  ASSERT_EQ(confirm(edited, fields, prompts), Confirmation::kSaved);
  EXPECT_EQ(prompts.questions.back(),
            "la catégorie spécifiée ne figure pas dans la liste. Souhaitez-vous l'intégrer?");
  EXPECT_EQ(listcategories(folder_.path()), std::vector<std::string>{"sport"});

  // The template gives its options to a new planning, not its subject.
  int readerror = 0;
  const Planning sport = loadplanning(category_template_file(folder_.path(), "sport"),
                                      folder_.path(), settings_, readerror);
  EditedPlanning next = fresh(kToday);
  EditorFields next_fields = fields_of(next.planning, "09:00");
  take_template_options(sport, next.planning, next_fields);
  EXPECT_EQ(next_fields.forewarning_days, 2);
  EXPECT_EQ(next_fields.subject, "");

  ScriptedPrompts replace({true});
  EXPECT_TRUE(save_category_of_form(next, fields, store(), replace));
  EXPECT_EQ(replace.questions[0], "remplacer la catégorie sport?");
  ScriptedPrompts drop({true});
  EXPECT_TRUE(delete_category_of_form(fields, folder_.path(), drop));
  EXPECT_EQ(drop.notices.back(), "Tavelo\rLa catégorie a été supprimée.");
  EXPECT_TRUE(listcategories(folder_.path()).empty());
}

TEST_F(Save, TheBackgroundModeIsSwitchedOnOnlyWhenTheUserWants) {
  ScriptedPrompts no({false});
  EXPECT_FALSE(background_mode_on(settings_, folder_.path(), kToday, kTaskNeedsBackground, no));
  EXPECT_EQ(settings_.background_mode, 0);
  ScriptedPrompts yes({true});
  EXPECT_TRUE(background_mode_on(settings_, folder_.path(), kToday, kTaskNeedsBackground, yes));
  Settings stored = default_settings(kToday, false);
  loadsettings(folder_.path(), stored);
  EXPECT_EQ(stored.background_mode, 1);
}

}  // namespace
}  // namespace tavelo
