// The plannings of the idle footprint measure (bench/agenda_footprint.sh), written three ways:
// as Tavelo's planning files with the settings of a background agenda, as a remind script and as
// calcurse's appointments. Usage: tavelo-footprint-data PROGRAM_FOLDER COUNT
#include <charconv>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"

namespace {

using namespace tavelo;

constexpr int kMostPlannings = 100000;

int machine_today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return daynumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string two_digits(int value) {
  std::string text = std::to_string(value);
  if (value < 10) text.insert(text.begin(), '0');
  return text;
}

// Nothing rings while the measure runs: the plannings start tomorrow; the forewarning, the
// chimes and the management pass of the day stay out of the way.
Settings background_settings(const fs::path& folder, int today) {
  Settings settings = default_settings(today, false);
  apply_zero_value_defaults(settings);
  settings.background_mode = 1;
  settings.forewarning_hour = 255;
  settings.chimes_active = 0;
  settings.management_hour = 23;
  settings.management_minute = 59;
  settings.journal_folder = (folder / "journal").string();
  return settings;
}

void write_all(const fs::path& folder, int count) {
  const int today = machine_today();
  const fs::path rdv = planning_folder(folder);
  fs::create_directories(rdv);
  fs::create_directories(folder / "journal");
  fs::create_directories(folder / "carillons");
  fs::create_directories(folder / "calcurse");
  std::ofstream remind(folder / "rappels.rem");
  // calcurse's daemon stays only when its configuration asks for it.
  std::ofstream(folder / "calcurse" / "conf") << "daemon.enable=yes\n";
  std::ofstream calcurse(folder / "calcurse" / "apts");
  std::mt19937 random(20261208);
  for (int i = 0; i < count; ++i) {
    const int day = today + 1 + static_cast<int>(random() % 60);
    const int hour = 8 + static_cast<int>(random() % 12);
    const int minute = static_cast<int>(random() % 4) * 15;
    Planning p;
    p.subject = "rendez-vous " + std::to_string(i);
    p.journal = 1;
    std::string name = planning_base_name(day, time_text(hour, minute));
    while (fs::exists(rdv / name)) name += 'a';
    std::ofstream(rdv / name, std::ios::binary) << write_planning(p);
    const CalendarDate d = date_of(day);
    const std::string time = two_digits(hour) + ":" + two_digits(minute);
    remind << "REM " << d.year << "-" << two_digits(d.month) << "-" << two_digits(d.day) << " AT "
           << time << " MSG " << p.subject << "\n";
    const std::string date =
        two_digits(d.month) + "/" + two_digits(d.day) + "/" + std::to_string(d.year);
    calcurse << date << " @ " << time << " -> " << date << " @ " << time << " |" << p.subject
             << "\n";
  }
  if (!savesettings(folder, background_settings(folder, today), today)) {
    throw std::runtime_error("cannot write the settings in " + folder.string());
  }
}

}  // namespace

int main(int argc, char** argv) {
  int count = 0;
  const std::string_view count_text = argc == 3 ? argv[2] : "";
  const auto parsed = std::from_chars(count_text.begin(), count_text.end(), count);
  if (argc != 3 || parsed.ec != std::errc() || parsed.ptr != count_text.end() || count < 0 ||
      count > kMostPlannings) {
    std::fprintf(stderr, "usage: tavelo-footprint-data PROGRAM_FOLDER COUNT (0 to %d)\n",
                 kMostPlannings);
    return 2;
  }
  try {
    write_all(argv[1], count);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "tavelo-footprint-data: %s\n", failure.what());
    return 1;
  }
  return 0;
}
