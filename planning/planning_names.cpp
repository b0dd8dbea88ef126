#include "planning/planning_names.hpp"

#include <algorithm>
#include <cstdio>

#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

fs::path planning_folder(const fs::path& program_folder) {
  return program_folder / kPlanningFolder;
}

namespace {

std::string name_time(std::string_view time) {
  std::string text(time);
  std::replace(text.begin(), text.end(), ':', '-');
  return text;
}

}  // namespace

std::string planning_base_name(int day, std::string_view time) {
  return std::to_string(day) + " " + name_time(time) + ".gnd";
}

std::string free_planning_name(const fs::path& folder, int day, std::string_view time,
                               std::string_view replacing) {
  std::string name = planning_base_name(day, time);
  while (name != replacing && file_exists(folder / name)) name += 'a';
  return name;
}

NextName names_with_a_appended(std::string name) {
  return [name = std::move(name)]() mutable -> std::optional<std::string> {
    std::string next = name;
    name += 'a';
    return next;
  };
}

NextName free_planning_names(const fs::path& folder, int day, std::string_view time,
                             std::string suffix) {
  if (suffix.empty()) return names_with_a_appended(planning_base_name(day, time));
  return [folder, suffix = std::move(suffix),
          name = planning_base_name(day, time)]() mutable -> std::optional<std::string> {
    while (file_exists(folder / name)) name += 'a';
    std::string next = name + suffix;
    name += 'a';
    return next;
  };
}

namespace {

// The deadlines of the folder but the file being replaced.
std::vector<std::string> other_deadlines(const fs::path& folder, std::string_view replacing) {
  std::vector<std::string> deadlines;
  for (std::string& name : list_plannings(folder)) {
    if (name != replacing && name.find("limite") != std::string::npos) {
      deadlines.push_back(std::move(name));
    }
  }
  return deadlines;
}

}  // namespace

std::string new_planning_name(const fs::path& folder, int day, std::string_view time,
                              std::string_view subject, std::string_view series_link,
                              Prompts& prompts, std::string_view replacing) {
  std::string name = free_planning_name(folder, day, time, replacing);
  if (!series_link.empty()) return name + ";" + std::string(series_link);
  if (subject.find("LIMITE") == std::string_view::npos) return name;
  if (!prompts.question("sagit'il d'une planification de date limite?")) return name;
  // There is one deadline at most: the one there stays unless the user lets it go, and then
  // this planning is no deadline, instead of the upkeep deleting one of the two unseen.
  const std::vector<std::string> deadlines = other_deadlines(folder, replacing);
  if (!deadlines.empty()) {
    if (!prompts.question("supprimer la date limite déjà existante?")) return name;
    for (const std::string& deadline : deadlines) {
      std::error_code error;
      fs::remove(folder / deadline, error);
    }
  }
  return name + " limite";
}

std::string deadline_end_marker_name(int day, std::string_view time, std::string_view series_link) {
  return std::to_string(day) + " " + name_time(time) + ".lmt;" + std::string(series_link);
}

namespace {

std::optional<int> whole_number(std::string_view digits) {
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

// Cut by bytes: the separators are ASCII, and no byte of a multi-byte character is.
std::optional<PlanningNameFields> parse_planning_name(std::string_view name) {
  constexpr std::string_view kSeparators = " -.";
  const auto separators = std::count_if(name.begin(), name.end(), [&](char c) {
    return kSeparators.find(c) != std::string_view::npos;
  });
  if (separators < 3) return std::nullopt;
  std::string_view rest = trim_spaces(name);
  std::optional<int> numbers[3];
  for (std::optional<int>& number : numbers) {
    const std::size_t end = std::min(rest.find_first_of(kSeparators), rest.size());
    number = whole_number(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  const auto [day, hour, minute] = numbers;
  if (!day || !hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
  return PlanningNameFields{*day, *hour, *minute};
}

std::vector<std::string> list_plannings(const fs::path& folder) {
  return list_files(folder, kPlanningPattern);
}

std::string time_text(int hour, int minute) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", hour % 100, minute % 100);
  return text;
}

std::vector<std::string> day_times() {
  std::vector<std::string> times;
  times.reserve(kMinutesPerDay);
  for (int minute = 0; minute < kMinutesPerDay; ++minute) {
    times.push_back(time_text(minute / 60, minute % 60));
  }
  return times;
}

int day_time_item(int hour, int minute) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return 0;
  return hour * 60 + minute;
}

}  // namespace tavelo
