#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "access/dialog_library.hpp"
#include "app/scripted_session.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/fault.hpp"
#include "platform/linux/gtk_window_system.hpp"
#include "platform/linux/speechd_speech.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/program_folder.hpp"
#include "platform/services.hpp"

namespace {

using namespace tavelo;

// How a message box is shown: a real or simulated window, or a terminal's output.
using ShowMessage = std::function<void(std::string_view title, std::string_view text)>;

// Without a display a message box becomes lines of text on `out`.
ShowMessage print_to(std::ostream& out) {
  return [&out](std::string_view title, std::string_view text) {
    std::string lines(text);
    for (char& c : lines) {
      if (c == '\r') c = '\n';
    }
    out << title << "\n" << lines << "\n";
  };
}

ShowMessage boxes_of(WindowSystem& windows) {
  return [&windows](std::string_view title, std::string_view text) {
    windows.message_box(title, text);
  };
}

// What the program found in its folder, until the calendar shows it.
std::string summary(const fs::path& program_folder, const Clock& clock) {
  const int today = todaynumber(clock);
  Settings settings = default_settings(today, false);
  loadsettings(program_folder, settings);
  const auto plannings = list_plannings(planning_folder(program_folder));
  const CalendarDate date = date_of(today);
  return "Tavelo, " + std::string(kDayNames[std::size_t(weekday(today))]) + " " +
         std::to_string(date.day) + " " + std::string(kMonthNames[std::size_t(date.month)]) + " " +
         std::to_string(date.year) + "\rDossier du programme: " + program_folder.string() + "\r" +
         std::to_string(plannings.size()) + " planification(s).";
}

// A fault ends the program after its message box.
int run(const fs::path& program_folder, const Clock& clock, const ShowMessage& show_notice,
        const ShowMessage& show_fault) {
  try {
    LoadDialogLibrary(program_folder);
    show_notice("Tavelo", summary(program_folder, clock));
    return 0;
  } catch (const Fault& fault) {
    show_fault(fault.title, fault.text);
    return 3;
  }
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

// Real windows and speech when a display can be opened, else the terminal.
int on_system_backends(const fs::path& program_folder) {
  SystemClock clock;
  const std::unique_ptr<GtkWindowSystem> windows = open_display();
  if (!windows) return run(program_folder, clock, print_to(std::cout), print_to(std::cerr));
  SpeechdSpeech speech;
  const InterfaceServices services(*windows, speech, clock);
  return run(program_folder, clock, boxes_of(*windows), boxes_of(*windows));
}

}  // namespace

int main() {
  const fs::path program_folder = running_program_folder();
  if (const std::optional<int> code = run_session_from_environment([&] {
        return run(program_folder, interface_clock(), boxes_of(window_system()),
                   boxes_of(window_system()));
      })) {
    return *code;
  }
  return on_system_backends(program_folder);
}
