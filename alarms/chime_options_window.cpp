#include "alarms/chime_options_window.hpp"

#include <random>
#include <span>

#include "access/dialog.hpp"
#include "access/window.hpp"
#include "alarms/chime_archive.hpp"
#include "alarms/chime_player.hpp"
#include "alarms/sound_players.hpp"
#include "planning/calendar.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr std::string_view kTitle = "option des carillons";
constexpr int kHeight = 26, kWidth = 66;
constexpr int kTabs = 1, kHelp = 2;

// The general page.
constexpr int kActive = 101, kProfile = 103, kSave = 104, kDelete = 105, kExport = 106,
              kImport = 107, kStart = 109, kEnd = 111, kTestTime = 113, kPlay = 114, kStop = 115,
              kNow = 116, kNewProfile = 117;
// The quarter and hour pages share their layout: the hour page's numbers are 100 more.
constexpr int kCycle = 202, kQuarterRandom = 203, kHourWithFourth = 204, kFiles = 206,
              kAddFile = 207, kDeleteFile = 209, kDeleteAll = 210, kPlayFile = 211, kStopFile = 212,
              kVolume = 214, kBalance = 216, kDuration = 218, kVolumeToAll = 219,
              kBalanceToAll = 220;
constexpr int kHourPage = 100;
constexpr int kStrike = 302, kHourRandom = 304;
// The download page.
constexpr int kCatalogue = 402, kDownload = 403, kRefresh = 404;

constexpr std::string_view kPageNames[kChimeTabCount] = {"Général-F2", "quart d'heure-F3",
                                                         "heures-F4", "téléchargement-f5"};

constexpr ControlSpec kGeneralPage[] = {
    {ControlKind::check_box, kActive, "activer les carillons", 4, 2, 30},
    {ControlKind::button, kNewProfile, "&nouveau profile", 4, 40, 22},
    {ControlKind::label, 102, "profile, ALT+P:", 7, 2},
    {ControlKind::combo_box, kProfile, "", 7, 20, 42, 2, kEditable},
    {ControlKind::label, 108, "début:", 10, 2},
    {ControlKind::combo_box, kStart, "", 10, 20, 12},
    {ControlKind::label, 110, "fin:", 10, 36},
    {ControlKind::combo_box, kEnd, "", 10, 44, 12},
    {ControlKind::label, 112, "heure de test:", 13, 2},
    {ControlKind::combo_box, kTestTime, "", 13, 20, 12},
    {ControlKind::button, kPlay, "jouer-F6", 13, 36, 12},
    {ControlKind::button, kStop, "arrêter-F7", 13, 50, 12},
    {ControlKind::button, kNow, "heure &actuel", 16, 20, 20},
    {ControlKind::button, kSave, "enregi&strer", 19, 2, 14},
    {ControlKind::button, kDelete, "s&upprimer", 19, 18, 14},
    {ControlKind::button, kExport, "&exporter", 19, 34, 14},
    {ControlKind::button, kImport, "&importer", 19, 50, 14},
};

constexpr ControlSpec kQuarterPage[] = {
    {ControlKind::label, 201, "sicle des quarts:", 4, 2},
    {ControlKind::combo_box, kCycle, "", 4, 24, 30},
    {ControlKind::check_box, kQuarterRandom, "mode aléatoire", 7, 2, 20},
    {ControlKind::check_box, kHourWithFourth, "heure combinée au quatrième quart", 7, 24, 38},
    {ControlKind::label, 205, "fichiers des quarts, ALT+Q", 10, 2},
    {ControlKind::list_box, kFiles, "", 12, 2, 38, 6},
    {ControlKind::button, kAddFile, "a&jouter un fichier", 12, 44, 20},
    {ControlKind::button, kDeleteFile, "s&upprimer", 14, 44, 20},
    {ControlKind::button, kDeleteAll, "&tout supprimer", 16, 44, 20},
    {ControlKind::button, kPlayFile, "jouer-F6", 18, 44, 10},
    {ControlKind::button, kStopFile, "arrêter-F7", 18, 55, 10},
    {ControlKind::label, 213, "volume, ALT+V:", 20, 2},
    {ControlKind::text_field, kVolume, "", 20, 20, 6, 2, kDigitsOnly},
    {ControlKind::button, kVolumeToAll, "appliquer ce volume à tous les quarts", 20, 28, 36},
    {ControlKind::label, 215, "balance, ALT+B:", 22, 2},
    {ControlKind::text_field, kBalance, "", 22, 20, 6},
    {ControlKind::button, kBalanceToAll, "appliquer cette balance à tous les quarts", 22, 28, 36},
    {ControlKind::label, 217, "durée, ALT+D:", 24, 2},
    {ControlKind::text_field, kDuration, "", 24, 20, 8, 2, kDigitsOnly},
};

constexpr ControlSpec kHourPageControls[] = {
    {ControlKind::label, 301, "sicle des heures:", 4, 2},
    {ControlKind::combo_box, kStrike, "", 4, 24, 36},
    {ControlKind::label, 303, "mode aléatoire:", 7, 2},
    {ControlKind::combo_box, kHourRandom, "", 7, 24, 24},
    {ControlKind::label, 305, "fichiers des heures, ALT+H", 10, 2},
    {ControlKind::list_box, kFiles + kHourPage, "", 12, 2, 38, 6},
    {ControlKind::button, kAddFile + kHourPage, "a&jouter un fichier", 12, 44, 20},
    {ControlKind::button, kDeleteFile + kHourPage, "s&upprimer", 14, 44, 20},
    {ControlKind::button, kDeleteAll + kHourPage, "&tout supprimer", 16, 44, 20},
    {ControlKind::button, kPlayFile + kHourPage, "jouer-F6", 18, 44, 10},
    {ControlKind::button, kStopFile + kHourPage, "arrêter-F7", 18, 55, 10},
    {ControlKind::label, 313, "volume, ALT+V:", 20, 2},
    {ControlKind::text_field, kVolume + kHourPage, "", 20, 20, 6, 2, kDigitsOnly},
    {ControlKind::button, kVolumeToAll + kHourPage, "appliquer ce volume à toutes les heures", 20,
     28, 36},
    {ControlKind::label, 315, "balance, ALT+B:", 22, 2},
    {ControlKind::text_field, kBalance + kHourPage, "", 22, 20, 6},
    {ControlKind::button, kBalanceToAll + kHourPage, "appliquer cette balance à toutes les heures",
     22, 28, 36},
    {ControlKind::label, 317, "durée, ALT+D:", 24, 2},
    {ControlKind::text_field, kDuration + kHourPage, "", 24, 20, 8, 2, kDigitsOnly},
};

constexpr ControlSpec kDownloadPage[] = {
    {ControlKind::label, 401, "carillons", 4, 2},
    {ControlKind::list_box, kCatalogue, "", 6, 2, 40, 14, kSeveral},
    {ControlKind::button, kDownload, "télécharger", 6, 46, 16},
    {ControlKind::button, kRefresh, "actualiser", 9, 46, 16},
};

constexpr ControlSpec kTabPanel[] = {{ControlKind::tab_panel, kTabs, "", 1, 2, 62, 2}};
constexpr ControlSpec kHelpButton[] = {{ControlKind::button, kHelp, "Aide-F1", 26, 2, 12}};

// The hidden buttons 501 to 509: each Alt letter acts on its control of the page shown.
constexpr int kFirstHidden = 501;
constexpr char kHiddenLetters[] = {'P', 'U', 'T', 'Q', 'H', 'V', 'B', 'J', 'D'};

constexpr std::string_view kModifiedQuestion =
    "Le profile courant a été modifié. Souhaitez-vous l'enregistrer?";

struct ChimeWindow {
  ChimeWindow(ChimeOptionsContext& context, ChimeTab first)
      : c(context),
        chimes(chime_folder(context.program_folder)),
        form(load_chime_options(context.settings,
                                context.clock.now().hour * 100 + context.clock.now().minute)),
        tab(first),
        last_folder(context.home),
        players(sound_mixer(), context.clock, context.program_folder),
        random(std::random_device{}()) {
    players.report = sound_report();
  }

  ChimeOptionsContext& c;
  fs::path chimes;
  ChimeOptionsForm form;
  ChimeTab tab;
  std::vector<std::string> profiles;
  std::vector<std::string> catalogue;
  fs::path last_folder;
  int selected[2] = {-1, -1};  // the entry shown under each file list
  SoundPlayers players;
  std::mt19937 random;
  ChimeThread thread;  // after the players, which it plays on: it ends first
};

std::span<const ControlSpec> page_controls(ChimeTab tab) {
  switch (tab) {
    case ChimeTab::general:
      return kGeneralPage;
    case ChimeTab::quarters:
      return kQuarterPage;
    case ChimeTab::hours:
      return kHourPageControls;
    case ChimeTab::download:
      break;
  }
  return kDownloadPage;
}

std::optional<EntryList> shown_list(const ChimeWindow& w) {
  if (w.tab == ChimeTab::quarters) return EntryList::quarters;
  if (w.tab == ChimeTab::hours) return EntryList::hours;
  return std::nullopt;
}

// The number of a control of the file pages, on the page shown.
int on_page(const ChimeWindow& w, int quarter_number) {
  return w.tab == ChimeTab::hours ? quarter_number + kHourPage : quarter_number;
}

int& selected_entry(ChimeWindow& w, EntryList list) {
  return w.selected[list == EntryList::quarters ? 0 : 1];
}

void fill(int number, const std::vector<std::string>& items, int selected) {
  ClearItems(number);
  for (const std::string& item : items) AddItem(number, item);
  SetControlState(number, selected);
}

int index_of(const std::vector<std::string>& items, std::string_view wanted) {
  const auto found = std::find(items.begin(), items.end(), wanted);
  return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

void show_profile_field(const ChimeWindow& w) {
  fill(kProfile, w.profiles, index_of(w.profiles, w.form.name));
  SetControlText(kProfile, w.form.name);
}

void show_general(const ChimeWindow& w) {
  SetControlState(kActive, w.form.active ? 1 : 0);
  show_profile_field(w);
  const std::vector<std::string> quarters = FillTimeList(1);
  fill(kStart, quarters, quarter_item_of(w.form.profile.start));
  fill(kEnd, quarters, quarter_item_of(w.form.profile.end));
  fill(kTestTime, FillTimeList(0), minute_item_of(w.form.test_time));
}

void show_entry_values(ChimeWindow& w, EntryList list) {
  const std::vector<ChimeEntry>& entries = entries_of(w.form.profile, list);
  const int index = selected_entry(w, list);
  const bool shown = index >= 0 && index < static_cast<int>(entries.size());
  const ChimeEntry entry = shown ? entries[static_cast<std::size_t>(index)] : ChimeEntry{};
  SetControlText(on_page(w, kVolume), shown ? std::to_string(entry.volume) : "");
  SetControlText(on_page(w, kBalance), shown ? std::to_string(entry.balance) : "");
  SetControlText(on_page(w, kDuration), shown ? std::to_string(entry.duration) : "");
}

void show_files(ChimeWindow& w, EntryList list) {
  std::vector<std::string> names;
  for (const ChimeEntry& entry : entries_of(w.form.profile, list)) names.push_back(entry.file);
  int& index = selected_entry(w, list);
  index = names.empty() ? -1 : std::clamp(index, 0, static_cast<int>(names.size()) - 1);
  fill(on_page(w, kFiles), names, index);
  show_entry_values(w, list);
}

void show_quarters(ChimeWindow& w) {
  const ChimeProfile& p = w.form.profile;
  fill(kCycle, quarter_cycle_items(), std::clamp(p.quarter_cycle, 0, 3));
  SetControlState(kQuarterRandom, p.quarter_random != 0 ? 1 : 0);
  SetControlState(kHourWithFourth, p.hour_with_fourth_quarter != 0 ? 1 : 0);
  show_files(w, EntryList::quarters);
}

void show_hours(ChimeWindow& w) {
  const ChimeProfile& p = w.form.profile;
  fill(kStrike, hour_strike_items(), std::clamp(p.hour_strike_mode, 0, 25));
  fill(kHourRandom, hour_random_items(), std::clamp(p.hour_random_mode, 0, 2));
  show_files(w, EntryList::hours);
}

// The page is the window: turning to another page builds the window again with its controls.
void show_page(ChimeWindow& w, ChimeTab tab) {
  w.tab = tab;
  OpenDialog("", 0, 0, kHeight, kWidth, kTitle);
  AddControls(kTabPanel);
  for (const std::string_view name : kPageNames) AddItem(kTabs, name);
  SetControlState(kTabs, static_cast<int>(tab));
  const std::span<const ControlSpec> controls = page_controls(tab);
  AddControls(controls);
  AddControls(kHelpButton);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  for (int i = 0; i < 9; ++i) AddShortcut(kHiddenLetters[i] | kShortcutAlt, kFirstHidden + i);
  switch (tab) {
    case ChimeTab::general:
      show_general(w);
      break;
    case ChimeTab::quarters:
      show_quarters(w);
      break;
    case ChimeTab::hours:
      show_hours(w);
      break;
    case ChimeTab::download:
      fill(kCatalogue, w.catalogue, -1);
      break;
  }
  const auto first = std::find_if(controls.begin(), controls.end(), [](const ControlSpec& control) {
    return control.kind != ControlKind::label;
  });
  FocusControl(first->number);
}

void refill_profiles(ChimeWindow& w) {
  w.profiles = ListChimeProfiles(w.chimes, w.c.prompts);
  if (w.tab == ChimeTab::general) show_profile_field(w);
}

void load_profile(ChimeWindow& w, const std::string& name) {
  w.form.name = name;
  w.form.profile = {};
  w.form.modified = false;
  const auto file = profile_file(w.chimes, name);
  if (!file || !LoadChimeProfile(*file, w.chimes, w.form.profile, w.c.prompts)) {
    w.form.profile = {};
    refill_profiles(w);
  }
  w.selected[0] = w.selected[1] = 0;
  if (w.tab == ChimeTab::general) show_general(w);
}

// What the user typed into the fields: the profile's name, and the values of the entry shown.
void take_typed_values(ChimeWindow& w, std::string_view event) {
  if (w.tab == ChimeTab::general && event != "cmb" + std::to_string(kProfile)) {
    w.form.name = ControlText(kProfile);
  }
  const std::optional<EntryList> list = shown_list(w);
  if (!list) return;
  std::vector<ChimeEntry>& entries = entries_of(w.form.profile, *list);
  const int index = selected_entry(w, *list);
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  ChimeEntry& entry = entries[static_cast<std::size_t>(index)];
  const ChimeEntry typed =
      with_typed_values(entry, {ControlText(on_page(w, kVolume)), ControlText(on_page(w, kBalance)),
                                ControlText(on_page(w, kDuration))});
  if (typed.volume == entry.volume && typed.balance == entry.balance &&
      typed.duration == entry.duration) {
    return;
  }
  entry = typed;
  w.form.modified = true;
}

void silence(ChimeWindow& w) {
  stop_chime(w.thread);
  PlayMedia(w.players, "", 0, 100, 0);
  PlayOgg(w.players, "", 0, 100, 0);
}

// The chime on the chime's own thread: the test play of the general page, or one file.
void play(ChimeWindow& w, ChimeRequest request) {
  const std::optional<ChimeProfile> profile = playable_profile(w.form.profile, w.chimes);
  if (!profile) return;
  std::mt19937& random = w.random;
  PlayChime(w.thread, w.players, *profile, request, [&random](std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
  });
}

void play_test(ChimeWindow& w) {
  ChimeRequest request;
  request.time = w.form.test_time;
  request.forced = true;
  play(w, request);
}

void play_file(ChimeWindow& w, EntryList list) {
  const int index = selected_entry(w, list);
  if (index < 0) return;
  ChimeRequest request;
  request.time = w.form.test_time;
  (list == EntryList::quarters ? request.preview_quarter : request.preview_hour) = index;
  play(w, request);
}

void add_files(ChimeWindow& w, EntryList list) {
  if (w.form.name.empty()) {
    w.c.prompts.notice(
        "Le champ du profile de l'onglet général est vide. Veuillez le remplir avant d'importer "
        "un son.");
    return;
  }
  const std::vector<std::string> chosen = window_system().open_files_dialog(
      list == EntryList::quarters ? "importer un fichier de quart" : "importer un fichier d'heure",
      "*.wav;*.ogg;*.mp3", w.last_folder.string());
  if (chosen.empty()) return;
  w.last_folder = fs::path(chosen.front()).parent_path();
  const int before = static_cast<int>(entries_of(w.form.profile, list).size());
  if (add_sounds(w.form, list, chosen, w.chimes, w.c.prompts) > 0) selected_entry(w, list) = before;
  show_files(w, list);
}

void delete_file(ChimeWindow& w, EntryList list) {
  std::vector<ChimeEntry>& entries = entries_of(w.form.profile, list);
  const int index = selected_entry(w, list);
  if (index < 0 || index >= static_cast<int>(entries.size())) {
    w.c.prompts.notice("rien à supprimer");
    return;
  }
  if (!w.c.prompts.question("Supprimer ce quart de la liste?")) return;
  entries.erase(entries.begin() + index);
  w.form.modified = true;
  show_files(w, list);
}

void delete_all_files(ChimeWindow& w, EntryList list) {
  std::vector<ChimeEntry>& entries = entries_of(w.form.profile, list);
  if (entries.empty()) {
    w.c.prompts.notice("rien à supprimer");
    return;
  }
  entries.clear();
  w.form.modified = true;
  show_files(w, list);
}

// The volume or the balance of the entry shown, given to every entry of its list.
void apply_to_all(ChimeWindow& w, EntryList list, int ChimeEntry::*value) {
  std::vector<ChimeEntry>& entries = entries_of(w.form.profile, list);
  const int index = selected_entry(w, list);
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  const int shown = entries[static_cast<std::size_t>(index)].*value;
  for (ChimeEntry& entry : entries) entry.*value = shown;
  w.form.modified = true;
}

void new_profile(ChimeWindow& w) {
  if (!offer_to_save(w.form, w.chimes, kModifiedQuestion, w.c.prompts)) return;
  w.form.profile = {};
  w.form.name = "nouveau profile";
  w.form.modified = false;
  w.selected[0] = w.selected[1] = -1;
  show_general(w);
}

void choose_profile(ChimeWindow& w) {
  const int chosen = ControlState(kProfile);
  if (chosen < 0 || chosen >= static_cast<int>(w.profiles.size())) return;
  if (!offer_to_save(w.form, w.chimes, "Voulez-vous enregistrer le profile modifié?",
                     w.c.prompts)) {
    show_profile_field(w);
    return;
  }
  load_profile(w, w.profiles[static_cast<std::size_t>(chosen)]);
}

void save_button(ChimeWindow& w) {
  if (w.form.name.empty()) {
    w.c.prompts.notice("le champ du profile est vide");
    return;
  }
  if (!save_profile(w.form, w.chimes, w.c.prompts)) return;
  w.c.prompts.notice("Le profile est enregistré.");
  refill_profiles(w);
}

void delete_button(ChimeWindow& w) {
  if (!delete_profile(w.form.name, w.chimes, w.c.prompts)) return;
  w.form.profile = {};
  w.form.name.clear();
  w.form.modified = false;
  refill_profiles(w);
  show_general(w);
}

std::string with_extension(std::string path, std::string_view extension) {
  if (!lower_ascii(path).ends_with(extension)) path += extension;
  return path;
}

void export_button(ChimeWindow& w) {
  if (!offer_to_save(w.form, w.chimes,
                     "le profile courant a été modifié. Voulez-vous l'enregistrer pour "
                     "l'exporter?",
                     w.c.prompts)) {
    return;
  }
  const auto file = profile_file(w.chimes, w.form.name);
  const auto chosen = window_system().save_file_dialog(
      "exportation d'un profile", "*.crx", w.last_folder.string(), w.form.name + ".crx");
  if (!file || !chosen) return;
  const fs::path archive = with_extension(*chosen, ".crx");
  w.last_folder = archive.parent_path();
  if (ExportChimeProfile(archive, *file, w.chimes, w.c.prompts)) {
    w.c.prompts.notice("l'exportation est terminée.");
  }
}

void import_button(ChimeWindow& w) {
  if (!offer_to_save(w.form, w.chimes, kModifiedQuestion, w.c.prompts)) return;
  const auto chosen =
      window_system().open_file_dialog("importer un carillon", "*.crx", w.last_folder.string());
  if (!chosen) return;
  w.last_folder = fs::path(*chosen).parent_path();
  const auto imported = ImportChimeProfile(*chosen, w.chimes, w.c.prompts);
  if (!imported) return;
  w.c.prompts.notice("l'importation est terminée.");
  refill_profiles(w);
  load_profile(w, *imported);
}

void download_button(ChimeWindow& w) {
  std::vector<std::string> chosen;
  for (const int item : MarkedItems(kCatalogue)) {
    chosen.push_back(w.catalogue[static_cast<std::size_t>(item)]);
  }
  if (chosen.empty()) {
    w.c.prompts.notice("rien a été téléchargé.");
    return;
  }
  const ChimeDownload download =
      download_chime_profiles(chosen, w.c.program_folder, w.c.source, w.c.prompts);
  w.c.prompts.notice(download.every_file_arrived ? "le téléchargement est terminée."
                                                 : "le serveur est inaccessible pour le moment.");
  refill_profiles(w);
}

void refresh_button(ChimeWindow& w) {
  const auto names = FetchChimeCatalogue(0, w.c.program_folder, w.c.source, w.c.prompts, [] {});
  if (!names) {
    w.c.prompts.notice("le serveur est inaccessible pour le moment.");
    return;
  }
  w.catalogue = *names;
  fill(kCatalogue, w.catalogue, -1);
}

void store_and_save(ChimeWindow& w) {
  store_chime_options(w.form, w.c.settings);
  if (!savesettings(w.c.program_folder, w.c.settings, todaynumber(w.c.clock))) {
    w.c.prompts.notice("impossible d'écrire le fichier " + std::string(kSettingsFile));
  }
}

bool is_button(const std::string& event, int number) {
  return event == "btn" + std::to_string(number);
}

// The buttons and lists of the quarter and hour pages.
void file_page_event(ChimeWindow& w, EntryList list, const Input& input) {
  const std::string& e = input.event;
  if (e == "lst" + std::to_string(on_page(w, kFiles))) {
    selected_entry(w, list) = ControlState(on_page(w, kFiles));
    show_entry_values(w, list);
  } else if (is_button(e, on_page(w, kAddFile))) {
    add_files(w, list);
  } else if (is_button(e, on_page(w, kDeleteFile))) {
    delete_file(w, list);
  } else if (is_button(e, on_page(w, kDeleteAll))) {
    delete_all_files(w, list);
  } else if (is_button(e, on_page(w, kPlayFile)) || input.key == "f6") {
    play_file(w, list);
  } else if (is_button(e, on_page(w, kStopFile)) || input.key == "f7") {
    silence(w);
  } else if (is_button(e, on_page(w, kVolumeToAll))) {
    apply_to_all(w, list, &ChimeEntry::volume);
  } else if (is_button(e, on_page(w, kBalanceToAll))) {
    apply_to_all(w, list, &ChimeEntry::balance);
  }
}

// The choices of the quarter and hour pages that change the profile.
void choice_event(ChimeWindow& w, const std::string& e) {
  ChimeProfile& p = w.form.profile;
  const auto changed = [&w](int& field, int value) {
    if (field == value) return;
    field = value;
    w.form.modified = true;
  };
  if (e == "cmb" + std::to_string(kCycle)) changed(p.quarter_cycle, ControlState(kCycle));
  if (e == "cmb" + std::to_string(kStrike)) changed(p.hour_strike_mode, ControlState(kStrike));
  if (e == "cmb" + std::to_string(kHourRandom)) {
    changed(p.hour_random_mode, ControlState(kHourRandom));
  }
  if (e.starts_with("chk" + std::to_string(kQuarterRandom))) {
    changed(p.quarter_random, ticks_box(e) ? 1 : 0);
  }
  if (e.starts_with("chk" + std::to_string(kHourWithFourth))) {
    changed(p.hour_with_fourth_quarter, ticks_box(e) ? 1 : 0);
  }
  if (e == "cmb" + std::to_string(kStart)) {
    changed(p.start, time_of_quarter_item(ControlState(kStart)));
  }
  if (e == "cmb" + std::to_string(kEnd)) changed(p.end, time_of_quarter_item(ControlState(kEnd)));
}

void general_page_event(ChimeWindow& w, const Input& input) {
  const std::string& e = input.event;
  if (e.starts_with("chk" + std::to_string(kActive))) {
    w.form.active = ticks_box(e);
  } else if (e == "cmb" + std::to_string(kProfile)) {
    choose_profile(w);
  } else if (e == "cmb" + std::to_string(kTestTime)) {
    w.form.test_time = time_of_minute_item(ControlState(kTestTime));
  } else if (is_button(e, kPlay) || input.key == "f6") {
    play_test(w);
  } else if (is_button(e, kStop) || input.key == "f7") {
    silence(w);
  } else if (is_button(e, kNow)) {
    const LocalTime now = w.c.clock.now();
    w.form.test_time = now.hour * 100 + now.minute;
    SetControlState(kTestTime, minute_item_of(w.form.test_time));
  } else if (is_button(e, kNewProfile)) {
    new_profile(w);
  } else if (is_button(e, kSave)) {
    save_button(w);
  } else if (is_button(e, kDelete)) {
    delete_button(w);
  } else if (is_button(e, kExport)) {
    export_button(w);
  } else if (is_button(e, kImport)) {
    import_button(w);
  }
}

void page_event(ChimeWindow& w, const Input& input) {
  choice_event(w, input.event);
  if (const std::optional<EntryList> list = shown_list(w)) {
    file_page_event(w, *list, input);
  } else if (w.tab == ChimeTab::general) {
    general_page_event(w, input);
  } else if (is_button(input.event, kDownload)) {
    download_button(w);
  } else if (is_button(input.event, kRefresh)) {
    refresh_button(w);
  }
}

// A hidden button's Alt letter: its control of the page shown is pressed, or takes the focus.
std::optional<Input> hidden_button(const ChimeWindow& w, const Input& input) {
  if (!input.event.starts_with("menu")) return std::nullopt;
  const auto target =
      hidden_button_target(static_cast<int>(leading_integer(input.event.substr(4))), w.tab);
  if (!target) return std::nullopt;
  const auto controls = page_controls(w.tab);
  const bool button = std::any_of(controls.begin(), controls.end(), [&](const ControlSpec& c) {
    return c.number == *target && c.kind == ControlKind::button;
  });
  if (button) return Input{"btn" + std::to_string(*target), ""};
  FocusControl(*target);
  return std::nullopt;
}

std::optional<ChimeTab> page_asked(const ChimeWindow& w, const Input& input) {
  if (input.event == "pnl" + std::to_string(kTabs)) {
    return static_cast<ChimeTab>(std::clamp(ControlState(kTabs), 0, kChimeTabCount - 1));
  }
  return tab_for_key(w.tab, input.key);
}

// The chime options need the agenda running in the background.
bool background_agenda_on(ChimeOptionsContext& c) {
  if (c.settings.background_mode != 0) return true;
  if (!c.prompts.question("Pour utiliser les fonctions liées aux options des carillons, l'agenda "
                          "doit fonctionner en arrière-plan.  Voulez-vous activer cette "
                          "fonction?")) {
    return false;
  }
  c.settings.background_mode = 1;
  if (!savesettings(c.program_folder, c.settings, todaynumber(c.clock))) {
    c.prompts.notice("impossible d'écrire le fichier " + std::string(kSettingsFile));
  }
  return true;
}

}  // namespace

bool ChimeOptions(ChimeOptionsContext& context, ChimeTab first) {
  if (!background_agenda_on(context)) return false;
  ChimeWindow w(context, first);
  std::error_code error;
  fs::create_directories(w.chimes, error);
  w.profiles = ListChimeProfiles(w.chimes, context.prompts);
  w.catalogue = stored_catalogue(context.program_folder);
  if (!w.form.name.empty()) load_profile(w, w.form.name);
  show_page(w, first);
  for (;;) {
    Input input = NextInput(-1);
    take_typed_values(w, input.event);
    if (const auto page = page_asked(w, input)) {
      if (*page != w.tab) show_page(w, *page);
      continue;
    }
    if (const auto pressed = hidden_button(w, input)) input = *pressed;
    const std::string& e = input.event;
    if (e == "btncancel" || e == "winclose") {
      if (offer_to_save(w.form, w.chimes, kModifiedQuestion, context.prompts)) return false;
    } else if (e == "btnok") {
      if (offer_to_save(w.form, w.chimes, kModifiedQuestion, context.prompts)) {
        store_and_save(w);
        return true;
      }
    } else if (is_button(e, kHelp) || input.key == "f1") {
      shell_service().show_help("optcarillons.htm");
    } else {
      page_event(w, input);
    }
  }
}

}  // namespace tavelo
