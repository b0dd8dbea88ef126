#include "planning/planning_list.hpp"

#include <algorithm>
#include <cstdio>
#include <set>

#include "planning/calendar.hpp"
#include "planning/chain.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/series.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

std::string two_digits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

// Appended piece by piece: GCC 12 at -O3 misreads a literal joined to a temporary string.
std::string series_count(const Planning& planning) {
  std::string count;
  if (!planning.series_link.empty()) {
    count += '(';
    count += std::to_string(planning.occurrence_number);
    count += " de ";
    count += std::to_string(planning.number_of_times);
    count += ")";
  } else if (planning.number_of_times > 0) {
    count += '(';
    count += std::to_string(planning.number_of_times);
    count += " fois)";
  }
  return count;
}

std::string series_suffix(const Planning& planning) {
  const std::string count = series_count(planning);
  if (count.empty()) return count;
  std::string suffix = ", ";
  suffix += count;
  return suffix;
}

namespace {

std::string list_line(const PlanningNameFields& fields, const Planning& planning) {
  const CalendarDate date = date_of(fields.day);
  return std::string(kDayNames[static_cast<std::size_t>(weekday(fields.day))]) + ", le " +
         std::to_string(date.day) + " " +
         std::string(kMonthNames[static_cast<std::size_t>(date.month)]) + " " +
         std::to_string(date.year) + " à " + two_digits(fields.hour) + ":" +
         two_digits(fields.minute) + "; " + planning.subject + series_suffix(planning);
}

}  // namespace

std::optional<std::string> planning_list_line(std::string_view file_name,
                                              const Planning& planning) {
  const auto fields = parse_planning_name(file_name);
  if (!fields) return std::nullopt;
  return list_line(*fields, planning);
}

std::string_view planning_list_title(int mode) {
  if (mode == kNetworkPlannings) return "liste des plannifications réseau";
  if (mode == kReceivedPlannings) return "liste des dernières plannifications réseau reçues";
  return "liste des plannifications";
}

std::vector<std::string> received_identifiers(const fs::path& program_folder) {
  std::vector<std::string> identifiers;
  const std::string text =
      utf8_from_cp1252(read_file(program_folder / kReceivedIndexFile).value_or(std::string()));
  const int lines = chaincount(text, "\r\n");
  for (int i = 1; i <= lines; ++i) {
    std::string identifier = chain(text, "\r\n", i);
    if (!identifier.empty()) identifiers.push_back(std::move(identifier));
  }
  return identifiers;
}

void forget_received_plannings(const fs::path& program_folder) {
  std::error_code error;
  fs::remove(program_folder / kReceivedIndexFile, error);
}

namespace {

bool on_network(const Planning& planning) {
  return !planning.unique_identifier.empty() || !planning.sharing_identifiers.empty();
}

}  // namespace

std::vector<ListedPlanning> read_listed_plannings(const fs::path& program_folder,
                                                  const Settings& settings, int mode) {
  const fs::path folder = planning_folder(program_folder);
  std::set<std::string> received;
  if (mode == kReceivedPlannings) {
    for (std::string& identifier : received_identifiers(program_folder)) {
      received.insert(std::move(identifier));
    }
  }
  std::vector<std::string> files = list_plannings(folder);
  std::vector<ListedPlanning> listed;
  listed.reserve(files.size());
  for (std::string& file : files) {
    int readerror = 0;
    Planning planning = loadplanning(folder / file, program_folder, settings, readerror);
    if (mode == kNetworkPlannings && !on_network(planning)) continue;
    if (mode == kReceivedPlannings && !received.contains(planning.unique_identifier)) continue;
    const auto fields = parse_planning_name(file);
    if (!fields) continue;
    std::string line = list_line(*fields, planning);
    std::string category(trim_spaces(planning.category));
    std::string key = sorting_key(planning.subject);
    const long long minute =
        static_cast<long long>(fields->day) * kMinutesPerDay + fields->hour * 60 + fields->minute;
    listed.push_back({std::move(file), std::move(line), std::move(category), std::move(key),
                      std::move(planning), minute});
  }
  return listed;
}

namespace {

// Date, time, then the name: the names' digits are not compared as text.
bool earlier(const ListedPlanning& a, const ListedPlanning& b) {
  if (a.minute != b.minute) return a.minute < b.minute;
  return a.file < b.file;
}

}  // namespace

std::vector<std::size_t> shown_plannings(const std::vector<ListedPlanning>& plannings, int order,
                                         std::string_view category) {
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < plannings.size(); ++i) {
    if (category.empty() || plannings[i].category == category) shown.push_back(i);
  }
  std::stable_sort(shown.begin(), shown.end(), [&](std::size_t a, std::size_t b) {
    const ListedPlanning& pa = plannings[a];
    const ListedPlanning& pb = plannings[b];
    if (order == kAlphabetical && pa.sort_key != pb.sort_key) return pa.sort_key < pb.sort_key;
    return earlier(pa, pb);
  });
  return shown;
}

std::vector<std::string> shown_category_choices(const std::vector<std::string>& templates,
                                                const std::vector<ListedPlanning>& plannings) {
  std::vector<std::string> choices{std::string(kAllCategories)};
  const auto add = [&](const std::string& category) {
    if (!category.empty() &&
        std::find(choices.begin() + 1, choices.end(), category) == choices.end()) {
      choices.push_back(category);
    }
  };
  for (const std::string& category : templates) add(category);
  for (const ListedPlanning& planning : plannings) add(planning.category);
  return choices;
}

std::optional<std::size_t> search_lines(const std::vector<std::string>& lines, std::size_t selected,
                                        std::string_view text, bool forward) {
  const std::string wanted = lower_letters(trim_spaces(text));
  const auto holds = [&](std::size_t i) {
    return lower_letters(lines[i]).find(wanted) != std::string::npos;
  };
  if (forward) {
    for (std::size_t i = selected + 1; i < lines.size(); ++i) {
      if (holds(i)) return i;
    }
  } else {
    for (std::size_t i = std::min(selected, lines.size()); i-- > 0;) {
      if (holds(i)) return i;
    }
  }
  return std::nullopt;
}

namespace {

void delete_for_good(const fs::path& folder, const std::string& file, const Planning& planning,
                     const SendDeletionOf& send_deletion) {
  std::error_code error;
  fs::remove(folder / file, error);  // a file another program already deleted is no error
  if (send_deletion) send_deletion(file, planning);
}

}  // namespace

bool delete_listed_planning(const fs::path& program_folder, const ListedPlanning& listed,
                            Prompts& prompts, const SendDeletionOf& send_deletion) {
  if (!prompts.question("Voulez-vous supprimer la planification sélectionnée?")) return false;
  const fs::path folder = planning_folder(program_folder);
  const Planning& p = listed.planning;
  if (!p.series_link.empty() &&
      prompts.question(p.subject + " comporte des occurrences, voulez-vous les supprimer?")) {
    for (const std::string& file : series_files(program_folder, p.series_link)) {
      int readerror = 0;
      const Planning occurrence =
          read_planning(read_file(folder / file).value_or(""), Settings{}, readerror);
      delete_for_good(folder, file, occurrence, send_deletion);
    }
    return true;
  }
  delete_for_good(folder, listed.file, p, send_deletion);
  return true;
}

int delete_category_plannings(const fs::path& program_folder,
                              const std::vector<ListedPlanning>& plannings,
                              std::string_view category, Prompts& prompts,
                              const SendDeletionOf& send_deletion) {
  if (!prompts.question("Supprimer les planifications de la catégorie sélectionnée?")) return 0;
  const fs::path folder = planning_folder(program_folder);
  int deleted = 0;
  for (const ListedPlanning& listed : plannings) {
    if (listed.category != category) continue;
    delete_for_good(folder, listed.file, listed.planning, send_deletion);
    ++deleted;
  }
  return deleted;
}

bool exclude_from_network(const fs::path& program_folder, const ListedPlanning& listed,
                          const Settings& settings) {
  const fs::path file = planning_folder(program_folder) / listed.file;
  if (!file_exists(file)) return true;  // another program deleted it: nothing is left to send
  int readerror = 0;
  Planning planning = loadplanning(file, program_folder, settings, readerror);
  planning.unique_identifier.clear();
  planning.sharing_identifiers.clear();
  return write_file_atomically(file, write_planning(planning));
}

}  // namespace tavelo
