#include "alarms/chime_options.hpp"

#include <algorithm>
#include <set>

#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

ChimeOptionsForm load_chime_options(const Settings& settings, int now) {
  ChimeOptionsForm form;
  form.active = settings.chimes_active != 0;
  form.name = settings.chime_profile;
  form.test_time = now;
  return form;
}

void store_chime_options(const ChimeOptionsForm& form, Settings& settings) {
  settings.chimes_active = form.active ? 1 : 0;
  settings.chime_profile = form.name;
}

std::optional<ChimeTab> tab_for_key(ChimeTab shown, std::string_view key) {
  static constexpr std::string_view kPageKeys[] = {"f2", "f3", "f4", "f5"};
  for (int page = 0; page < kChimeTabCount; ++page) {
    if (key == kPageKeys[page]) return static_cast<ChimeTab>(page);
  }
  const int step = key == "controltab" ? 1 : key == "controlshifttab" ? kChimeTabCount - 1 : 0;
  if (step == 0) return std::nullopt;
  return static_cast<ChimeTab>((static_cast<int>(shown) + step) % kChimeTabCount);
}

std::optional<int> hidden_button_target(int button, ChimeTab shown) {
  // Per hidden button, its control on the general, quarter and hour pages (0: none there).
  static constexpr int kTargets[9][3] = {
      {103, 0, 0},      // "&profile"
      {105, 209, 309},  // "s&upprimer"
      {0, 210, 310},    // "&tout supprimer"
      {0, 206, 0},      // "fichier des &quarts"
      {0, 0, 306},      // "fichier des &heures"
      {0, 214, 314},    // "&volume"
      {0, 216, 316},    // "&balance"
      {0, 207, 307},    // "a&jouter"
      {0, 218, 318},    // "&durée"
  };
  if (button < 501 || button > 509 || shown == ChimeTab::download) return std::nullopt;
  const int target = kTargets[button - 501][static_cast<int>(shown)];
  if (target == 0) return std::nullopt;
  return target;
}

std::vector<std::string> hour_strike_items() {
  std::vector<std::string> items = {"aucun", "chaque élément correspond à son heure"};
  for (int strikes = 1; strikes <= 24; ++strikes) {
    items.push_back("répéter selon l'heure (" + std::to_string(strikes) + ")");
  }
  return items;
}

std::vector<std::string> quarter_cycle_items() {
  return {"aucun", "aux heures", "aux demi-heure", "aux quarts d'heure"};
}

std::vector<std::string> hour_random_items() {
  return {"désactivé", "à chaque heure", "à chaque cou"};
}

namespace {

int hour_of(int time) {
  return std::clamp(time / 100, 0, 23);
}
int minute_of(int time) {
  return std::clamp(time % 100, 0, 59);
}

}  // namespace

int quarter_item_of(int time) {
  return hour_of(time) * 4 + minute_of(time) / 15;
}

int time_of_quarter_item(int item) {
  const int quarter = std::clamp(item, 0, 95);
  return quarter / 4 * 100 + quarter % 4 * 15;
}

int minute_item_of(int time) {
  return hour_of(time) * 60 + minute_of(time);
}

int time_of_minute_item(int item) {
  const int minute = std::clamp(item, 0, 1439);
  return minute / 60 * 100 + minute % 60;
}

std::vector<ChimeEntry>& entries_of(ChimeProfile& profile, EntryList list) {
  return list == EntryList::quarters ? profile.quarters : profile.hours;
}

ChimeEntry with_typed_values(ChimeEntry entry, const TypedEntryValues& typed) {
  const auto within = [](std::string_view text, int low, int high) {
    return static_cast<int>(std::clamp<std::int64_t>(leading_integer(text), low, high));
  };
  entry.volume = within(typed.volume, 0, 100);
  entry.balance = within(typed.balance, -100, 100);
  entry.duration = within(typed.duration, 0, 32767);
  return entry;
}

namespace {

// A chosen sound as an entry of the chime folder: its name there, and the file to copy into
// place when it is not there yet.
struct SoundPlace {
  std::string entry_file;
  std::optional<fs::path> copy_to;
};

// The path of a file inside the chime folder, parts joined by backslashes as profiles keep
// them; nothing for a file outside it.
std::optional<std::string> name_in_folder(const fs::path& file, const fs::path& chimes) {
  std::error_code error;
  const fs::path inside =
      fs::weakly_canonical(file, error).lexically_relative(fs::weakly_canonical(chimes, error));
  if (error || inside.empty() || *inside.begin() == "..") return std::nullopt;
  std::vector<std::string> parts;
  for (const fs::path& part : inside) parts.push_back(part.string());
  return joined(parts, "\\");
}

std::string sub_folder_of(std::string_view entry_file) {
  const auto cut = entry_file.find('\\');
  return cut == std::string_view::npos ? "" : std::string(entry_file.substr(0, cut));
}

std::optional<SoundPlace> place_of(const fs::path& chosen, const fs::path& chimes,
                                   const std::string& name) {
  if (auto inside = name_in_folder(chosen, chimes)) return SoundPlace{*inside, std::nullopt};
  const auto folder = file_in_folder(chimes, name);
  const auto target = folder ? file_in_folder(*folder, chosen.filename().string()) : std::nullopt;
  if (!target) return std::nullopt;
  return SoundPlace{name + "\\" + chosen.filename().string(), target};
}

bool copy_into_place(const fs::path& chosen, const fs::path& target) {
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  return fs::copy_file(chosen, target, fs::copy_options::overwrite_existing, error) && !error;
}

}  // namespace

int add_sounds(ChimeOptionsForm& form, EntryList list, const std::vector<std::string>& chosen,
               const fs::path& chimes, Prompts& prompts) {
  int added = 0;
  std::set<std::string> offered;
  for (const std::string& file : chosen) {
    const fs::path path = path_of(file);
    const std::optional<SoundPlace> place = place_of(path, chimes, form.name);
    if (!place || (place->copy_to && !copy_into_place(path, *place->copy_to))) {
      prompts.notice("impossible d'ajouter le fichier " + file);
      continue;
    }
    const std::string sub_folder = sub_folder_of(place->entry_file);
    if (!place->copy_to && !sub_folder.empty() && sub_folder != form.name &&
        offered.insert(sub_folder).second &&
        prompts.question("Voulez-vous faire correspondre le sous-dossier " + sub_folder +
                         " au champ du profile?")) {
      form.name = sub_folder;
    }
    entries_of(form.profile, list).push_back({place->entry_file, 100, 0, 0});
    ++added;
  }
  if (added > 0) form.modified = true;
  return added;
}

std::optional<fs::path> profile_file(const fs::path& chimes, std::string_view name) {
  return file_in_folder(chimes, std::string(name) + ".car");
}

bool save_profile(ChimeOptionsForm& form, const fs::path& chimes, Prompts& prompts) {
  const auto file = profile_file(chimes, form.name);
  const auto saved = file ? SaveChimeProfile(*file, chimes, form.profile, prompts) : std::nullopt;
  if (!saved) {
    prompts.notice("Le profile " + form.name + " n'a pas été enregistré.");
    return false;
  }
  form.name = saved->stem().string();
  form.modified = false;
  return true;
}

bool offer_to_save(ChimeOptionsForm& form, const fs::path& chimes, std::string_view question,
                   Prompts& prompts) {
  if (!form.modified || !prompts.question(question)) return true;
  if (form.name.empty()) {
    prompts.notice("Le champ du profile est vide. Veuillez le remplir.");
    return false;
  }
  return save_profile(form, chimes, prompts);
}

bool delete_profile(std::string_view name, const fs::path& chimes, Prompts& prompts) {
  const auto file = profile_file(chimes, name);
  if (!file || !file_exists(*file)) {
    prompts.notice("Ce profile est inexistant.");
    return false;
  }
  if (!prompts.question("Supprimer ce profile?")) return false;
  std::error_code error;
  fs::remove(*file, error);
  const auto folder = file_in_folder(chimes, name);
  if (folder && fs::is_directory(*folder, error) &&
      prompts.question("Supprimer aussi le dossier correspondant ainsi que son contenu?\rNotez "
                       "que cela invalidera les autres profiles qui s'y ratachent et les "
                       "supprimera également.")) {
    fs::remove_all(*folder, error);
  }
  prompts.notice("Le profile est supprimé");
  return true;
}

}  // namespace tavelo
