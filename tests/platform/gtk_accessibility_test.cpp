// What a screen reader finds in a real dialog, read through the accessibility bus (AT-SPI).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/note_window.hpp"
#include "access/speech.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/system_clock.hpp"
#include "shell/journal_window.hpp"
#include "tests/platform/atspi_listing.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/agenda_parts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::AccessibleControl;

// The focusable controls of the program as a screen reader reads them over the accessibility
// bus; the dialog keeps answering while the reader looks.
std::vector<AccessibleControl> controls_on_the_bus() {
  return testing::controls_on_the_bus("tavelo", [] { WaitDialogEvent(50); });
}

// The same for a window of that title that runs its own loop: the reader waits for it and looks,
// then Escape closes it.
std::vector<AccessibleControl> controls_of_window(const std::string& title,
                                                  const std::function<void()>& window) {
  bool opened = false;
  return testing::controls_on_the_bus(
      "tavelo",
      [&] {
        if (opened) return;
        opened = true;
        window();
      },
      "Escape", title);
}

std::vector<std::string> names_of(const std::vector<AccessibleControl>& controls) {
  std::vector<std::string> names;
  for (const AccessibleControl& c : controls) {
    EXPECT_FALSE(c.name.empty()) << "a " << c.role << " has no name";
    names.push_back(c.role + " " + c.name);
  }
  return names;
}

class GtkAccessibility : public ::testing::Test {
 protected:
  void SetUp() override {
    // A reader lists every window of the program: the previous test's goes first.
    if (dialog_state().window != 0) windows_.close_window(dialog_state().window);
    reset_interface();
  }
  GtkWindowSystem& windows_ = testing::gui_windows();
  SystemClock clock_;
  Transcript transcript_{clock_};
  SimSpeech speech_{transcript_};
  InterfaceServices services_{windows_, speech_, clock_};
};

TEST_F(GtkAccessibility, EveryFocusableControlHasANameAndOptionsTheirGroupLabel) {
  GtkWindowSystem& windows = windows_;
  testing::open_sample_dialog(true);

  // The names the backend gives, as GTK holds them.
  EXPECT_EQ(windows.accessible_name(dialog_state().window, 2), "sujet");
  EXPECT_EQ(windows.accessible_name(dialog_state().window, 3), "rappel");
  EXPECT_EQ(windows.accessible_name(dialog_state().window, 8), "catégorie");
  EXPECT_EQ(windows.accessible_description(dialog_state().window, 6), "priorité");

  // The same as a screen reader reads them over the accessibility bus.
  const std::vector<AccessibleControl> controls = controls_on_the_bus();

  ASSERT_GE(controls.size(), 8U) << "the dialog's controls are not all on the bus";
  EXPECT_NE(std::find_if(controls.begin(), controls.end(),
                         [](const AccessibleControl& c) {
                           return c.role == "combo box" && c.name == "catégorie";
                         }),
            controls.end());
  int options = 0;
  for (const AccessibleControl& c : controls) {
    EXPECT_FALSE(c.name.empty()) << "a " << c.role << " has no name";
    if (c.role == "radio button") {
      ++options;
      EXPECT_EQ(c.description, "priorité") << c.name;
    }
  }
  EXPECT_EQ(options, 2);
}

bool has_word(const std::string& words, const std::string& word) {
  std::istringstream in(words);
  for (std::string one; in >> one;) {
    if (one == word) return true;
  }
  return false;
}

TEST_F(GtkAccessibility, ListsAreNamedAndTellTheirTicksAndSelections) {
  testing::open_lists_dialog();
  MarkItem(2, 1, true);
  MarkItem(4, 1, true);
  MarkItem(4, 3, true);
  SetControlState(8, 3);
  const std::vector<AccessibleControl> controls = controls_on_the_bus();

  ASSERT_GE(controls.size(), 30U) << "the dialog's controls are not all on the bus";
  std::vector<std::string> named;
  std::vector<std::string> ticks;
  std::vector<std::string> selected;
  for (const AccessibleControl& c : controls) {
    EXPECT_FALSE(c.name.empty()) << "a " << c.role << " has no name";
    named.push_back(c.role + " " + c.name);
    if (has_word(c.states, "checked")) ticks.push_back(c.name + " coché");
    if (has_word(c.states, "unchecked")) ticks.push_back(c.name + " non coché");
    if (has_word(c.states, "selected")) selected.push_back(c.name);
  }
  // Each list is named by its label; the typing field of the combo box too.
  for (const char* name :
       {"table jours", "table invités", "text lieu", "layered pane quinzaine", "icon 14"}) {
    EXPECT_NE(std::find(named.begin(), named.end(), name), named.end()) << name;
  }
  // The tick cell of each check-list row tells its tick; selected items tell that they are.
  EXPECT_EQ(ticks, (std::vector<std::string>{"lundi non coché", "mardi coché", "mercredi non coché",
                                             "jeudi non coché"}));
  EXPECT_EQ(selected, (std::vector<std::string>{"Bruno", "David", "4"}));
}

const AccessibleControl* find_role(const std::vector<AccessibleControl>& controls,
                                   const std::string& role, const std::string& name) {
  const auto found =
      std::find_if(controls.begin(), controls.end(),
                   [&](const AccessibleControl& c) { return c.role == role && c.name == name; });
  return found == controls.end() ? nullptr : &*found;
}

TEST_F(GtkAccessibility, TreePagesPasswordDigitsAndEditorAreNamedAndHideTheSecret) {
  testing::open_kinds_dialog();
  SetControlText(5, "secret");
  SetControlText(7, "45");
  SetControlText(9, "première ligne\nseconde");
  SetControlState(3, 1);
  const std::vector<AccessibleControl> controls = controls_on_the_bus();

  ASSERT_GE(controls.size(), 10U) << "the dialog's controls are not all on the bus";
  // A tab strip without a label before it has no name of its own, as on Windows: a reader says
  // the page tab that has the focus.
  for (const AccessibleControl& c : controls) {
    if (c.role != "page tab list") {
      EXPECT_FALSE(c.name.empty()) << "a " << c.role << " has no name";
    }
  }
  // The tree, the fields and the editor are named by their labels.
  EXPECT_NE(find_role(controls, "tree table", "dossiers"), nullptr);
  EXPECT_NE(find_role(controls, "text", "durée"), nullptr);
  const AccessibleControl* editor = find_role(controls, "text", "note");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text, "première ligne seconde");
  // The password is said to be one, and a reader cannot read it.
  const AccessibleControl* password = find_role(controls, "password text", "mot de passe");
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->text.find("secret"), std::string::npos) << password->text;
  EXPECT_FALSE(password->text.empty());
  // Each page tab is named by its text; the shown page is the selected one.
  std::vector<std::string> pages;
  for (const AccessibleControl& c : controls) {
    if (c.role == "page tab") pages.push_back(c.name + (has_word(c.states, "selected") ? "*" : ""));
  }
  EXPECT_EQ(pages, (std::vector<std::string>{"général", "alarme*", "notes"}));
}

TEST_F(GtkAccessibility, TheRealTimeAgendaItsNoteAndTheJournalNameEveryControl) {
  testing::TempFolder folder;
  fs::create_directories(planning_folder(folder.path()));
  Planning dentist;
  dentist.subject = "Dentiste";
  dentist.note_kind = 2;
  dentist.note = "prendre la carte";
  dentist.forewarning_days = 2;
  testing::write_bytes(
      planning_folder(folder.path()) / planning_base_name(todaynumber(clock_) + 1, "09:30"),
      write_planning(dentist));
  testing::write_bytes(category_template_file(folder.path(), "santé"), write_planning(dentist));
  Settings settings = default_settings(todaynumber(clock_), false);
  apply_zero_value_defaults(settings);
  settings.journal_folder = (folder.path() / "journal").string();
  settings.management_hour = 23;
  settings.management_minute = 59;

  // The agenda's window, shown from the desktop icon; the reader looks on its first pass.
  Mixer mixer;
  SoundPlayers alarms(mixer, clock_, folder.path());
  testing::AgendaParts parts(folder.path(), settings);
  std::vector<AccessibleControl> agenda;
  parts.read_tray_action = [&] {
    if (agenda.empty()) agenda = controls_on_the_bus();
    return 21;  // hands back
  };
  RealtimeServices services = parts.services(alarms);
  RealtimeRun run;
  RealtimeAgenda(services, run, "/bureau");
  const std::vector<std::string> agenda_names = names_of(agenda);
  for (const char* name :
       {"table planifications", "push button ajouter", "push button modifier",
        "push button supprimer", "push button voir la note", "combo box catégories",
        "push button ajouter cette catégorie au filtre:", "table filtre des catégories",
        "push button supprimer cette catégorie du filtre", "push button stop alarme",
        "push button aide-f1", "push button quitter l'agenda", "push button calendrier",
        "push button arrière-plan"}) {
    EXPECT_NE(std::find(agenda_names.begin(), agenda_names.end(), name), agenda_names.end())
        << name;
  }

  const std::vector<std::string> note_names = names_of(
      controls_of_window("bloc-note de l'agenda", [] { ShowNoteWindow("prendre la carte"); }));
  EXPECT_NE(std::find(note_names.begin(), note_names.end(), "text note:"), note_names.end());

  fs::create_directories(folder.path() / "journal");
  testing::write_bytes(folder.path() / "journal" / "bilan principal.txt", "x\r\n");
  const std::vector<std::string> journal_names =
      names_of(controls_of_window("journal", [&] { ShowJournal(folder.path(), settings); }));
  for (const char* name :
       {"table sections du journal", "push button supprimer", "push button tout supprimer",
        "push button aide-f1", "push button afficher/éditer", "push button fermer"}) {
    EXPECT_NE(std::find(journal_names.begin(), journal_names.end(), name), journal_names.end())
        << name;
  }
}

}  // namespace
}  // namespace tavelo
