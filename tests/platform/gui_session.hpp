#pragma once

#include <memory>
#include <string>

#include "platform/linux/gtk_window_system.hpp"
#include "tests/support/child_process.hpp"

namespace tavelo::testing {

// A private desktop for the GUI tests of one test program: an Xvfb server on a free display, a
// session bus and the accessibility bus, with DISPLAY and DBUS_SESSION_BUS_ADDRESS set for this
// process and its children. Everything is stopped when the test program ends.
class GuiSession {
 public:
  GuiSession();
  ~GuiSession();
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;
  const std::string& display() const { return display_; }

 private:
  std::string display_;
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> bus_;
  std::unique_ptr<ChildProcess> accessibility_bus_;
};

// The session and the one GTK window system of the test program, started on first use.
GtkWindowSystem& gui_windows();

// Opens the dialog the GUI tests drive: a labelled text field (2), a check box (3), an option
// group (5, 6) under its label, a combo box (8) and a list (10) after their labels, a button
// (11), the mnemonics, OK and, when asked, Cancel.
void open_sample_dialog(bool with_cancel);

// Opens the dialog of the list-like controls, each after its label: a check list of days (2), a
// list of several guests (4), an editable combo box of places (6), a multi-column list of the
// fourteen days of a fortnight (8), and OK.
void open_lists_dialog();

// Opens the dialog of the remaining kinds: a tree of folders (2) after its label, whose nodes
// "travail" (0) and "maison" (3) hold "réunions" (1), "rapports" (2) and "jardin" (4), then
// "loisirs" (5); a tab panel (3) of the pages "général", "alarme" and "notes"; a password field
// (5), a field of digits (7) and an editor that can be written (9), each after its label; OK and
// Cancel.
void open_kinds_dialog();

// The leak checker's suppressions for the libraries of the desktop, also given to the programs
// the tests start.
const char* library_leak_suppressions();

}  // namespace tavelo::testing
