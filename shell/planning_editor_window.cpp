#include <algorithm>
#include <array>

#include "access/dialog.hpp"
#include "access/mail_dialog.hpp"
#include "access/menus.hpp"
#include "access/note_pad_window.hpp"
#include "access/notification_dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "alarms/alarm_dialog.hpp"
#include "exchange/sharing.hpp"
#include "exchange/sharing_window.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/editor_form.hpp"
#include "planning/editor_options.hpp"
#include "planning/editor_save.hpp"
#include "planning/occurrences.hpp"
#include "planning/text.hpp"
#include "platform/services.hpp"
#include "shell/planning_windows.hpp"
#include "shell/screen_reader.hpp"

namespace tavelo {

namespace {

// A label names the control numbered right after it, for the screen reader.
constexpr int kSubject = 11;
constexpr int kAlarm = 23;
constexpr int kTask = 24;
constexpr int kSaveCategory = 25;
constexpr int kDeleteCategory = 26;
constexpr int kNote = 27;
constexpr int kRecompute = 28;
constexpr int kFinalDate = 29;
constexpr int kJournal = 38;
constexpr int kDate = 40;
constexpr int kCategory = 42;
constexpr int kTime = 44;
constexpr int kType = 46;
constexpr int kAnchorLabel = 47;
constexpr int kAnchor = 48;
constexpr int kWeekdaysLabel = 49;
constexpr int kWeekdays = 50;
constexpr int kForewarning = 52;
constexpr int kTimesLabel = 53;
constexpr int kTimes = 54;
constexpr int kSpoken = 201;
constexpr int kUrlTask = 202;
constexpr int kMail = 203;
constexpr int kMailSettings = 204;
constexpr int kShare = 205;
constexpr int kSaveAtDate = 206;
constexpr int kHelp = 207;

// The slot of the editor's window while a window of its own is over it.
constexpr int kEditorSlot = 1;

constexpr ControlSpec kEditorControls[] = {
    {ControlKind::label, kDate - 1, "date:", 1, 2},
    {ControlKind::text_field, kDate, "", 1, 9, 66, 2, kReadOnly},
    {ControlKind::label, kCategory - 1, "catégorie", 3, 2},
    {ControlKind::combo_box, kCategory, "", 3, 28, 30, 2, kEditable},
    {ControlKind::label, kSubject - 1, "sujet:", 5, 2},
    {ControlKind::text_field, kSubject, "", 5, 28, 46},
    {ControlKind::label, kTime - 1, "heure:", 7, 2},
    {ControlKind::combo_box, kTime, "", 7, 28, 10, 2, kEditable},
    {ControlKind::label, kType - 1, "type:", 9, 2},
    {ControlKind::combo_box, kType, "", 9, 28, 30},
    {ControlKind::label, kAnchorLabel, "à partir", 11, 2},
    {ControlKind::combo_box, kAnchor, "", 11, 28, 30},
    {ControlKind::label, kWeekdaysLabel, "jours de la semaine", 13, 2},
    {ControlKind::list_box, kWeekdays, "", 13, 28, 30, 4, kCheckList},
    {ControlKind::label, kForewarning - 1, "nombre de jour en préavis:", 17, 2},
    {ControlKind::combo_box, kForewarning, "", 17, 28, 8},
    {ControlKind::label, kTimesLabel, "nombre de fois:", 19, 2},
    {ControlKind::text_field, kTimes, "", 19, 28, 8},
    {ControlKind::button, kRecompute, "&recalculer", 19, 38, 14},
    {ControlKind::button, kFinalDate, "date &finale", 19, 53, 14},
    {ControlKind::check_box, kJournal, "jo&urnal", 21, 2, 14},
    {ControlKind::button, kAlarm, "a&larme personnalisée", 23, 2, 24},
    {ControlKind::button, kTask, "option de tâc&he", 23, 27, 20},
    {ControlKind::button, kNote, "&note", 23, 48, 10},
    {ControlKind::button, kSpoken, "no&tification verbale", 25, 2, 24},
    {ControlKind::button, kUrlTask, "tâche &URL", 25, 27, 20},
    {ControlKind::button, kMail, "noti&fication par courriel", 25, 48, 26},
    {ControlKind::button, kMailSettings, "configu&ration du courriel", 27, 2, 24},
    {ControlKind::button, kShare, "&partager", 27, 27, 20},
    {ControlKind::button, kSaveAtDate, "&enregistrer à cette date", 27, 48, 26},
    {ControlKind::button, kSaveCategory, "enregistrer la &catégorie", 29, 2, 24},
    {ControlKind::button, kDeleteCategory, "&supprimer la catégorie", 29, 27, 24},
    {ControlKind::button, kHelp, "aide-f1", 29, 52, 10},
};

struct Editor {
  PlanningWindows& c;
  EditedPlanning edited;
  int today = 0;
};

ExchangeContext exchange_of(const Editor& e) {
  return {e.c.program_folder, e.c.settings, e.c.clock, e.c.network, e.c.prompts};
}

// Hiding a control keeps its other flags: the weekdays stay a check list.
void set_shown(int number, bool shown, int flags = 0) {
  SetControlFlags(number, flags | (shown ? 0 : kHidden));
}

int occurrence_number(const Editor& e) {
  return e.edited.planning.series_link.empty() ? 0 : e.edited.planning.occurrence_number;
}

std::array<int, 7> shown_ticks() {
  std::array<int, 7> ticks{};
  for (int day = 0; day < 7; ++day)
    ticks[static_cast<std::size_t>(day)] = ItemMarked(kWeekdays, day);
  return ticks;
}

void show_ticks(const std::array<int, 7>& ticks) {
  for (int day = 0; day < 7; ++day)
    MarkItem(kWeekdays, day, ticks[static_cast<std::size_t>(day)] != 0);
}

EditorFields shown_fields() {
  EditorFields f;
  f.category = ControlText(kCategory);
  f.subject = ControlText(kSubject);
  f.time = ControlText(kTime);
  f.type = std::max(ControlState(kType), 0) + 1;
  f.month_anchor = std::max(ControlState(kAnchor), 0) + 1;
  f.weekday_ticks = shown_ticks();
  f.forewarning_days = std::max(ControlState(kForewarning), 0);
  f.number_of_times = ControlText(kTimes);
  f.journal = ControlState(kJournal) != 0;
  return f;
}

Recurrence shown_recurrence() {
  const EditorFields f = shown_fields();
  return {f.type, f.weekday_ticks, f.month_anchor,
          typed_number_of_times(f.number_of_times, f.type)};
}

void show_date(const Editor& e, bool speak) {
  const std::string summary = date_summary(e.edited.day, shown_recurrence(), occurrence_number(e));
  SetControlText(kDate, summary);
  if (speak) Speak(summary, kSettleMs);
}

void show_type_controls(const Editor& e, bool reset_ticks) {
  const int type = std::max(ControlState(kType), 0) + 1;
  const TypeControls shown = controls_of_type(type);
  for (const int number : {kTimesLabel, kTimes, kRecompute, kFinalDate})
    set_shown(number, shown.count);
  set_shown(kWeekdaysLabel, shown.weekdays);
  set_shown(kWeekdays, shown.weekdays, kCheckList);
  set_shown(kAnchorLabel, shown.anchor);
  set_shown(kAnchor, shown.anchor);
  if (shown.weekdays && reset_ticks) show_ticks(ticks_of_day(e.edited.day));
}

void fill_list(int number, const std::vector<std::string>& items, int selected) {
  ClearItems(number);
  for (const std::string& item : items) AddItem(number, item);
  SetControlState(number, selected);
}

void show_categories(const Editor& e, const std::string& category) {
  const std::vector<std::string> names = listcategories(e.c.program_folder);
  ClearItems(kCategory);
  for (const std::string& name : names) AddItem(kCategory, name);
  const auto found = std::find(names.begin(), names.end(), category);
  if (found != names.end()) SetControlState(kCategory, static_cast<int>(found - names.begin()));
  SetControlText(kCategory, category);
}

void show_fields(const Editor& e, const EditorFields& f) {
  show_categories(e, f.category);
  SetControlText(kSubject, f.subject);
  const std::optional<std::string> time = time_of_entry(f.time);
  const int minute = time ? std::stoi(time->substr(0, 2)) * 60 + std::stoi(time->substr(3)) : 0;
  fill_list(kTime, day_time_names(), minute);
  SetComboPageStep(kTime, 60);
  fill_list(kType, recurrence_type_names(), f.type - 1);
  fill_list(kAnchor, {std::string(kAnchorNames[0]), std::string(kAnchorNames[1])},
            f.month_anchor - 1);
  ClearItems(kWeekdays);
  for (const std::string_view day : kDayNames) AddItem(kWeekdays, day);
  show_ticks(f.type == kTypeWeekly ? f.weekday_ticks : ticks_of_day(e.edited.day));
  fill_list(kForewarning, forewarning_day_names(), f.forewarning_days);
  SetControlText(kTimes, f.number_of_times);
  SetControlState(kJournal, f.journal ? 1 : 0);
  show_type_controls(e, false);
}

void show_help(std::string_view page) {
  shell_service().show_help(page);
}

// A window of the editor's own over it.
template <typename Window>
auto over_editor(Window&& window) {
  SaveDialog(kEditorSlot);
  auto result = window();
  RestoreDialog(kEditorSlot);
  return result;
}

// "date &finale": the number of times up to a date the user types.
void ask_final_date(const Editor& e) {
  for (;;) {
    const std::optional<std::string> answer =
        e.c.prompts.input("Tavelo", "Entrez la date d'échéance.", "jj/mm/aaaa");
    if (!answer || trim_spaces(*answer).empty()) return;
    const std::variant<int, std::string_view> read =
        read_final_date(*answer, e.edited.day, e.today);
    if (const int* final_day = std::get_if<int>(&read)) {
      SetControlText(
          kTimes, std::to_string(occurrences_until(shown_recurrence(), e.edited.day, *final_day)));
      show_date(e, false);
      FocusControl(kTimes);
      return;
    }
    const std::string_view notice = std::get<std::string_view>(read);
    e.c.prompts.notice(notice);
    if (notice != kInvalidDate) return;
  }
}

// The task options dialog.
constexpr int kTaskActive = 1, kTaskProgram = 3, kTaskBrowse = 4, kTaskCommand = 6, kIdleStart = 7,
              kIdleMinutes = 9, kConfirm = 10, kPostpone = 11, kPostponements = 13, kInterval = 15,
              kRestart = 16, kRestartLimit = 18, kOnce = 19, kTaskHelp = 20;
constexpr ControlSpec kTaskControls[] = {
    {ControlKind::check_box, kTaskActive, "activer la tâche pour cette planification", 1, 2, 60},
    {ControlKind::label, 2, "tâche: ", 3, 2},
    {ControlKind::text_field, kTaskProgram, "", 3, 26, 36},
    {ControlKind::button, kTaskBrowse, "parcourir", 3, 63, 12},
    {ControlKind::label, 5, "ligne de commande:", 5, 2},
    {ControlKind::text_field, kTaskCommand, "", 5, 26, 48},
    {ControlKind::check_box, kIdleStart,
     "démarrer la tâche si inactif depuis le nombre de minute suivant:", 7, 2, 66},
    {ControlKind::label, 8, "nombre de minute:", 9, 2},
    {ControlKind::text_field, kIdleMinutes, "", 9, 26, 8, 2, kDigitsOnly},
    {ControlKind::check_box, kConfirm, "demander une confirmation d'exécution", 11, 2, 72},
    {ControlKind::check_box, kPostpone,
     "reporter la tâche sur une infirmation ou si le système est utilisé", 13, 2, 72},
    {ControlKind::label, 12, "nombre de report:", 15, 2},
    {ControlKind::text_field, kPostponements, "", 15, 26, 8, 2, kDigitsOnly},
    {ControlKind::label, 14, "minute d'intervale:", 17, 2},
    {ControlKind::text_field, kInterval, "", 17, 26, 8, 2, kDigitsOnly},
    {ControlKind::check_box, kRestart, "permettre l'exécution au redémarrage de l'agenda", 19, 2,
     66},
    {ControlKind::label, 17, "limite de redémarrage en minute:", 21, 2},
    {ControlKind::text_field, kRestartLimit, "", 21, 36, 8, 2, kDigitsOnly},
    {ControlKind::check_box, kOnce, "n'exécuter qu'une seule fois", 23, 2, 40},
    {ControlKind::button, kTaskHelp, "aide-f1", 25, 2, 10},
};

void show_task_form(const TaskForm& f) {
  SetControlState(kTaskActive, f.active);
  SetControlText(kTaskProgram, f.program);
  SetControlText(kTaskCommand, f.command_line);
  SetControlState(kIdleStart, f.idle_start);
  SetControlText(kIdleMinutes, f.idle_minutes);
  SetControlState(kConfirm, f.confirmation);
  SetControlText(kConfirm, confirmation_caption(f.idle_start));
  SetControlState(kPostpone, f.postpone);
  SetControlText(kPostponements, f.postponements);
  SetControlText(kInterval, f.postponement_interval);
  SetControlState(kRestart, f.restart_allowed);
  SetControlText(kRestartLimit, f.restart_limit);
  SetControlState(kOnce, f.once);
}

TaskForm shown_task_form() {
  return {ControlState(kTaskActive) != 0, ControlText(kTaskProgram),   ControlText(kTaskCommand),
          ControlState(kIdleStart) != 0,  ControlText(kIdleMinutes),   ControlState(kConfirm) != 0,
          ControlState(kPostpone) != 0,   ControlText(kPostponements), ControlText(kInterval),
          ControlState(kRestart) != 0,    ControlText(kRestartLimit),  ControlState(kOnce) != 0};
}

bool task_options(Editor& e) {
  OpenDialog("", 0, 0, 28, 78, "option de tâche: " + e.edited.planning.subject);
  AddControls(kTaskControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  show_task_form(task_form_of(e.edited.planning.task));
  FocusControl(kTaskActive);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btncancel" || input.event == "winclose") return false;
    if (input.event.starts_with("chk7"))
      SetControlText(kConfirm, confirmation_caption(ticks_box(input.event)));
    if (input.event == "btn4") {
      const std::optional<std::string> file =
          window_system().open_file_dialog("fichier ou programme associé à la tâche", "*.*", "");
      if (file) SetControlText(kTaskProgram, *file);
    }
    if (input.event == "btn20" || input.key == "f1") show_help("tâches.htm");
    if (input.event != "btnok") continue;
    const TaskForm form = shown_task_form();
    if (const std::optional<std::string_view> fault = task_form_fault(form)) {
      e.c.prompts.notice(*fault);
      continue;
    }
    store_task_form(form, e.edited.planning.task);
    return true;
  }
}

// The URL task dialog.
constexpr int kUrlLink = 3, kUrlTest = 4, kUrlHelp = 5;
constexpr std::string_view kUrlTaskText =
    "Cette fonction requiert un accès à internet. Le lien spécifié doit être un chemain qui mène "
    "vers un scripte ou une commande du type php de préférence. Ce scripte s'exécute en tâche de "
    "fond et aucune réponse n'est attendu de la part de l'agenda.Il est fortement recommandé de "
    "tester ce lien avant de le valider.";
constexpr ControlSpec kUrlControls[] = {
    {ControlKind::label, 1, kUrlTaskText, 1, 2},
    {ControlKind::label, 2, "lien de la commande:", 8, 2},
    {ControlKind::text_field, kUrlLink, "", 8, 24, 48},
    {ControlKind::button, kUrlTest, "test", 10, 2, 10},
    {ControlKind::button, kUrlHelp, "aide-f1", 10, 14, 10},
};

bool url_task(Editor& e) {
  OpenDialog("", 0, 0, 14, 76, "tâche URL, " + e.edited.planning.subject);
  AddControls(kUrlControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  SetControlText(kUrlLink, e.edited.planning.url_task_link);
  FocusControl(kUrlLink);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btncancel" || input.event == "winclose") return false;
    if (input.event == "btn4") {
      // The link is called once, as the agenda will call it; its answer is not used.
      const std::string link(trim_spaces(ControlText(kUrlLink)));
      if (!link.empty()) e.c.network.get_to_memory(link, 4096);
    }
    if (input.event == "btn5" || input.key == "f1") show_help("descpar.htm");
    if (input.event != "btnok") continue;
    store_url_task(ControlText(kUrlLink), e.edited.planning);
    return true;
  }
}

// The sharing choice.
constexpr int kIdentifiers = 3;
constexpr ControlSpec kShareControls[] = {
    {ControlKind::label, 1,
     "Sélectionnez les identifiants avec lesquels partager cette planification.", 1, 2},
    {ControlKind::label, 2, "identifiants", 3, 2},
    {ControlKind::list_box, kIdentifiers, "", 5, 2, 50, 8, kCheckList},
};

// With no identifier known, the user may add some in the shared-folders window, then choose
// among them; false when he does not, or adds none.
bool add_identifiers(Editor& e) {
  if (!e.c.prompts.question(
          "Votre liste d'identifiant est vide. Souhaitez-vous accéder aux paramètres de dossiers "
          "partagés affin d'en ajouter?")) {
    return false;
  }
  ExchangeWindows exchange{e.c.program_folder, e.c.settings, e.c.clock, e.c.network, e.c.prompts};
  OpenSharingSettings(exchange);
  return !known_identifiers(e.c.settings).empty();
}

bool choose_sharing(Editor& e) {
  if (known_identifiers(e.c.settings).empty() && !add_identifiers(e)) return false;
  const std::vector<std::string> known = known_identifiers(e.c.settings);
  const std::vector<std::string> chosen =
      sharing_identifiers_of(e.edited.planning.sharing_identifiers);
  OpenDialog("", 0, 0, 16, 60, "partager la planification " + e.edited.planning.subject);
  AddControls(kShareControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  for (std::size_t i = 0; i < known.size(); ++i) {
    AddItem(kIdentifiers, known[i]);
    MarkItem(kIdentifiers, static_cast<int>(i),
             std::find(chosen.begin(), chosen.end(), known[i]) != chosen.end());
  }
  SetControlState(kIdentifiers, 0);
  FocusControl(kIdentifiers);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btncancel" || input.event == "winclose") return false;
    if (input.event != "btnok") continue;
    std::vector<std::string> ticked;
    for (const int i : MarkedItems(kIdentifiers))
      ticked.push_back(known[static_cast<std::size_t>(i)]);
    e.edited.planning.sharing_identifiers = sharing_text(ticked);
    return true;
  }
}

// The note pad, in a window of its own; the note changes when the user keeps what he typed.
bool edit_note(Editor& e) {
  PadState& pad = pad_state();
  pad = PadState{};
  pad.text = e.edited.planning.note;
  OpenDialog("", 0, 0, 20, 70, "note de la planification");
  AddEditMenu(50, 0);
  EditInPad(10, "note de la planification", "note:", 0, false, 2, 2, 66, 16);
  if (!pad.modified) return false;
  e.edited.planning.note = pad.text;
  e.edited.planning.note_kind = pad.text.empty() ? 0 : 2;
  return true;
}

bool shared_folder_found(const Editor& e, std::string_view identifier) {
  const SharingRow* row = sharing_row_of(e.c.settings, identifier);
  if (row == nullptr) return false;
  if (!trim_spaces(row->columns[kFtpServerColumn]).empty()) return true;
  std::error_code error;
  return fs::is_directory(shared_folder_path(e.c.program_folder, row->columns[kFolderColumn]),
                          error);
}

bool confirm(Editor& e) {
  const ExchangeContext exchange = exchange_of(e);
  PlanningStore store{e.c.program_folder, e.c.settings, e.c.clock, true,
                      shared_copies_sender(exchange)};
  ConfirmHooks hooks;
  hooks.has_shared_folder = [&e](std::string_view id) { return shared_folder_found(e, id); };
  hooks.choose_sharing = [&e] { over_editor([&e] { return choose_sharing(e); }); };
  hooks.send_deletion = [&](const std::string& file, const Planning& planning) {
    SendDeletion(exchange, e.c.program_folder / "rdv" / file, planning);
  };
  EditorFields fields = shown_fields();
  const Confirmation done = confirm_planning(e.edited, fields, store, e.c.prompts, hooks);
  show_ticks(fields.weekday_ticks);
  return done == Confirmation::kSaved;
}

// The planning's own alarm and mail settings, kept in the planning until it is saved.
bool personal_alarm(Editor& e) {
  PlanningAlarmDialog(e.edited.planning, e.c.settings, e.c.program_folder, e.c.players);
  return true;
}

bool planning_notification(Editor& e) {
  PlanningNotificationDialog(e.edited.planning, e.c.settings);
  return true;
}

bool planning_mail(Editor& e) {
  MailServices services{e.c.network, e.c.server};
  PlanningMailDialog(e.edited.planning, services);
  return true;
}

bool background_on(Editor& e, std::string_view question) {
  return background_mode_on(e.c.settings, e.c.program_folder, e.today, question, e.c.prompts);
}

void category_chosen(Editor& e) {
  const int selected = ControlState(kCategory);
  if (selected < 0 || e.edited.mode != kNewPlanning) return;
  const std::string name = ControlText(kCategory);
  int readerror = 0;
  const Planning options = loadplanning(category_template_file(e.c.program_folder, name),
                                        e.c.program_folder, e.c.settings, readerror);
  EditorFields fields = shown_fields();
  take_template_options(options, e.edited.planning, fields);
  SetControlState(kJournal, fields.journal ? 1 : 0);
  SetControlState(kForewarning, fields.forewarning_days);
}

// One event of the editor; true when the dialog is left, with `saved` telling how.
bool handle(Editor& e, const Input& input, bool& saved) {
  const std::string& event = input.event;
  if (event == "btncancel" || event == "winclose") return true;
  // The small dialogs are titled with the subject as it is typed.
  e.edited.planning.subject = std::string(trim_spaces(ControlText(kSubject)));
  if (event == "btnok") {
    saved = confirm(e);
    if (!saved) FocusControl(kSubject);
    return saved;
  }
  // A key acts as it goes down; a held key repeats through the filter of NextInput.
  const std::string_view key = event == "key_released" ? "" : std::string_view(input.key);
  if (FocusedControl() == kDate) {
    if (const std::optional<int> day = moved_working_date(key, e.edited.day, e.today)) {
      e.edited.day = *day;
      if (ControlState(kType) + 1 == kTypeWeekly && e.edited.mode == kNewPlanning) {
        show_ticks(ticks_of_day(*day));
      }
      show_date(e, true);
      return false;
    }
  }
  if (event == "cmb" + std::to_string(kType)) {
    show_type_controls(e, true);
    show_date(e, false);
  } else if (event == "cmb" + std::to_string(kCategory)) {
    category_chosen(e);
  } else if (event == "btn28") {
    show_date(e, true);
  } else if (event == "btn29") {
    ask_final_date(e);
  } else if (event == "btn23") {
    if (background_on(e, kAlarmNeedsBackground)) over_editor([&e] { return personal_alarm(e); });
  } else if (event == "btn24") {
    if (background_on(e, kTaskNeedsBackground)) over_editor([&e] { return task_options(e); });
  } else if (event == "btn27") {
    over_editor([&e] { return edit_note(e); });
  } else if (event == "btn201") {
    if (background_on(e, kSpokenNeedsBackground)) {
      over_editor([&e] { return planning_notification(e); });
    }
  } else if (event == "btn202") {
    if (background_on(e, kUrlTaskNeedsBackground)) over_editor([&e] { return url_task(e); });
  } else if (event == "btn203") {
    if (background_on(e, kMailNeedsBackground))
      switch_mail_notification(e.edited.planning, e.c.settings, e.c.prompts);
  } else if (event == "btn" + std::to_string(kMailSettings)) {
    over_editor([&e] { return planning_mail(e); });
  } else if (event == "btn205") {
    over_editor([&e] { return choose_sharing(e); });
  } else if (event == "btn206") {
    // A copy at the working date: the planning being modified stays as it is.
    e.edited.mode = kNewPlanning;
    e.edited.file.clear();
    e.edited.original = Planning{};
    e.edited.planning.series_link.clear();
    e.edited.planning.unique_identifier.clear();
    saved = confirm(e);
    return saved;
  } else if (event == "btn25") {
    PlanningStore store{e.c.program_folder, e.c.settings, e.c.clock};
    if (save_category_of_form(e.edited, shown_fields(), store, e.c.prompts)) {
      show_categories(e, ControlText(kCategory));
    }
  } else if (event == "btn26") {
    if (delete_category_of_form(shown_fields(), e.c.program_folder, e.c.prompts)) {
      show_categories(e, "");
    }
  } else if (event == "btn207" || key == "f1") {
    show_help("ajout.htm");
  }
  return false;
}

std::optional<EditedPlanning> edited_planning(PlanningWindows& c, int mode, int day,
                                              const std::string& file) {
  if (mode == kModifyPlanning) return edited_planning_of_file(c.program_folder, file, c.settings);
  return new_edited_planning(c.settings, day, c.clock.now());
}

}  // namespace

bool EditPlanning(PlanningWindows& context, int mode, int day, const std::string& file) {
  std::optional<EditedPlanning> edited = edited_planning(context, mode, day, file);
  if (!edited) return false;
  Editor e{context, std::move(*edited), todaynumber(context.clock)};
  const bool modify = e.edited.mode == kModifyPlanning;
  OpenDialog("", 0, 0, 32, 78, modify ? "modifier une planification" : "nouvelle planification");
  AddControls(kEditorControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  show_fields(e, fields_of(e.edited.planning, e.edited.time));
  show_date(e, false);
  FocusControl(kSubject);
  bool saved = false;
  while (!handle(e, NextInput(-1, true), saved)) {
  }
  return saved;
}

}  // namespace tavelo
