#include "shell/calendar_window.hpp"

#include <array>
#include <string_view>

#include "access/dialog.hpp"
#include "access/mail_dialog.hpp"
#include "access/menus.hpp"
#include "access/note_window.hpp"
#include "access/notification_dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "alarms/alarm_dialog.hpp"
#include "exchange/export_window.hpp"
#include "exchange/import_window.hpp"
#include "exchange/sharing.hpp"
#include "exchange/sharing_window.hpp"
#include "maintenance/backup_window.hpp"
#include "maintenance/update_check.hpp"
#include "planning/calendar.hpp"
#include "planning/editor_form.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/services.hpp"
#include "shell/agenda_program.hpp"
#include "shell/calendar_form.hpp"
#include "shell/journal_window.hpp"
#include "shell/management_dialog.hpp"
#include "shell/option_windows.hpp"
#include "shell/planning_windows.hpp"
#include "shell/screen_reader.hpp"
#include "shell/speaking_clock_window.hpp"

namespace tavelo {

namespace {

constexpr int kTotal = 9;
constexpr int kDayLabel = 10;
constexpr int kDayList = 11;
constexpr int kMonthLabel = 20;
constexpr int kGrid = 21;
constexpr int kWeekdays = 80;
constexpr int kAdd = 1;
constexpr int kDelete = 2;
constexpr int kModify = 3;
constexpr int kNote = 4;
constexpr int kHelp = 5;

constexpr int kWindowRows = 28;
constexpr ControlSpec kCalendarControls[] = {
    {ControlKind::label, kMonthLabel, "", 1, 2},
    {ControlKind::multi_list, kWeekdays, "", 3, 2, 42, 2, kDisabled},
    {ControlKind::multi_list, kGrid, "", 5, 2, 42, 8},
    {ControlKind::label, kTotal, "", 13, 2},
    {ControlKind::label, kDayLabel, "planifications du jour:", 15, 2},
    {ControlKind::list_box, kDayList, "", 17, 2, 70, 5},
    {ControlKind::button, kAdd, "a&jouter", 22, 2, 12},
    {ControlKind::button, kDelete, "&supprimer", 22, 15, 13},
    {ControlKind::button, kModify, "&modifier", 22, 29, 12},
    {ControlKind::button, kNote, "&voir la note", 22, 42, 16},
    {ControlKind::button, kHelp, "aide-f1", 22, 59, 10},
    {ControlKind::button, 6, "<<<", 25, 2, 6},
    {ControlKind::label, 8, "28 jours", 25, 9},
    {ControlKind::button, 7, ">>>", 25, 19, 6},
    {ControlKind::button, 12, "<<<", 25, 27, 6},
    {ControlKind::label, 14, "année", 25, 34},
    {ControlKind::button, 13, ">>>", 25, 41, 6},
};

constexpr std::array<std::string_view, 7> kWeekdayHeader = {"dim   ", "lun   ", "mar   ", "mer   ",
                                                            "jeu   ", "ven   ", "sam   "};

// The menu bar: each menu's items take consecutive numbers from its first.
struct MenuSpec {
  std::string_view title;
  int first;
  std::span<const std::string_view> items;
};
constexpr std::string_view kPlanItems[] = {
    "&Nouvelle planification",        "&Liste des planifications",
    "&Votre agenda aujourd'hui",      "&Journal",
    "&Rapport textuel du calendrier", "&Quitter"};
constexpr std::string_view kTransferItems[] = {"&Exporter", "&Importer"};
constexpr std::string_view kNetworkItems[] = {"&Partager", "&Liste des plannifications réseau",
                                              "Liste des &dernières planification réseau reçues"};
constexpr std::string_view kBackupItems[] = {"&Enregistrer", "&Récupérer",
                                             "&Paramètres de sauvegarde"};
constexpr std::string_view kOptionItems[] = {"&Gestion des planifications",
                                             "Icône du &bureau",
                                             "Alarme par &défaut",
                                             "Mode &nuit",
                                             "&Réinitialiser les paramètres de gestion",
                                             "&Liste multi-sélection sonore",
                                             "Sortie des alarmes p.c.",
                                             "Notification verbale",
                                             "Notification par courriel",
                                             "Dossiers partagés"};
constexpr std::string_view kExtraItems[] = {"heure sonore", "option des carillons"};
constexpr std::string_view kHelpItems[] = {"Manuel", "L'agenda sur le web",
                                           "Vérifier la mise à jour", "À propos", "Faire un don"};
const std::array<MenuSpec, 7> kMenuBar = {{
    {"&Planifier", 1, kPlanItems},
    {"&Transfert", 11, kTransferItems},
    {"&Réseau", 51, kNetworkItems},
    {"S&auvegarde", 21, kBackupItems},
    {"&Option", 31, kOptionItems},
    {"E&xtra", 61, kExtraItems},
    {"&Aide", 41, kHelpItems},
}};

constexpr int kMultiSelectSoundItem = 36;
constexpr int kReportItem = 5, kExportItem = 11, kImportItem = 12, kShareItem = 51,
              kSharedFoldersItem = 40;
// The keypad's plus and minus keys reach the window as these menu commands.
constexpr int kKeypadMinusCommand = 3000;
constexpr int kKeypadPlusCommand = 3001;
constexpr int kKeypadPlus = 107;
constexpr int kKeypadMinus = 109;

constexpr const char* kServerUnreachable = "Le serveur est inaccessible pour le moment.";

struct Calendar {
  CalendarContext& c;
  DayIndex index;
  int day = 0;
  int shown_first_day = -1;
  CalendarPage page;
};

fs::path program_folder(const Calendar& w) {
  return w.c.run.program_folder;
}

int today(const Calendar& w) {
  return todaynumber(w.c.clock);
}

void save_settings(Calendar& w) {
  if (savesettings(program_folder(w), w.c.run.settings, today(w))) {
    w.c.run.settings.last_active_day = today(w);
  }
}

void show_help(std::string_view page) {
  shell_service().show_help(page);
}

void set_shown(int number, bool shown) {
  SetControlFlags(number, shown ? 0 : kHidden);
}

void fill_grid(Calendar& w) {
  ClearItems(kGrid);
  for (const std::string& cell : w.page.cells) AddItem(kGrid, cell);
  const CalendarDate month = date_of(w.day);
  SetControlText(kMonthLabel, std::string(kMonthNames[static_cast<std::size_t>(month.month)]) +
                                  " " + std::to_string(month.year));
  w.shown_first_day = w.page.first_day;
}

void fill_day_list(const Calendar& w) {
  ClearItems(kDayList);
  for (const std::string& line : w.page.lines) AddItem(kDayList, line);
  const bool has_plannings = !w.page.lines.empty();
  if (has_plannings) SetControlState(kDayList, 0);
  if (!has_plannings && FocusedControl() == kDayList) FocusControl(kGrid);
  for (const int number : {kDayLabel, kDayList, kDelete, kModify, kNote}) {
    set_shown(number, has_plannings);
  }
}

// Shows the day: the grid when its month changed or the folder did, the day's list, the total,
// and says the summary once the screen reader has settled.
void show_day(Calendar& w, int day, bool speak) {
  const bool listed = w.index.refresh();
  w.day = day;
  w.c.run.calendar_day = day;
  w.page = calendar_page(day, w.index, program_folder(w), w.c.run.settings);
  if (listed || w.page.first_day != w.shown_first_day) fill_grid(w);
  SetControlState(kGrid, w.page.selected_cell);
  fill_day_list(w);
  SetControlText(kTotal, w.page.total);
  if (!speak) return;
  RefreshScreenReader();
  Speak(w.page.summary, kSettleMs + 50);
}

void move_to(Calendar& w, int day) {
  if (day != w.day) show_day(w, day, true);
}

std::optional<fs::path> selected_planning(const Calendar& w) {
  const int line = ControlState(kDayList);
  if (line < 0 || static_cast<std::size_t>(line) >= w.page.files.size()) return std::nullopt;
  return planning_folder(program_folder(w)) / w.page.files[static_cast<std::size_t>(line)];
}

// Deletes a planning file and tells the agendas it is shared with.
void delete_planning(Calendar& w, const fs::path& file) {
  int readerror = 0;
  const Planning planning = loadplanning(file, program_folder(w), w.c.run.settings, readerror);
  std::error_code error;
  fs::remove(file, error);
  if (error) return;
  SendDeletion({program_folder(w), w.c.run.settings, w.c.clock, w.c.network, w.c.prompts}, file,
               planning);
}

void after_deletion(Calendar& w) {
  w.index.invalidate();
  show_day(w, w.day, true);
}

void delete_selected_planning(Calendar& w) {
  StopAlarmSounds(w.c.players);
  const std::optional<fs::path> file = selected_planning(w);
  if (!file || !w.c.prompts.question("Voulez-vous supprimer la planification sélectionnée?")) {
    return;
  }
  delete_planning(w, *file);
  after_deletion(w);
}

void delete_day(Calendar& w) {
  if (w.page.files.empty() ||
      !w.c.prompts.question("Voulez-vous supprimer toutes les planifications de cette datte?")) {
    return;
  }
  for (const std::string& name : w.page.files) {
    delete_planning(w, planning_folder(program_folder(w)) / name);
  }
  after_deletion(w);
}

void open_server_page(const Calendar& w, std::string_view path) {
  if (!w.c.server) {
    w.c.prompts.notice(kServerUnreachable);
    return;
  }
  shell_service().open(server_url(*w.c.server, path));
}

void toggle_multiselect_sound_list(Calendar& w) {
  int& setting = w.c.run.settings.multiselect_sound_list;
  setting = setting != 0 ? 0 : 1;
  CheckMenuItem(kMultiSelectSoundItem, setting != 0);
  save_settings(w);
}

void build_window(Calendar& w) {
  OpenDialog("", 0, 0, kWindowRows, 76, std::string("Tavelo ") + kVersionLabel);
  for (const MenuSpec& menu : kMenuBar) BuildMenu(menu.title, menu.first, menu.items);
  CheckMenuItem(kMultiSelectSoundItem, w.c.run.settings.multiselect_sound_list != 0);
  AddControls(kCalendarControls);
  SetGridColumns(kWeekdays, 7);
  SetGridColumns(kGrid, 7);
  for (const std::string_view day : kWeekdayHeader) AddItem(kWeekdays, day);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  AddShortcut(kKeypadPlus, kKeypadPlusCommand);
  AddShortcut(kKeypadMinus, kKeypadMinusCommand);
  show_day(w, w.day, false);
  FocusControl(kGrid);
  Speak(w.page.summary, kSettleMs + 50);
}

// The windows the menus open are drawn over the calendar, which is drawn again afterwards.
template <typename Window>
void over_calendar(Calendar& w, Window&& window) {
  SaveDialog(0);
  window();
  RestoreDialog(0);
  show_day(w, w.day, true);
}

PlanningWindows planning_windows(Calendar& w) {
  return {program_folder(w), w.c.run.settings, w.c.clock, w.c.prompts,
          w.c.network,       w.c.players,      w.c.server};
}

// The editor and the list change the planning files: the calendar reads them again.
void edit_planning(Calendar& w, int mode, const std::string& file) {
  over_calendar(w, [&] {
    PlanningWindows windows = planning_windows(w);
    EditPlanning(windows, mode, w.day, file);
    w.index.invalidate();
  });
}

void add_planning(Calendar& w) {
  edit_planning(w, kNewPlanning, "");
}

void modify_selected_planning(Calendar& w) {
  if (const std::optional<fs::path> file = selected_planning(w)) {
    edit_planning(w, kModifyPlanning, file->filename().string());
  }
}

void show_planning_list(Calendar& w, int mode) {
  over_calendar(w, [&] {
    PlanningWindows windows = planning_windows(w);
    ShowPlanningList(windows, mode);
    w.index.invalidate();
  });
}

BackupContext backup_context(Calendar& w) {
  return {program_folder(w), w.c.run.settings, w.c.clock, w.c.prompts};
}

// The calendar goes while the update check runs; it comes back unless the program ends to let
// the updater put an update into place.
std::optional<CalendarExit> check_for_update(Calendar& w) {
  SaveDialog(0);
  if (CheckForUpdateOf(w.c.run, 2, 0, w.c.network, w.c.server, w.c.prompts).program_to_start) {
    return CalendarExit::kQuit;
  }
  RestoreDialog(0);
  show_day(w, w.day, true);
  return std::nullopt;
}

void show_note(Calendar& w) {
  const std::optional<fs::path> file = selected_planning(w);
  int readerror = 0;
  const std::string note =
      file ? loadplanning(*file, program_folder(w), w.c.run.settings, readerror).note : "";
  if (note.empty()) {
    StopAlarmSounds(w.c.players);
  } else {
    over_calendar(w, [&note] { ShowNoteWindow(note); });
  }
}

// The report, the exports, the import and the shared folders change plannings and settings the
// calendar shows.
void open_exchange_window(Calendar& w, int item) {
  over_calendar(w, [&w, item] {
    ExchangeWindows exchange{program_folder(w), w.c.run.settings, w.c.clock, w.c.network,
                             w.c.prompts};
    if (item == kImportItem) {
      ImportExchangeFile(exchange, std::nullopt);
    } else if (item == kSharedFoldersItem) {
      OpenSharingSettings(exchange);
    } else {
      OpenExportDialog(exchange, item == kReportItem  ? ExportMode::kReport
                                 : item == kShareItem ? ExportMode::kShare
                                                      : ExportMode::kExport);
    }
    w.index.invalidate();
  });
}

// The menu items whose function is built; the others do nothing yet.
std::optional<CalendarExit> menu_item(Calendar& w, int item) {
  switch (item) {
    case kReportItem:
    case kExportItem:
    case kImportItem:
    case kShareItem:
    case kSharedFoldersItem:
      open_exchange_window(w, item);
      break;
    case 1:
      add_planning(w);
      break;
    case 2:
      show_planning_list(w, kAllPlannings);
      break;
    case 52:
      show_planning_list(w, kNetworkPlannings);
      break;
    case 53:
      show_planning_list(w, kReceivedPlannings);
      break;
    case 21: {
      BackupContext context = backup_context(w);
      SaveBackup(context);
      break;
    }
    case 22: {
      BackupContext context = backup_context(w);
      if (RestoreBackup(context)) return CalendarExit::kRestart;
      break;
    }
    case 23:
      over_calendar(w, [&w] {
        BackupContext context = backup_context(w);
        BackupSettingsDialog(context);
      });
      break;
    case 43:
      return check_for_update(w);
    case 62:
      over_calendar(w, [&w] {
        ChimeOptionsOf(w.c.run, ChimeTab::general, w.c.network, w.c.server, w.c.prompts);
      });
      break;
    case 3:
      return CalendarExit::kManagementNow;
    case 4:
      over_calendar(w, [&w] { ShowJournal(program_folder(w), w.c.run.settings); });
      break;
    case 6:
      return CalendarExit::kQuit;
    case 31:
      over_calendar(w, [&w] {
        ManagementSettingsDialog(w.c.run.settings, program_folder(w), w.c.run.writable == 1);
      });
      break;
    case 32:
      over_calendar(w, [&w] { DesktopIconOption(w.c.run, today(w)); });
      break;
    case 33:
    case 34:
      over_calendar(w, [&w, item] {
        OpenAlarmDialog(item == 33 ? kDefaultAlarmMode : kNightMode, w.c.run.settings.default_alarm,
                        w.c.run.settings, program_folder(w), w.c.players);
      });
      break;
    case 35:
      if (w.c.prompts.question("Voulez-vous réinitialiser les paramètres de gestion?")) {
        std::error_code error;
        fs::remove(program_folder(w) / kSettingsFile, error);
        return CalendarExit::kRestart;
      }
      break;
    case kMultiSelectSoundItem:
      toggle_multiselect_sound_list(w);
      break;
    case 37:
      over_calendar(w, [&w] { AlarmOutputOption(w.c.run, today(w)); });
      break;
    case 38:
      over_calendar(w, [&w] { NotificationDialog(w.c.run.settings, program_folder(w)); });
      break;
    case 39:
      over_calendar(w, [&w] {
        MailServices services{w.c.network, w.c.server};
        MailDialog(w.c.run.settings, program_folder(w), services);
      });
      break;
    case 41:
      show_help("intro.htm");
      break;
    case 42:
      open_server_page(w, "/");
      break;
    case 44:
      w.c.prompts.notice(std::string("À Propos de l'agenda\r") + kVersionLabel);
      break;
    case 45:
      open_server_page(w, "/don.htm");
      break;
    case 61:
      over_calendar(w, [&w] { SpeakingClock(w.c.players); });
      break;
    default:
      break;
  }
  return std::nullopt;
}

// The keys of the window; false when the key asks nothing of it.
bool handle_key(Calendar& w, std::string_view key, int focus) {
  if (const std::optional<CalendarMove> move = calendar_move("", key, focus == kGrid)) {
    move_to(w, moved_day(*move, w.day, today(w), w.index));
  } else if (key == "delete" && focus == kDayList) {
    delete_selected_planning(w);
  } else if (key == "delete" && focus == kGrid) {
    delete_day(w);
  } else if (key == "f1") {
    show_help("cal.htm");
  } else {
    return false;
  }
  return true;
}

std::optional<CalendarExit> handle(Calendar& w, const Input& input) {
  const int focus = FocusedControl();
  const std::string& event = input.event;
  // A key acts as it goes down: when Shift is let go before J, the J still held is no new key.
  const std::string_view key = event == "key_released" ? "" : std::string_view(input.key);
  if (event == "winclose" || event == "btncancel") return CalendarExit::kClosed;
  if (event == "btnok") {
    // Return on the grid adds a planning, on the day's list modifies the selected one; it never
    // closes the calendar. OK while either has the focus can only be Return (a click or a key on
    // the button takes the focus there); the key's name is not asked, since a screen reader's key
    // listener may hand the key on only after it came up.
    if (focus == kGrid) add_planning(w);
    if (focus == kDayList) modify_selected_planning(w);
    if (focus == kGrid || focus == kDayList) return std::nullopt;
    return CalendarExit::kClosed;
  }
  if (const std::optional<CalendarMove> move = calendar_move(event, "", focus == kGrid)) {
    move_to(w, moved_day(*move, w.day, today(w), w.index));
  } else if (event.starts_with("menu")) {
    return menu_item(w, static_cast<int>(leading_integer(event.substr(4))));
  } else if (event == "btn1") {
    add_planning(w);
  } else if (event == "btn3") {
    modify_selected_planning(w);
  } else if (event == "btn2") {
    delete_selected_planning(w);
  } else if (event == "btn4") {
    show_note(w);
  } else if (event == "btn5") {
    show_help("cal.htm");
  } else if (!handle_key(w, key, focus) && event == "lst21" && ControlState(kGrid) >= 0) {
    move_to(w, w.page.first_day + ControlState(kGrid));
  }
  return std::nullopt;
}

}  // namespace

CalendarExit ShowCalendar(CalendarContext& context) {
  Calendar w{context, DayIndex(planning_folder(context.run.program_folder)), 0, -1, {}};
  w.day = context.run.calendar_day;
  build_window(w);
  for (;;) {
    if (const std::optional<CalendarExit> exit = handle(w, NextInput(-1, true))) return *exit;
  }
}

}  // namespace tavelo
