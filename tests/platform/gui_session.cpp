#include "tests/platform/gui_session.hpp"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "access/dialog.hpp"

namespace tavelo::testing {

namespace {

constexpr int kStartTimeoutMs = 20000;

// Runs a program that writes one line (a display number, a bus address) once it is ready.
std::string start_and_read(std::unique_ptr<ChildProcess>& child, std::vector<std::string> words,
                           bool line_on_fd) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) throw std::runtime_error("pipe failed");
  if (line_on_fd) words.push_back(std::to_string(pipe_ends[1]));
  child = std::make_unique<ChildProcess>(words, line_on_fd ? -1 : pipe_ends[1], pipe_ends[1]);
  ::close(pipe_ends[1]);
  std::string line = first_line_of(pipe_ends[0], kStartTimeoutMs);
  ::close(pipe_ends[0]);
  if (line.empty()) throw std::runtime_error(words.front() + " did not start");
  return line;
}

std::string accessibility_bus_launcher() {
  for (const char* path :
       {"/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher"}) {
    if (std::filesystem::exists(path)) return path;
  }
  throw std::runtime_error("at-spi-bus-launcher is missing (package at-spi2-core)");
}

}  // namespace

GuiSession::GuiSession() {
  // A long auto-repeat delay: a key the test holds while the program answers is not repeated.
  // No reset when the last client leaves: a program the test starts could not connect while the
  // server resets.
  display_ = ":" + start_and_read(server_,
                                  {"Xvfb", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                   "-noreset", "-ardelay", "10000", "-displayfd"},
                                  true);
  ::setenv("DISPLAY", display_.c_str(), 1);
  const std::string bus = start_and_read(
      bus_, {"dbus-daemon", "--session", "--nofork", "--nosyslog", "--print-address"}, false);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
  // GSettings' default backend has the private bus start dconf-service, which outlives the test
  // and holds ctest's output open.
  ::setenv("GSETTINGS_BACKEND", "memory", 1);
  ::unsetenv("NO_AT_BRIDGE");
  accessibility_bus_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{accessibility_bus_launcher(), "--launch-immediately"});
}

// GIO's session-bus connection raises SIGTERM in its own process when the bus goes away; the
// test program is ending by then and must end with its own status.
GuiSession::~GuiSession() {
  ::signal(SIGTERM, SIG_IGN);
}

GtkWindowSystem& gui_windows() {
  static GuiSession session;
  static GtkWindowSystem windows;
  return windows;
}

void open_sample_dialog(bool with_cancel) {
  OpenDialog("", 0, 0, 12, 40, "essai de saisie");
  AddLabel(1, "sujet", 1, 1);
  AddTextField(2, "", 1, 12, 26);
  AddCheckBox(3, "&rappel", 3, 1, 14);
  AddLabel(4, "priorité", 5, 1);
  AddOption(5, "&basse", true, 5, 12, 10);
  AddOption(6, "&haute", false, 5, 24, 10);
  AddLabel(7, "catégorie", 7, 1);
  AddCombo(8, 7, 12, 20);
  AddItem(8, "travail");
  AddItem(8, "famille");
  AddLabel(9, "rendez-vous", 9, 1);
  AddList(10, 9, 14, 20, 2);
  AddItem(10, "lundi");
  AddItem(10, "mardi");
  AddButton(11, "&test", 11, 1, 8);
  AddMnemonics(11);
  AddOkButton(0, 0);
  if (with_cancel) AddCancelButton(0, 0);
}

void open_lists_dialog() {
  OpenDialog("", 0, 0, 22, 60, "essai des listes");
  AddLabel(1, "jours", 1, 1);
  AddList(2, 1, 12, 20, 4, kCheckList);
  for (const char* day : {"lundi", "mardi", "mercredi", "jeudi"}) AddItem(2, day);
  AddLabel(3, "invités", 6, 1);
  AddList(4, 6, 12, 20, 5, kSeveral);
  for (const char* name : {"Anne", "Bruno", "Chloé", "David", "Émile"}) AddItem(4, name);
  AddLabel(5, "lieu", 12, 1);
  AddCombo(6, 12, 12, 20, 2, kEditable);
  AddItem(6, "bureau");
  AddItem(6, "maison");
  AddLabel(7, "quinzaine", 15, 1);
  AddMultiList(8, 15, 12, 15, 5);  // a week a line with this machine's fonts
  for (int day = 1; day <= 14; ++day) AddItem(8, std::to_string(day));
  AddOkButton(0, 0);
}

void open_kinds_dialog() {
  OpenDialog("", 0, 0, 24, 60, "essai des genres");
  AddLabel(1, "dossiers", 1, 1);
  AddTree(2, 1, 14, 24, 7);
  const std::pair<const char*, int> folders[] = {{"travail", 0}, {"réunions", 1}, {"rapports", 1},
                                                 {"maison", 0},  {"jardin", 1},   {"loisirs", 0}};
  for (const auto& [name, level] : folders) AddItem(2, name, 0, level);
  AddTabPanel(3, 9, 1, 40, 3);
  for (const char* page : {"général", "alarme", "notes"}) AddItem(3, page);
  AddLabel(4, "mot de passe", 13, 1);
  AddTextField(5, "", 13, 14, 20, kPassword);
  AddLabel(6, "durée", 15, 1);
  AddTextField(7, "", 15, 14, 10, kDigitsOnly);
  AddLabel(8, "note", 17, 1);
  AddEditor(9, "", 17, 14, 40, 5);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
}

// GTK, GLib, fontconfig and the accessibility bridge keep caches until the process ends; only
// their own allocations are left out of the leak report, never the program's.
const char* library_leak_suppressions() {
  return "leak:libgtk-3.so\n"
         "leak:libgdk-3.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libgio-2.0.so\n"
         "leak:libfontconfig.so\n"
         "leak:libpango\n"
         "leak:libcairo.so\n"
         "leak:libatk\n"
         "leak:libatspi.so\n"
         "leak:libdbus-1.so\n"
         "leak:libX11.so\n";
}

}  // namespace tavelo::testing

extern "C" const char* __lsan_default_suppressions() {
  return tavelo::testing::library_leak_suppressions();
}
