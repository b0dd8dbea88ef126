// Real dialogs of the dialog layer on an X server, driven by real key presses (XTest).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/speech.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/system_clock.hpp"
#include "tests/platform/dialog_events.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using Events = std::vector<std::string>;
constexpr int kPatienceMs = 15000;  // generous: the machine may be loaded

class GtkDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_interface();
    LoadSpeechLibraries();
  }

  Events events_until(const std::function<bool(const std::string&)>& done,
                      int patience_ms = kPatienceMs) {
    return testing::dialog_events_until(clock_, done, patience_ms);
  }
  Events events_until(const std::string& wanted, int patience_ms = kPatienceMs) {
    return events_until([&](const std::string& name) { return name == wanted; }, patience_ms);
  }
  // Everything the dialog reports during a short quiet time.
  Events events_for(int ms) {
    return events_until([](const std::string&) { return false; }, ms);
  }
  void press(int key) { windows_->synthesize_key(key, true); }
  void release(int key) { windows_->synthesize_key(key, false); }

  void tap(int key) {
    press(key);
    release(key);
  }
  void tap_with(int modifier, int key) {
    press(modifier);
    tap(key);
    release(modifier);
  }
  // Taps the key and gives what the dialog reported until it went quiet.
  Events after_tap(int key) {
    tap(key);
    return events_for(300);
  }

  void open_sample_dialog(bool with_cancel) {
    testing::open_sample_dialog(with_cancel);
    ASSERT_TRUE(contains(events_until("getfocus"), "getfocus")) << "the window never became active";
  }
  void open_lists_dialog() {
    testing::open_lists_dialog();
    ASSERT_TRUE(contains(events_until("getfocus"), "getfocus")) << "the window never became active";
  }
  void open_kinds_dialog() {
    testing::open_kinds_dialog();
    ASSERT_TRUE(contains(events_until("getfocus"), "getfocus")) << "the window never became active";
  }
  // Focuses the control and waits until the dialog has reported it.
  void focus(int number) {
    FocusControl(number);
    ASSERT_TRUE(contains(events_until("g" + std::to_string(number)), "g" + std::to_string(number)));
  }

  static bool contains(const Events& events, const std::string& name) {
    return std::find(events.begin(), events.end(), name) != events.end();
  }
  static long count(const Events& events, const std::string& name) {
    return std::count(events.begin(), events.end(), name);
  }
  // The last thing spoken or cut, without its time.
  std::string last_heard() const { return transcript_.lines().back().substr(13); }

  SystemClock clock_;
  Transcript transcript_{clock_};
  SimSpeech speech_{transcript_};
  GtkWindowSystem* windows_ = &testing::gui_windows();
  InterfaceServices services_{*windows_, speech_, clock_};
};

TEST_F(GtkDialogTest, KeysOnRealControlsGiveTheDialogEvents) {
  open_sample_dialog(true);

  // Typed letters reach the field; Return there is OK once, its release is only a release.
  FocusControl(2);
  EXPECT_TRUE(contains(events_until("g2"), "g2"));
  press('A');
  release('A');
  EXPECT_TRUE(contains(events_until("key_pressed"), "key_pressed"));
  press(vk::enter);
  Events events = events_until("btnok");
  release(vk::enter);
  Events after = events_until("key_released");
  const Events quiet = events_for(300);
  after.insert(after.end(), quiet.begin(), quiet.end());
  EXPECT_EQ(count(events, "btnok"), 1);
  EXPECT_EQ(count(after, "btnok"), 0);
  EXPECT_TRUE(contains(after, "key_released"));
  EXPECT_EQ(ControlText(2), "a");

  // Space on an unchecked box: the coming state first, then the box's own click is a release.
  FocusControl(3);
  EXPECT_TRUE(contains(events_until("g3"), "g3"));
  press(vk::space);
  events = events_until("chk3-set");
  release(vk::space);
  after = events_until("key_released");
  const Events settled = events_for(300);
  after.insert(after.end(), settled.begin(), settled.end());
  EXPECT_TRUE(contains(events, "chk3-set"));
  EXPECT_FALSE(contains(after, "chk3-set"));
  EXPECT_FALSE(contains(after, "chk3-unset"));
  EXPECT_EQ(ControlState(3), 1);

  // Down in the option group selects and focuses the next option, one step per press.
  SetControlState(5, 1);
  FocusControl(5);
  EXPECT_TRUE(contains(events_until("rd5"), "rd5"));
  press(vk::down);
  events = events_until("rd6");
  release(vk::down);
  events_until("key_released");
  EXPECT_TRUE(contains(events, "rd6"));
  EXPECT_EQ(ControlState(6), 1);
  EXPECT_EQ(ControlState(5), 0);
  EXPECT_EQ(windows_->focused_control(dialog_state().window), 6);

  // Alt+letter acts on its control: the checked box is unchecked, the button is pressed.
  press(vk::alt);
  press('R');
  events = events_until("chk3-unset");
  release('R');
  press('T');
  Events button = events_until("btn11");
  release('T');
  release(vk::alt);
  EXPECT_TRUE(contains(events, "chk3-unset"));
  EXPECT_TRUE(contains(button, "btn11"));
  EXPECT_EQ(ControlState(3), 0);
  EXPECT_TRUE(contains(events_until("getfocus"), "getfocus")) << "Alt release re-announces";

  // A one-shot timer of the dialog.
  StartDialogTimer(7, 100, 0);
  EXPECT_TRUE(contains(events_until("timer7"), "timer7"));

  // Escape with a Cancel button is Cancel.
  press(vk::escape);
  events = events_until("btncancel");
  release(vk::escape);
  EXPECT_TRUE(contains(events, "btncancel"));
}

TEST_F(GtkDialogTest, EscapeWithoutCancelButtonIsAnOrdinaryKey) {
  open_sample_dialog(false);
  FocusControl(2);
  events_until("g2");
  press(vk::escape);
  Events events = events_until("key_pressed");
  release(vk::escape);
  const Events after = events_for(300);
  events.insert(events.end(), after.begin(), after.end());
  EXPECT_TRUE(contains(events, "key_pressed"));
  EXPECT_FALSE(contains(events, "btncancel"));
}

// Writes a picture of the screen into the build folder.
void take_screenshot(const std::string& name) {
  const std::filesystem::path picture = std::filesystem::path(TAVELO_BUILD_DIR) / name;
  std::filesystem::remove(picture);
  const std::string command = "import -window root '" + picture.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ASSERT_TRUE(std::filesystem::exists(picture));
  EXPECT_GT(std::filesystem::file_size(picture), 1000U);
}

TEST_F(GtkDialogTest, ScreenshotsOfDialogsForPeopleToLookAt) {
  open_sample_dialog(true);
  SetControlText(2, "réunion d'équipe");
  events_for(500);  // lets the window draw itself
  take_screenshot("gtk_dialog.png");

  open_lists_dialog();  // in the place of the first

  MarkItem(2, 1, true);
  MarkItem(2, 3, true);
  SetControlState(4, 1);
  MarkItem(4, 3, true);
  SetControlText(6, "gare du nord");
  SetControlState(8, 9);
  events_for(500);
  take_screenshot("gtk_lists.png");

  open_kinds_dialog();
  SetControlState(2, 4);
  SetControlState(3, 1);
  SetControlText(5, "secret");
  SetControlText(7, "45");
  SetControlText(9, "première ligne\nseconde ligne");
  events_for(500);
  take_screenshot("gtk_kinds.png");
}

TEST_F(GtkDialogTest, ListsAndEditorsFollowTheKeys) {
  open_sample_dialog(true);
  AddEditor(12, "première ligne\nseconde ligne", 1, 1, 10, 2, kReadOnly);

  // Down in the list selects the next row and the list reports it.
  SetControlState(10, 0);
  FocusControl(10);
  EXPECT_TRUE(contains(events_until("g10"), "g10"));
  press(vk::down);
  Events events = events_until("lst10");
  release(vk::down);
  EXPECT_TRUE(contains(events, "lst10"));
  EXPECT_EQ(ControlState(10), 1);

  // A combo box shows the item chosen for it.
  SetControlState(8, 1);
  EXPECT_EQ(ControlText(8), "famille");

  // The caret of a read-only editor moves, its text does not change. An editor with the focus
  // waits without limit, so a repeating timer keeps the test's waits bounded.
  StartDialogTimer(5, 100, 1);
  const int window = dialog_state().window;
  windows_->set_caret(window, 12, {2, 4});
  EXPECT_EQ(EditorCaret(12), (CaretPosition{2, 4}));
  FocusControl(12);
  events_for(100);
  press('X');
  release('X');
  press(vk::down);
  release(vk::down);
  events_for(300);
  EXPECT_EQ(ControlText(12), "première ligne\nseconde ligne");
  EXPECT_EQ(EditorCaret(12).line, 2);
}

TEST_F(GtkDialogTest, SpaceTicksACheckListAndShiftOrControlMarkAListOfSeveral) {
  open_lists_dialog();

  // Space on the focused row of a check list ticks it, and again unticks it.
  SetControlState(2, 1);
  focus(2);
  press(vk::space);
  Events events = events_until("lst2");
  release(vk::space);
  events_until("key_released");
  EXPECT_TRUE(contains(events, "lst2"));
  EXPECT_EQ(MarkedItems(2), (std::vector<int>{1}));
  EXPECT_EQ(ControlState(2), 1);
  tap(vk::down);
  events_until("lst2");
  tap(vk::space);
  events_until("lst2");
  tap(vk::up);
  events_until("lst2");
  tap(vk::space);
  events_until("lst2");
  events_for(200);
  EXPECT_EQ(MarkedItems(2), (std::vector<int>{2}));
  EXPECT_EQ(ControlState(2), 1);

  // A click on a tick ticks its row.
  const PixelRect tick = windows_->item_rect(dialog_state().window, 2, 0);
  testing::ChildProcess user({"xdotool", "search", "--sync", "--onlyvisible", "--name",
                              "^essai des listes$", "mousemove", "--window", "%1",
                              std::to_string(tick.x + tick.width / 2),
                              std::to_string(tick.y + tick.height / 2), "click", "1"});
  EXPECT_TRUE(contains(events_until("lst2"), "lst2"));
  events_for(300);
  EXPECT_EQ(MarkedItems(2), (std::vector<int>{0, 2}));

  // Shift extends the selection of a list of several; Control moves without selecting and
  // Control+Space adds the row; a plain arrow selects one row again.
  SetControlState(4, 0);
  focus(4);
  press(vk::shift);
  tap(vk::down);
  tap(vk::down);
  release(vk::shift);
  EXPECT_TRUE(contains(events_until("lst4"), "lst4"));
  events_for(300);
  EXPECT_EQ(MarkedItems(4), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(ControlState(4), 2);
  press(vk::control);
  tap(vk::down);
  tap(vk::down);
  tap(vk::space);
  release(vk::control);
  events_for(300);
  EXPECT_EQ(MarkedItems(4), (std::vector<int>{0, 1, 2, 4}));
  EXPECT_EQ(ControlState(4), 4);
  tap(vk::up);
  events_until("lst4");
  events_for(200);
  EXPECT_EQ(MarkedItems(4), (std::vector<int>{3}));

  // The program's own marks are not the user's.
  MarkItem(4, 0, true);
  MarkItem(2, 3, true);
  EXPECT_FALSE(contains(events_for(300), "lst4"));
  EXPECT_EQ(MarkedItems(4), (std::vector<int>{0, 3}));
  EXPECT_EQ(MarkedItems(2), (std::vector<int>{0, 2, 3}));
}

TEST_F(GtkDialogTest, AnEditableComboTakesTheTypedText) {
  open_lists_dialog();
  SetControlState(6, 0);
  EXPECT_EQ(ControlText(6), "bureau");
  focus(6);
  for (const int key : {'G', 'A', 'R', 'E'}) tap(key);
  const Events events = events_for(500);
  EXPECT_EQ(count(events, "key_pressed"), 4);
  EXPECT_FALSE(contains(events, "cmb6"));
  EXPECT_EQ(ControlText(6), "gare");
  EXPECT_EQ(ControlState(6), -1);
  // Down chooses the next item, which the dialog hears of.
  tap(vk::down);
  EXPECT_TRUE(contains(events_until("cmb6"), "cmb6"));
  EXPECT_EQ(ControlText(6), "bureau");
  tap(vk::down);
  EXPECT_TRUE(contains(events_until("cmb6"), "cmb6"));
  EXPECT_EQ(ControlState(6), 1);
  EXPECT_EQ(ControlText(6), "maison");
  // The box is one stop of Tab: the next one is the grid, and Shift+Tab comes back.
  tap(vk::tab);
  EXPECT_TRUE(contains(events_until("g8"), "g8"));
  press(vk::shift);
  tap(vk::tab);
  release(vk::shift);
  EXPECT_TRUE(contains(events_until("g6"), "g6"));
  SetControlText(6, "salle 3");
  EXPECT_EQ(ControlText(6), "salle 3");
  SetControlState(6, 1);
  EXPECT_EQ(ControlText(6), "maison");

  // A rebuilt window has the typed text, the ticks, the selections and the grid's day again.
  SetControlText(6, "gare du nord");
  MarkItem(2, 3, true);
  SetControlState(4, 4);
  MarkItem(4, 0, true);
  SetControlState(8, 9);
  SaveDialog(4);
  OpenDialog("", 0, 0, 5, 20, "autre");
  RestoreDialog(4);
  EXPECT_EQ(ControlText(6), "gare du nord");
  EXPECT_EQ(MarkedItems(2), (std::vector<int>{3}));
  EXPECT_EQ(MarkedItems(4), (std::vector<int>{0, 4}));
  EXPECT_EQ(ControlState(4), 4);
  EXPECT_EQ(ControlState(8), 9);
}

TEST_F(GtkDialogTest, AMultiColumnListFillsItsLinesAndFollowsTheArrows) {
  open_lists_dialog();
  const int window = dialog_state().window;
  // Squeezed to nothing, the grid shows one cell a line: that cell's own width.
  const PixelRect place{GridX(11), GridY(14), 1, GridY(5)};
  windows_->place_control(window, 8, ControlKind::multi_list, place, "", 0);
  events_for(300);
  const int cell = windows_->item_rect(window, 8, 0).width;
  ASSERT_GT(cell, 0);
  EXPECT_GT(windows_->item_rect(window, 8, 1).y, windows_->item_rect(window, 8, 0).y);

  // Seven and a half cells wide, it shows seven equal cells a line, line after line.
  windows_->place_control(window, 8, ControlKind::multi_list,
                          {place.x, place.y, cell * 15 / 2, place.height}, "", 0);
  events_for(300);
  const PixelRect first = windows_->item_rect(window, 8, 0);
  const PixelRect second_line = windows_->item_rect(window, 8, 7);
  EXPECT_GT(second_line.y, first.y);
  // The width left over is shared out a pixel at a time.
  for (int i = 0; i < 14; ++i) {
    const PixelRect r = windows_->item_rect(window, 8, i);
    const PixelRect above = windows_->item_rect(window, 8, i % 7);
    EXPECT_EQ(r.y, i < 7 ? first.y : second_line.y) << i;
    EXPECT_EQ(r.x, above.x) << i;
    EXPECT_NEAR(r.width, first.width, 1) << i;
    if (i % 7 != 0) {
      const PixelRect before = windows_->item_rect(window, 8, i - 1);
      EXPECT_EQ(r.x, before.x + before.width) << i;
    }
  }

  // Right goes to the next day, Down to the same day a week later.
  SetControlState(8, 2);
  focus(8);
  tap(vk::right);
  EXPECT_TRUE(contains(events_until("lst8"), "lst8"));
  EXPECT_EQ(ControlState(8), 3);
  tap(vk::down);
  EXPECT_TRUE(contains(events_until("lst8"), "lst8"));
  EXPECT_EQ(ControlState(8), 10);
  EXPECT_EQ(ControlText(8), "");
  EXPECT_EQ(windows_->item(window, 8, 10).text, "11");
  ClearItems(8);
  EXPECT_EQ(windows_->item_count(window, 8), 0);
  EXPECT_EQ(ControlState(8), -1);
}

TEST_F(GtkDialogTest, ATreeMovesOpensAndClosesWithTheArrows) {
  open_kinds_dialog();
  // The program's choice is not the user's change, and shows its item without opening it.
  SetControlState(2, 0);
  EXPECT_FALSE(contains(events_for(300), "lst2"));
  focus(2);
  EXPECT_EQ(last_heard(), "speak \"dossiers\"");
  EXPECT_TRUE(contains(after_tap(vk::down), "lst2"));
  EXPECT_EQ(ControlState(2), 3) << "Down goes over the rows of a closed node";

  // Right opens a closed node, then goes to its first row; Left goes back to the node, then
  // closes it.
  EXPECT_FALSE(contains(after_tap(vk::right), "lst2"));
  EXPECT_EQ(ControlState(2), 3);
  EXPECT_TRUE(contains(after_tap(vk::right), "lst2"));
  EXPECT_EQ(ControlState(2), 4);
  EXPECT_TRUE(contains(after_tap(vk::left), "lst2"));
  EXPECT_EQ(ControlState(2), 3);
  EXPECT_FALSE(contains(after_tap(vk::left), "lst2"));
  EXPECT_TRUE(contains(after_tap(vk::down), "lst2"));
  EXPECT_EQ(ControlState(2), 5) << "the node did not close";

  // An item the program chooses inside a closed node is shown: Up goes to the row above it.
  SetControlState(2, 2);
  EXPECT_EQ(ControlState(2), 2);
  EXPECT_TRUE(contains(after_tap(vk::up), "lst2"));
  EXPECT_EQ(ControlState(2), 1);
  SetControlState(2, -1);
  EXPECT_EQ(ControlState(2), -1);

  // A letter goes to the next row shown that begins with it, round the rows, and the arrows go
  // on from there: no search field of GTK's takes the keys.
  EXPECT_TRUE(contains(after_tap('L'), "lst2"));
  EXPECT_EQ(ControlState(2), 5);
  EXPECT_TRUE(contains(after_tap('R'), "lst2"));
  EXPECT_EQ(ControlState(2), 1);
  EXPECT_TRUE(contains(after_tap('R'), "lst2"));
  EXPECT_EQ(ControlState(2), 2);
  EXPECT_FALSE(contains(after_tap('J'), "lst2")) << "jardin is in a closed node";
  const Events events = after_tap(vk::down);
  EXPECT_EQ(count(events, "lst2"), 1);
  EXPECT_EQ(ControlState(2), 3);
  EXPECT_EQ(windows_->foreground_window(), dialog_state().window);
}

TEST_F(GtkDialogTest, TheTabPanelTurnsItsPagesWithTheKeysAndForTheProgram) {
  open_kinds_dialog();
  const int window = dialog_state().window;
  EXPECT_EQ(ControlState(3), 0);
  // The panel is one stop of Tab between the tree and the password.
  focus(2);
  tap(vk::tab);
  EXPECT_TRUE(contains(events_until("g3"), "g3"));
  tap(vk::tab);
  EXPECT_TRUE(contains(events_until("g5"), "g5"));
  focus(3);
  EXPECT_TRUE(contains(after_tap(vk::right), "pnl3"));
  EXPECT_EQ(ControlState(3), 1);
  tap_with(vk::control, vk::page_down);
  EXPECT_TRUE(contains(events_until("pnl3"), "pnl3"));
  EXPECT_EQ(ControlState(3), 2);

  // On the last page Right goes nowhere; Down neither. The panel keeps the focus.
  EXPECT_FALSE(contains(after_tap(vk::right), "pnl3"));
  EXPECT_FALSE(contains(after_tap(vk::down), "pnl3"));
  EXPECT_EQ(ControlState(3), 2);
  EXPECT_EQ(windows_->focused_control(window), 3);

  // Control+Tab turns to the next page, from the last to the first; Control+Shift+Tab back.
  tap_with(vk::control, vk::tab);
  EXPECT_TRUE(contains(events_until("pnl3"), "pnl3"));
  EXPECT_EQ(ControlState(3), 0);
  press(vk::control);
  tap_with(vk::shift, vk::tab);
  release(vk::control);
  EXPECT_TRUE(contains(events_until("pnl3"), "pnl3"));
  EXPECT_EQ(ControlState(3), 2);
  EXPECT_TRUE(contains(after_tap(vk::left), "pnl3"));
  EXPECT_EQ(ControlState(3), 1);
  EXPECT_EQ(windows_->focused_control(window), 3);

  // The program's page is not the user's change.
  SetControlState(3, 0);
  EXPECT_FALSE(contains(events_for(300), "pnl3"));
  EXPECT_EQ(ControlState(3), 0);
}

TEST_F(GtkDialogTest, APasswordKeepsItsTextAndAFieldOfDigitsTakesOnlyDigits) {
  open_kinds_dialog();
  const int window = dialog_state().window;
  focus(5);
  for (const int key : {'S', 'E', 'C', 'R', 'E', 'T'}) tap(key);
  EXPECT_EQ(count(events_for(500), "key_pressed"), 6);
  EXPECT_EQ(ControlText(5), "secret");

  // Letters and spaces typed in a field of digits leave it as it was.
  focus(7);
  for (const int key : {int{'1'}, int{'A'}, int{'2'}, vk::space, int{'3'}}) tap(key);
  events_for(300);
  EXPECT_EQ(ControlText(7), "123");

  // Pasted text gives its digits. The editor waits without limit while it has the focus: a
  // repeating timer keeps the test's waits bounded.
  StartDialogTimer(5, 100, 1);
  focus(9);
  for (const int key : {int{'4'}, vk::space, int{'5'}, int{'X'}}) tap(key);
  events_for(300);
  SelectAllText(9);
  tap_with(vk::control, 'C');
  events_for(300);  // the keys reach the editor before the focus leaves it
  focus(7);
  windows_->set_caret(window, 7, {1, 4});
  tap_with(vk::control, 'V');
  events_for(500);
  EXPECT_EQ(ControlText(7), "12345");

  // The program's own text is shown as it is given.
  SetControlText(7, "-5");
  EXPECT_EQ(ControlText(7), "-5");
}

TEST_F(GtkDialogTest, AnEditorThatCanBeWrittenTakesTheTextAndReturnStartsALine) {
  open_kinds_dialog();
  const int window = dialog_state().window;
  StartDialogTimer(5, 100, 1);
  focus(9);
  for (const int key : {'B', 'O', 'N'}) tap(key);
  events_for(300);
  EXPECT_EQ(ControlText(9), "bon");
  EXPECT_EQ(EditorCaret(9), (CaretPosition{1, 4}));

  // Return starts a new line even though the dialog has an OK button.
  press(vk::enter);
  Events events = events_for(300);
  release(vk::enter);
  const Events after = events_for(300);
  events.insert(events.end(), after.begin(), after.end());
  EXPECT_FALSE(contains(events, "btnok"));
  EXPECT_EQ(windows_->focused_control(window), 9);
  for (const int key : {'J', 'O', 'U', 'R'}) tap(key);
  events_for(300);
  EXPECT_EQ(ControlText(9), "bon\njour");
  EXPECT_EQ(EditorCaret(9), (CaretPosition{2, 5}));

  // The caret follows the arrows.
  tap(vk::up);
  tap(vk::left);
  events_for(300);
  EXPECT_EQ(EditorCaret(9), (CaretPosition{1, 3}));

  // A selection of the program puts the caret after it; typing replaces it.
  windows_->select_text(window, 9, 2, 3);
  EXPECT_EQ(EditorCaret(9), (CaretPosition{2, 2}));
  tap('X');
  events_for(300);
  EXPECT_EQ(ControlText(9), "boxour");

  // Lines the program ends the Windows way read back with line feeds, and count so.
  SetControlText(9, "un\r\ndeux\r\ntrois");
  EXPECT_EQ(ControlText(9), "un\ndeux\ntrois");
  windows_->select_text(window, 9, 3, 5);
  EXPECT_EQ(EditorCaret(9), (CaretPosition{3, 1}));
}

// A user at the keyboard, in another process: waits for the window of that title to show, gives
// it the keyboard, types the text, then presses the keys (xdotool key names, separated by
// spaces). When the window is still there two seconds later the keys did nothing: `fallback`
// gives the other answer, so the test fails, not hangs. The text stays within the keyboard's own
// letters: xdotool types any other one by remapping a key, which now and then gives a wrong one.
std::unique_ptr<testing::ChildProcess> user_answers(const std::string& title,
                                                    const std::string& text,
                                                    const std::string& keys,
                                                    const std::string& fallback) {
  return std::make_unique<testing::ChildProcess>(std::vector<std::string>{
      "sh", "-c",
      "xdotool search --sync --onlyvisible --name \"^$0$\" windowfocus --sync %1 "
      "type --delay 30 \"$1\" && xdotool key --delay 30 $2; sleep 2; "
      "xdotool search --onlyvisible --name \"^$0$\" windowfocus %1 key $3",
      title, text, keys, fallback});
}

TEST_F(GtkDialogTest, StandardDialogsAnswerTheKeyboard) {
  open_sample_dialog(true);
  // Each box has a title of its own: the user looking for the next one must not find the last
  // one still on the screen, and type into it as it goes.
  // The preset is selected, so typing replaces it; Return is OK.
  auto user = user_answers("rendez-vous", "dentiste", "Return", "Escape");
  EXPECT_EQ(windows_->input_box("rendez-vous", "sujet du rendez-vous", "réunion"), "dentiste");
  user = user_answers("autre rendez-vous", "", "Escape", "Return");
  EXPECT_EQ(windows_->input_box("autre rendez-vous", "sujet du rendez-vous", "réunion"),
            std::nullopt);
  // Yes is the default answer, as in the Windows box; Escape says no.
  user = user_answers("question", "", "Return", "Escape");
  EXPECT_TRUE(windows_->yes_no_box("question", "supprimer la planification?"));
  user = user_answers("autre question", "", "Escape", "Return");
  EXPECT_FALSE(windows_->yes_no_box("autre question", "supprimer la planification?"));
  user = user_answers("information", "", "Return", "Escape");
  windows_->message_box("information", "planification enregistrée");

  testing::TempFolder folder;
  testing::write_bytes(folder.path() / "copie.agb", "x");
  // Control+L opens the chooser's location field, where a name is taken in the folder shown.
  user = user_answers("récupérer", "", "ctrl+l c o p i e period a g b Return", "Escape");
  EXPECT_EQ(windows_->open_file_dialog("récupérer", "*.agb", folder.path().string()),
            (folder.path() / "copie.agb").string());

  // The dialog's window has the keyboard again afterwards.
  EXPECT_TRUE(contains(events_until("getfocus"), "getfocus"));
}

TEST_F(GtkDialogTest, BoxesAnswerToTheirLettersAndEscape) {
  open_sample_dialog(true);
  // The yes/no box: Alt+N is "Non", Alt+O "Oui" (Return and Escape are checked above).
  auto user = user_answers("question N", "", "alt+n", "Return");
  EXPECT_FALSE(windows_->yes_no_box("question N", "supprimer la planification?"));
  user = user_answers("question O", "", "alt+o", "Escape");
  EXPECT_TRUE(windows_->yes_no_box("question O", "supprimer la planification?"));
  // Escape closes the message box too.
  user = user_answers("information", "", "Escape", "Return");
  windows_->message_box("information", "planification enregistrée");
  EXPECT_TRUE(contains(events_until("getfocus"), "getfocus"));
}

TEST_F(GtkDialogTest, SeveralFilesAreChosenInTheOpenDialog) {
  open_sample_dialog(true);
  testing::TempFolder folder;
  for (const char* name : {"cloche.wav", "gong à midi.ogg", "lisez-moi.txt"}) {
    testing::write_bytes(folder.path() / name, "x");
  }
  // Home then Shift+End select every row the filter shows; the text file is not among them.
  auto user = user_answers("ajouter des sons", "", "Home shift+End Return", "Escape");
  EXPECT_EQ(
      windows_->open_files_dialog("ajouter des sons", "*.wav;*.ogg;*.mp3", folder.path().string()),
      (std::vector<std::string>{(folder.path() / "cloche.wav").string(),
                                (folder.path() / "gong à midi.ogg").string()}));
  user = user_answers("ajouter des sons", "", "Home shift+End Escape", "Return");
  EXPECT_TRUE(
      windows_->open_files_dialog("ajouter des sons", "*.wav;*.ogg;*.mp3", folder.path().string())
          .empty());
  EXPECT_TRUE(contains(events_until("getfocus"), "getfocus"));
}

TEST_F(GtkDialogTest, ArrowsAndTheListOfAComboBoxChooseItsItem) {
  open_sample_dialog(true);
  SetControlState(8, 0);
  FocusControl(8);
  EXPECT_TRUE(contains(events_until("g8"), "g8"));

  // Down on the closed combo box chooses the next item, reported once and said.
  press(vk::down);
  Events events = events_until("cmb8");
  release(vk::down);
  Events after = events_until("key_released");
  const Events quiet = events_for(400);
  after.insert(after.end(), quiet.begin(), quiet.end());
  EXPECT_EQ(count(events, "cmb8"), 1);
  EXPECT_EQ(count(after, "cmb8"), 0);
  EXPECT_EQ(ControlState(8), 1);
  EXPECT_EQ(last_heard(), "speak \"famille\"");

  // Alt+Down opens the list without taking the dialog out of the foreground; the keys released
  // there are the dialog's, and the item chosen with Return is reported.
  press(vk::alt);
  press(vk::down);
  release(vk::down);
  release(vk::alt);
  events = events_until("getfocus");  // the Alt release, as for any Alt key
  press(vk::up);
  release(vk::up);
  events_for(200);
  press(vk::enter);
  after = events_until("cmb8");
  release(vk::enter);
  const Events settled = events_for(400);
  after.insert(after.end(), settled.begin(), settled.end());
  EXPECT_FALSE(contains(events, "lostfocus"));
  EXPECT_EQ(count(after, "cmb8"), 1);
  EXPECT_FALSE(contains(after, "btnok"));
  EXPECT_EQ(ControlState(8), 0);
  EXPECT_EQ(last_heard(), "speak \"travail\"");

  // Escape closes the open list and leaves the dialog as it was; the keys work on afterwards.
  press(vk::alt);
  press(vk::down);
  release(vk::down);
  release(vk::alt);
  events = events_until("getfocus");
  press(vk::escape);
  release(vk::escape);
  const Events closed = events_for(300);
  events.insert(events.end(), closed.begin(), closed.end());
  EXPECT_FALSE(contains(events, "btncancel"));
  EXPECT_FALSE(contains(events, "lostfocus"));
  EXPECT_EQ(windows_->foreground_window(), dialog_state().window);
  press(vk::down);
  events = events_until("cmb8");
  release(vk::down);
  EXPECT_TRUE(contains(events, "cmb8"));
  EXPECT_EQ(ControlState(8), 1);
}

TEST_F(GtkDialogTest, AnotherProgramTakingTheKeyboardFromAnOpenListTakesTheDialogsFocus) {
  open_sample_dialog(true);
  // trayer's window stands for another program's.
  const testing::ChildProcess other({"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                     "pixel", "--width", "120", "--height", "32"});
  events_for(500);
  FocusControl(8);
  events_until("g8");
  press(vk::alt);
  press(vk::down);
  release(vk::down);
  release(vk::alt);
  events_until("getfocus");
  {
    const testing::ChildProcess focus(
        {"sh", "-c",
         "xdotool search --class trayer | tail -1 | xargs -I{} xdotool windowfocus {}"});
    events_for(500);
  }
  EXPECT_EQ(windows_->foreground_window(), dialog_state().window) << "the list has the keys";
  press(vk::escape);
  release(vk::escape);
  const Events events = events_until("lostfocus");
  EXPECT_TRUE(contains(events, "lostfocus"));
  EXPECT_FALSE(contains(events, "btncancel"));
  EXPECT_EQ(windows_->foreground_window(), 0);
}

// The first raw event of one of `kinds` within the time; one of kind none when none came.
RawEvent first_event_of(WindowSystem& windows, const Clock& clock,
                        std::initializer_list<RawEvent::Kind> kinds, int within_ms) {
  const std::uint32_t start = clock.tick();
  for (auto left = within_ms; left > 0; left = within_ms - static_cast<int>(clock.tick() - start)) {
    const RawEvent raw = windows.wait_event(left);
    if (std::find(kinds.begin(), kinds.end(), raw.kind) != kinds.end()) return raw;
  }
  return {};
}

// A click of the first mouse button at the middle of the area, from another process.
std::unique_ptr<testing::ChildProcess> user_clicks(const PixelRect& area) {
  return std::make_unique<testing::ChildProcess>(
      std::vector<std::string>{"xdotool", "mousemove", std::to_string(area.x + area.width / 2),
                               std::to_string(area.y + area.height / 2), "click", "1"});
}

TEST_F(GtkDialogTest, AClickOnTheTrayIconReachesTheDialog) {
  open_sample_dialog(true);
  // Xvfb has no notification area of its own: Debian's trayer is one (package trayer).
  const testing::ChildProcess area({"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                    "pixel", "--width", "120", "--height", "32"});
  const std::string tip = "Tavelo : 2 rendez-vous aujourd'hui";
  windows_->set_tray_icon(3, "", tip);
  std::optional<PixelRect> icon;
  const std::uint32_t start = clock_.tick();
  while (!icon && clock_.tick() - start < static_cast<std::uint32_t>(kPatienceMs)) {
    WaitDialogEvent(50);
    icon = windows_->tray_geometry(3);
  }
  ASSERT_TRUE(icon) << "the notification area never took the icon in";
  EXPECT_EQ(windows_->tray_tooltip(3), tip);

  // The window system reports the click as the sim does: a tray event with the icon number.
  auto user = user_clicks(*icon);
  const RawEvent raw = first_event_of(*windows_, clock_, {RawEvent::Kind::tray}, kPatienceMs);
  EXPECT_EQ(raw.kind, RawEvent::Kind::tray);
  EXPECT_EQ(raw.id, 3);

  // The dialog layer names it after the icon. A pause first, or the click would be a double one.
  events_for(600);
  user = user_clicks(*icon);
  EXPECT_TRUE(contains(events_until("tray3"), "tray3"));
  windows_->remove_tray_icon(3);
  EXPECT_EQ(windows_->tray_tooltip(3), std::nullopt);
}

// What wakes the hidden agenda: another program renaming its request over the watched file, or
// pressing the watched key, ends the wait; other files, other keys and stopped watches do not.
TEST_F(GtkDialogTest, AWatchedFileOrKeyEndsTheWait) {
  const testing::TempFolder folder;
  const std::filesystem::path request = folder.path() / "trayaction.txt";
  windows_->watch_file(request);
  windows_->watch_desktop_key(vk::control);
  const auto watch_event = [this](int within_ms) {
    return first_event_of(*windows_, clock_, {RawEvent::Kind::file, RawEvent::Kind::desktop_key},
                          within_ms);
  };
  const testing::ChildProcess writer(
      {"sh", "-c",
       "sleep 0.2; echo 17 > '" + (folder.path() / "trayaction.tmp").string() + "' && mv '" +
           (folder.path() / "trayaction.tmp").string() + "' '" + request.string() + "'"});
  EXPECT_EQ(watch_event(kPatienceMs).kind, RawEvent::Kind::file);
  // Already there when watched again: at once.
  windows_->watch_file(request);
  EXPECT_EQ(watch_event(kPatienceMs).kind, RawEvent::Kind::file);
  std::filesystem::remove(request);
  testing::write_bytes(folder.path() / "agenda.bin", "autre");
  EXPECT_EQ(watch_event(500).kind, RawEvent::Kind::none);

  const testing::ChildProcess typist({"xdotool", "key", "ctrl", "sleep", "0.2", "key", "a"});
  const RawEvent raw = watch_event(kPatienceMs);
  EXPECT_EQ(raw.kind, RawEvent::Kind::desktop_key) << "Control pressed by another program";
  EXPECT_EQ(raw.key, vk::control);
  EXPECT_EQ(watch_event(500).kind, RawEvent::Kind::none) << "neither Control's release nor A";

  windows_->watch_file({});
  windows_->watch_desktop_key(0);
  testing::write_bytes(request, "17");
  const testing::ChildProcess late({"xdotool", "key", "ctrl"});
  EXPECT_EQ(watch_event(1000).kind, RawEvent::Kind::none);
}

TEST_F(GtkDialogTest, MenuItemsAreChosenWithTheirLetters) {
  open_sample_dialog(true);
  const int menu = windows_->add_menu(dialog_state().window, 0, "&Fichier");
  windows_->add_menu_item(menu, 42, "&Ouvrir");
  windows_->add_menu_separator(menu);
  windows_->add_menu_item(menu, 43, "&Quitter");
  events_for(200);
  press(vk::alt);
  press('F');
  release('F');
  release(vk::alt);
  press('Q');
  const Events events = events_until("menu43");
  release('Q');
  EXPECT_TRUE(contains(events, "menu43"));
  EXPECT_FALSE(contains(events, "menu42"));
}

}  // namespace
}  // namespace tavelo
