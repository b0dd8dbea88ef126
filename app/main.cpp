#include <iostream>
#include <string>

#include "access/dialog_library.hpp"
#include "planning/calendar.hpp"
#include "planning/fault.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/program_folder.hpp"

namespace {

using namespace tavelo;

// Until the window system exists, a fault's message box is written to standard error.
void show_fault(const Fault& fault) {
  std::string text = fault.text;
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  std::cerr << fault.title << "\n" << text << "\n";
}

int run(const fs::path& program_folder) {
  LoadDialogLibrary(program_folder);
  SystemClock clock;
  const int today = todaynumber(clock);
  Settings settings = default_settings(today, false);
  loadsettings(program_folder, settings);
  const auto plannings = list_plannings(planning_folder(program_folder));
  const CalendarDate date = date_of(today);
  std::cout << "Tavelo, " << kDayNames[std::size_t(weekday(today))] << " " << date.day << " "
            << kMonthNames[std::size_t(date.month)] << " " << date.year << "\n"
            << "Dossier du programme: " << program_folder.string() << "\n"
            << plannings.size() << " planification(s).\n";
  return 0;
}

}  // namespace

int main() {
  try {
    return run(running_program_folder());
  } catch (const Fault& fault) {
    show_fault(fault);
    return 3;
  }
}
