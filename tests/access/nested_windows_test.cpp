// Windows opened from windows: a calendar-like window opens an editor-like one, which opens an
// alarm-like dialog, which asks the user through the dialog library. Each gives the window it
// interrupted back whole.
#include <gtest/gtest.h>

#include <sstream>

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/menus.hpp"
#include "access/window.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

using Heard = std::vector<std::string>;

constexpr int kF5 = 116;
constexpr int kNewPlanning = 40;  // F5 in the calendar
constexpr int kDays = 2;
constexpr int kAlarmBox = 3;

std::string menu_description(const SimWindowSystem& sim, int menu) {
  std::string text;
  const std::vector<std::string> texts = sim.menu_texts(menu);
  const std::vector<int> commands = sim.menu_commands(menu);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    // A sub-menu's command is its handle, which a rebuilt menu does not keep.
    if (commands[i] < 0) {
      text += texts[i] + "[" + menu_description(sim, -commands[i]) + "]";
    } else {
      text += texts[i] + "=" + std::to_string(commands[i]) + ";";
    }
  }
  return text;
}

// The current window as the user finds it: title, menus, shortcuts, running timers, controls
// with their contents, and the focus.
std::string describe() {
  const SimWindowSystem& sim = session_windows();
  const int w = dialog_state().window;
  std::ostringstream out;
  out << sim.window_title(w) << "\n";
  for (int i = 0; i < sim.menu_bar_count(w); ++i) {
    out << menu_description(sim, sim.menu_handle_at(w, i)) << "\n";
  }
  out << "edit menu at " << EditMenuBase() << "\n";
  for (const int modifiers : {0, kShortcutAlt, kShortcutControl}) {
    for (int key = 1; key < 256; ++key) {
      // Return is OK or not as the focus goes; the next event tells it again.
      if (key != vk::enter && sim.has_shortcut(w, key | modifiers)) {
        out << "shortcut " << (key | modifiers) << "\n";
      }
    }
  }
  for (int id = 0; id < 1000; ++id) {
    if (sim.timer_running(w, id)) out << "timer " << id << "\n";
  }
  std::vector<int> controls = dialog_state().registered;
  controls.insert(controls.end(), {kOkButton, kCancelButton});
  for (const int n : controls) {
    if (!ControlExists(n)) continue;
    out << n << " \"" << ControlText(n) << "\" " << ControlState(n);
    for (int i = 0; i < sim.item_count(w, n); ++i) out << " " << sim.item(w, n, i).text;
    out << "\n";
  }
  out << "focus " << FocusedControl() << "\n";
  return out.str();
}

// Opens a window from the current one, and checks that the current one comes back whole.
template <typename Window>
void open_over(int slot, const Window& window) {
  const std::string before = describe();
  SaveDialog(slot);
  window();
  RestoreDialog(slot);
  EXPECT_EQ(describe(), before);
}

constexpr ControlSpec kAlarmControls[] = {
    {ControlKind::button, 1, "stop a&larme", 2, 2, 20},
};

int alarm() {
  OpenDialog("", 0, 0, 6, 30, "alarme");
  AddControls(kAlarmControls);
  FocusControl(1);
  for (;;) {
    if (NextInput(-1).event == "btn1") return AskUser("arrêt|Arrêter l'alarme?|0|&oui|&non");
  }
}

constexpr ControlSpec kEditorControls[] = {
    {ControlKind::label, 1, "sujet", 1, 1},
    {ControlKind::text_field, 2, "", 1, 10, 30},
    {ControlKind::check_box, kAlarmBox, "&alarme", 3, 1, 12},
    {ControlKind::editor, 4, "", 5, 1, 40, 6},
};

void editor(Heard& heard) {
  OpenDialog("d", 0, 0, 16, 60, "éditeur");
  AddControls(kEditorControls);
  AddEditMenu(50, 0);
  AddCancelButton(0, 0);
  StartDialogTimer(2, 60000, 0);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btnok" || input.event == "btncancel") return;
    if (input.event == "menu56") heard.push_back("éditeur menu56");
    if (input.event == "chk3-set") {
      open_over(1, [&] { heard.push_back("alarme " + std::to_string(alarm())); });
    }
  }
}

constexpr ControlSpec kCalendarControls[] = {
    {ControlKind::label, 1, "jours", 1, 1},
    {ControlKind::list_box, kDays, "", 1, 10, 20, 6},
    {ControlKind::button, 3, "&nouveau", 8, 1, 12},
};

int calendar(Heard& heard) {
  OpenDialog("", 0, 0, 12, 60, "calendrier");
  AddControls(kCalendarControls);
  for (const char* day : {"lundi", "mardi", "mercredi"}) AddItem(kDays, day);
  SetControlState(kDays, 2);
  BuildMenu("&Fichier", 10,
            {"&Nouveau", "-{&Exporter", "vers &texte", "}vers &agenda", "&Quitter"});
  BuildMenu("&Aide", 0, {"&Sommaire"});
  AddShortcut(kF5, kNewPlanning);
  StartDialogTimer(1, 1000, 1);
  FocusControl(kDays);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "winclose") return 0;
    if (input.event == "timer1" || input.event == "menu12")
      heard.push_back("calendrier " + input.event);
    if (input.event == "menu" + std::to_string(kNewPlanning)) {
      open_over(0, [&] { editor(heard); });
      heard.push_back("calendrier revient");
    }
  }
}

TEST(NestedWindows, EachWindowComesBackWholeWithItsMenusTimersAndControls) {
  ScriptRunner runner;
  ASSERT_TRUE(runner.load_dialog_library(TAVELO_PARLON_LIBRARY));
  Heard heard;
  const ScriptRun run = runner.run(
      "wait 1500ms\n"
      "menu 12\n"
      "key f5\n"  // the editor
      "wait 500ms\n"
      "focus 2\n"
      "type réunion\n"
      "focus 4\n"
      "type note\n"
      "key alt+a\n"  // the alarm
      "wait 500ms\n"
      "click 1\n"  // the question
      "wait 500ms\n"
      "key alt+o\n"
      "wait 500ms\n"
      "menu 56\n"
      "click ok\n"  // back in the calendar
      "wait 2500ms\n"
      "close\n",
      [&] { return calendar(heard); });
  EXPECT_EQ(run.code, 0) << run.text();
  EXPECT_TRUE(run.has("ask \"arrêt|Arrêter l'alarme?|0|&oui|&non\" -> 1")) << run.text();
  EXPECT_EQ(heard, (Heard{"calendrier timer1", "calendrier menu12", "alarme 1", "éditeur menu56",
                          "calendrier revient", "calendrier timer1", "calendrier timer1"}));
}

}  // namespace
}  // namespace tavelo::testing
