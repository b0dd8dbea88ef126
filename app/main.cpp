#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "access/dialog_library.hpp"
#include "access/scripted_session.hpp"
#include "planning/calendar.hpp"
#include "planning/fault.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/linux/gtk_window_system.hpp"
#include "platform/linux/speechd_speech.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/program_folder.hpp"
#include "platform/services.hpp"

namespace {

using namespace tavelo;

// Without a display, a fault's message box is written to standard error.
void print_fault(const Fault& fault) {
  std::string text = fault.text;
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  std::cerr << fault.title << "\n" << text << "\n";
}

int run(const fs::path& program_folder, const Clock& clock) {
  LoadDialogLibrary(program_folder);
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

// The real windows when a display can be opened, else nothing.
std::unique_ptr<GtkWindowSystem> open_display() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return nullptr;
  try {
    return std::make_unique<GtkWindowSystem>();
  } catch (const std::runtime_error& no_display) {
    std::cerr << "tavelo : " << no_display.what() << "\n";
    return nullptr;
  }
}

// A fault ends the program after its message box.
int run_showing_faults(const fs::path& program_folder, const Clock& clock,
                       const std::function<void(const Fault&)>& show) {
  try {
    return run(program_folder, clock);
  } catch (const Fault& fault) {
    show(fault);
    return 3;
  }
}

// Real windows and speech when a display can be opened; otherwise faults go to standard error.
int on_system_backends(const fs::path& program_folder) {
  SystemClock clock;
  const std::unique_ptr<GtkWindowSystem> windows = open_display();
  if (!windows) return run_showing_faults(program_folder, clock, print_fault);
  SpeechdSpeech speech;
  install_interface_services(*windows, speech, clock);
  return run_showing_faults(program_folder, clock, [&](const Fault& fault) {
    windows->message_box(fault.title, fault.text);
  });
}

}  // namespace

int main() {
  const fs::path program_folder = running_program_folder();
  // The scripted session shows a fault's message box in its transcript.
  if (const std::optional<int> code = run_session_from_environment(
          [&] { return run(program_folder, interface_clock()); })) {
    return *code;
  }
  return on_system_backends(program_folder);
}
