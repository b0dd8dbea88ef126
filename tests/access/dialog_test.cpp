#include "access/dialog.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "access/key_names.hpp"
#include "tests/access/sim_session.hpp"

namespace tavelo::testing {
namespace {

using Names = std::vector<std::string>;

bool contains(const Names& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A dialog with a text field 2, check box 31, button 5, OK and Cancel.
void open_form(bool with_cancel = true) {
  OpenDialog("d", 0, 0, 12, 40, "fiche");
  AddLabel(1, "sujet", 1, 1);
  AddTextField(2, "rendez-vous", 1, 10, 20);
  AddButton(5, "&test", 4, 1, 8);
  AddCheckBox(31, "&rappel", 6, 1, 12);
  AddMnemonics(31);
  if (with_cancel) AddCancelButton(0, 0);
}

TEST(Dialog, ReturnInTextFieldGivesOkOnce) {
  SimSession sim;
  open_form();
  EXPECT_EQ(sim.events(), (Names{"g1036", "getfocus"}));
  sim.windows.user_focus(2);
  EXPECT_EQ(WaitDialogEvent(0), "g2");
  EXPECT_TRUE(sim.windows.has_shortcut(sim.window(), vk::enter));
  sim.windows.press(vk::enter);
  EXPECT_EQ(WaitDialogEvent(0), "btnok");
  sim.windows.release(vk::enter);
  EXPECT_EQ(WaitDialogEvent(0), "key_released");
  EXPECT_EQ(WaitDialogEvent(10), "");

  // On a push button, Return keeps its own meaning: the button, not OK.
  sim.windows.user_focus(5);
  EXPECT_EQ(WaitDialogEvent(0), "g5");
  EXPECT_FALSE(sim.windows.has_shortcut(sim.window(), vk::enter));
  sim.windows.press(vk::enter);
  EXPECT_EQ(WaitDialogEvent(0), "btn5");
  sim.windows.release(vk::enter);
  EXPECT_EQ(sim.events(), (Names{"key_released", "key_released"}));
}

TEST(Dialog, AnArrowThatIsNeverReleasedDoesNotHoldTheDialog) {
  SimSession sim;
  open_form();
  sim.windows.user_focus(2);
  sim.events();
  sim.windows.press(vk::down);
  sim.windows.press('A');
  sim.windows.release('A');
  const std::uint32_t before = sim.clock.tick();
  sim.events();
  EXPECT_TRUE(sim.windows.key_state(vk::down) != 0);
  EXPECT_LE(sim.clock.tick() - before, 3100u);
  EXPECT_GE(sim.clock.tick() - before, 2900u);
}

TEST(Dialog, SpaceOnOkReportsOkAndTheClickOnlyReleases) {
  SimSession sim;
  open_form();
  sim.events();
  sim.windows.press(vk::space);
  EXPECT_EQ(WaitDialogEvent(0), "btnok");
  sim.windows.release(vk::space);
  EXPECT_EQ(sim.events(), (Names{"key_released", "key_released"}));
  // A click with no key before it is OK itself.
  sim.windows.click(kOkButton);
  EXPECT_EQ(sim.events(), (Names{"btnok"}));
}

TEST(Dialog, SpaceOnCheckBoxGivesTheStateItIsAboutToTake) {
  SimSession sim;
  open_form();
  sim.events();
  sim.windows.user_focus(31);
  EXPECT_EQ(WaitDialogEvent(0), "g31");
  sim.windows.press(vk::space);
  EXPECT_EQ(WaitDialogEvent(0), "chk31-set");
  sim.windows.release(vk::space);
  EXPECT_EQ(sim.events(), (Names{"key_released", "key_released"}));
  EXPECT_EQ(sim.windows.control_state(sim.window(), 31), 1);
  sim.windows.click(31);
  EXPECT_EQ(sim.events(), (Names{"chk31-unset"}));
}

TEST(Dialog, EscapeIsCancelOnlyWhenThereIsACancelButton) {
  SimSession sim;
  open_form(false);
  sim.events();
  sim.windows.press(vk::escape);
  EXPECT_EQ(WaitDialogEvent(0), "key_pressed");
  sim.windows.release(vk::escape);
  EXPECT_EQ(sim.events(), (Names{"key_released"}));

  open_form(true);
  sim.events();
  sim.windows.press(vk::escape);
  EXPECT_EQ(WaitDialogEvent(0), "btncancel");
  sim.windows.release(vk::escape);
  EXPECT_EQ(sim.events(), (Names{"key_released"}));
}

TEST(Dialog, MnemonicsActOnTheirControls) {
  SimSession sim;
  open_form();
  sim.events();
  sim.windows.press(vk::alt);
  sim.windows.press('R');
  EXPECT_EQ(sim.events(), (Names{"chk31-set"}));
  EXPECT_EQ(ReadKeyName(false, false), "");  // Alt is still down
  sim.windows.release('R');
  sim.windows.release(vk::alt);
  EXPECT_EQ(sim.events(), Names{});
  // 100 ms after Alt goes up, the focus is announced again.
  EXPECT_EQ(WaitDialogEvent(200), "getfocus");
  EXPECT_EQ(ReadKeyName(false, false), "");
  EXPECT_EQ(dialog_state().alt_state, 0);
  sim.windows.press(vk::alt);
  sim.windows.press('T');
  EXPECT_EQ(sim.events(), (Names{"btn5"}));
  sim.windows.release('T');
  sim.windows.release(vk::alt);
}

// Options 4 to 7 after the label 3.
void open_options() {
  OpenDialog("", 0, 0, 12, 40, "couleurs");
  AddLabel(3, "couleur", 1, 1);
  AddOption(4, "rouge", true, 2, 1, 10);
  AddOption(5, "vert", false, 3, 1, 10);
  AddOption(6, "bleu", false, 4, 1, 10);
  AddOption(7, "noir", false, 5, 1, 10);
  AddButton(8, "&fermer", 6, 1, 10);
}

TEST(Dialog, ArrowsWalkTheOptionGroupWithAStepLock) {
  SimSession sim;
  open_options();
  SetControlState(5, 1);
  EXPECT_EQ(WaitDialogEvent(0), "getfocus");
  sim.windows.press(vk::tab);            // Tab stops in the group at its checked option
  EXPECT_EQ(WaitDialogEvent(0), "rd5");  // focus on an option is never "g"
  EXPECT_TRUE(contains(sim.heard(), "speak \"couleur\""));
  sim.windows.release(vk::tab);
  sim.events();

  sim.windows.press(vk::down);
  EXPECT_EQ(WaitDialogEvent(0), "rd6");
  EXPECT_EQ(sim.windows.focused_control(sim.window()), 6);
  EXPECT_EQ(sim.windows.control_state(sim.window(), 6), 1);
  EXPECT_EQ(sim.windows.control_state(sim.window(), 5), 0);
  EXPECT_TRUE(dialog_state().option_step_lock);
  const std::uint32_t locked_at = sim.clock.tick();
  EXPECT_EQ(WaitDialogEvent(0), "");  // the lock holds the next step back
  std::string name;
  for (int round = 0; round < 20 && name.empty(); ++round) name = WaitDialogEvent(100);
  EXPECT_EQ(name, "rd7");
  EXPECT_GE(sim.clock.tick() - locked_at, 50u);
  sim.windows.release(vk::down);
  EXPECT_EQ(sim.events().back(), "key_released");
  EXPECT_EQ(sim.windows.focused_control(sim.window()), 7);
}

TEST(Dialog, ArrowsStopAtTheEndOfTheirGroup) {
  SimSession sim;
  OpenDialog("", 0, 0, 12, 40, "rendez-vous");
  AddOption(4, "matin", true, 2, 1, 10);
  AddOption(5, "soir", false, 3, 1, 10);
  AddOption(6, "lundi", true, 4, 1, 10);  // the next group, numbered right after the first
  AddOption(7, "mardi", false, 5, 1, 10);
  SetControlState(4, 1);
  SetControlState(7, 1);
  sim.events();
  for (const auto& [from, key] : {std::pair{5, vk::down}, std::pair{6, vk::up}}) {
    sim.windows.user_focus(from);
    EXPECT_EQ(sim.events(), (Names{"rd" + std::to_string(from)}));
    sim.windows.press(key);
    EXPECT_EQ(WaitDialogEvent(0), "");
    sim.windows.release(key);
    sim.events();
    EXPECT_EQ(sim.windows.focused_control(sim.window()), from);
  }
  EXPECT_EQ(sim.windows.control_state(sim.window(), 4), 1);
  EXPECT_EQ(sim.windows.control_state(sim.window(), 7), 1);
}

TEST(Dialog, TimersFireOnceOrRepeat) {
  SimSession sim;
  open_form();
  sim.events();
  const std::uint32_t start = sim.clock.tick();
  StartDialogTimer(3, 500, 1);
  StartDialogTimer(3, 50, 1);  // already running: nothing changes
  StartDialogTimer(4, 700, 0);
  EXPECT_EQ(WaitDialogEvent(-1), "timer3");
  EXPECT_EQ(sim.clock.tick() - start, 500u);
  EXPECT_EQ(WaitDialogEvent(-1), "timer4");
  EXPECT_EQ(dialog_state().last_timer_id, 4);
  EXPECT_FALSE(sim.windows.timer_running(sim.window(), 4));
  EXPECT_EQ(dialog_state().timers[4].running, 0);
  EXPECT_EQ(WaitDialogEvent(-1), "timer3");
  EXPECT_EQ(sim.clock.tick() - start, 1000u);
  StopDialogTimer(3);
  EXPECT_EQ(WaitDialogEvent(2000), "");
  EXPECT_EQ(sim.clock.tick() - start, 3000u);
}

TEST(Dialog, AnEditorWithTheFocusWaitsWithoutLimit) {
  SimSession sim;
  OpenDialog("", 0, 0, 12, 40, "note");
  AddEditor(2, "texte", 1, 1, 30, 8);
  sim.events();
  sim.windows.user_focus(2);
  EXPECT_EQ(WaitDialogEvent(0), "g2");
  StartDialogTimer(1, 5000, 0);
  const std::uint32_t start = sim.clock.tick();
  EXPECT_EQ(WaitDialogEvent(10), "timer1");
  EXPECT_EQ(sim.clock.tick() - start, 5000u);
  // A quiet period still ends on time: its announcement does not wait for a key.
  Speak("note modifiée", 300);
  for (int i = 0; i < 20 && sim.heard().back() != "speak \"note modifiée\""; ++i) {
    WaitDialogEvent(-1);
  }
  EXPECT_EQ(sim.heard().back(), "speak \"note modifiée\"");
  EXPECT_THROW(WaitDialogEvent(10), SimSessionOver);  // then nothing is left to wait for
  // Return in an editor that can be written to is a new line, not OK.
  AddOkButton(0, 0);
  sim.windows.press(vk::enter);
  EXPECT_EQ(WaitDialogEvent(0), "key_pressed");
  sim.windows.release(vk::enter);
}

TEST(Dialog, OkAndCancelShareTheLastRowWithoutOverlapping) {
  SimSession sim;
  OpenDialog("", 0, 0, 10, 40, "boutons");
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  const PixelRect ok = sim.windows.control_rect(sim.window(), kOkButton);
  const PixelRect cancel = sim.windows.control_rect(sim.window(), kCancelButton);
  EXPECT_EQ(ok.y, cancel.y);
  EXPECT_EQ(ok.y, GridY(9));
  EXPECT_LE(ok.x + ok.width, cancel.x);
  EXPECT_LE(cancel.x + cancel.width, GridX(42));
  EXPECT_EQ(cancel.width, GridX(9));
  SetOkCaption("&enregistrer");
  const PixelRect renamed = sim.windows.control_rect(sim.window(), kOkButton);
  EXPECT_EQ(renamed.width, GridX(14));
  EXPECT_LE(renamed.x + renamed.width, cancel.x);
  EXPECT_EQ(sim.windows.control_text(sim.window(), kOkButton), "&enregistrer");
  // A window opened over this one has the usual captions again.
  SaveDialog(1);
  OpenDialog("", 0, 0, 10, 40, "par-dessus");
  AddOkButton(0, 0);
  EXPECT_EQ(sim.windows.control_text(sim.window(), kOkButton), "ok");
  RestoreDialog(1);
  EXPECT_EQ(sim.windows.control_text(sim.window(), kOkButton), "&enregistrer");
  // A label sits a quarter row lower and is as wide as its caption.
  AddLabel(1, "date", 3, 2);
  EXPECT_EQ(sim.windows.control_rect(sim.window(), 1).y, GridY(2) + GridY(1) / 4);
  EXPECT_EQ(sim.windows.control_rect(sim.window(), 1).width, GridX(6));
}

TEST(Dialog, SaveAndRestoreRebuildTheWindow) {
  SimSession sim;
  open_form();
  AddCombo(8, 8, 1, 20);
  AddItem(8, "lundi", 1);
  AddItem(8, "mardi", 2);
  AddTree(9, 10, 1, 20, 6);
  AddItem(9, "racine", 10, 0);
  AddItem(9, "branche", 11, 1);
  AddEditor(12, "ligne 1\nligne 2", 1, 30, 10, 4);
  SetComboPageStep(8, 7);
  sim.windows.set_control_state(sim.window(), 8, 1);
  sim.windows.set_control_state(sim.window(), 31, 1);
  sim.windows.set_control_text(sim.window(), 2, "modifié");
  sim.windows.set_caret(sim.window(), 12, {2, 3});
  sim.windows.user_focus(31);
  SaveDialog(1);
  SaveDialog(10);  // no such slot

  OpenDialog("", 0, 0, 5, 20, "autre");
  EXPECT_FALSE(sim.windows.control_kind(sim.window(), 2).has_value());
  RestoreDialog(1);
  const int w = sim.window();
  EXPECT_EQ(sim.windows.window_title(w), "fiche");
  EXPECT_EQ(sim.windows.control_text(w, 2), "modifié");
  EXPECT_EQ(sim.windows.control_state(w, 31), 1);
  EXPECT_EQ(sim.windows.control_state(w, 8), 1);
  EXPECT_EQ(sim.windows.item(w, 8, 1).data, 2);
  EXPECT_EQ(sim.windows.item(w, 9, 1).text, "branche");
  EXPECT_EQ(sim.windows.item(w, 9, 1).level, 1);
  EXPECT_EQ(sim.windows.caret(w, 12), (CaretPosition{2, 3}));
  EXPECT_EQ(sim.windows.focused_control(w), 31);
  EXPECT_EQ(dialog_state().ok_number, kOkButton);
  EXPECT_EQ(dialog_state().cancel_number, kCancelButton);
  EXPECT_EQ(dialog_state().records[8].page_step, 7);
  const PixelRect button = sim.windows.control_rect(w, 5);
  EXPECT_EQ(button.x, GridX(0));
  EXPECT_EQ(button.y, GridY(3));
  EXPECT_EQ(button.width, GridX(8));
  EXPECT_TRUE(sim.windows.has_shortcut(w, 'T' | kShortcutAlt));
  EXPECT_TRUE(sim.windows.has_shortcut(w, vk::escape));
  RestoreDialog(7);  // never saved: nothing happens
  EXPECT_EQ(sim.window(), w);
}

TEST(Dialog, TextDisplayKeepsTheProgramsCaret) {
  SimSession sim;
  OpenDialog("w", 0, 0, 20, 60, "journal");
  AddEditor(kTextDisplay, "un\ndeux\ntrois", 1, 1, 58, 18, kReadOnly);
  AddButton(2, "&suite", 19, 1, 8);
  SetProgramCaret(2, 0);
  EXPECT_EQ(EditorCaret(kTextDisplay), (CaretPosition{2, 1}));
  sim.windows.user_focus(2);
  sim.windows.set_caret(sim.window(), kTextDisplay, {3, 4});
  WaitDialogEvent(0);
  EXPECT_EQ(EditorCaret(kTextDisplay), (CaretPosition{2, 1}));
  EXPECT_EQ(sim.windows.focused_control(sim.window()), kTextDisplay);
}

TEST(Dialog, NoticeIsShownUnderTheDialogAndSpoken) {
  SimSession sim;
  SetNoticeText("Choisissez une option.");
  const std::uint32_t start = sim.clock.tick();
  OpenDialog("d", 0, 0, 6, 40, "option");
  const int w = sim.window();
  EXPECT_EQ(sim.windows.control_text(w, kNoticeEditor), "Choisissez une option.");
  EXPECT_EQ(sim.windows.control_flags(w, kNoticeEditor) & kReadOnly, kReadOnly);
  EXPECT_GE(sim.clock.tick() - start, 200u);
  EXPECT_TRUE(contains(sim.heard(), "speak \"Choisissez une option.\""));
  EXPECT_TRUE(dialog_state().look.notice.empty());
  EXPECT_EQ(sim.windows.control_rect(w, kOkButton).y, GridY(9));  // below the notice
  // A snapshot shows the notice again where it was, without saying it again.
  const PixelRect ok = sim.windows.control_rect(w, kOkButton);
  SaveDialog(2);
  OpenDialog("", 0, 0, 4, 20, "autre");
  const std::size_t heard = sim.transcript.lines().size();
  RestoreDialog(2);
  EXPECT_EQ(sim.windows.control_text(sim.window(), kNoticeEditor), "Choisissez une option.");
  EXPECT_EQ(sim.windows.control_rect(sim.window(), kOkButton).y, ok.y);
  EXPECT_EQ(sim.transcript.lines().size(), heard + 2);  // the window and the focus on OK
  // Re-opening with no parameters gives the same window, without the spent notice.
  OpenDialog("", 0, 0, 0, 0, "");
  EXPECT_EQ(sim.windows.window_title(sim.window()), "option");
  EXPECT_FALSE(sim.windows.control_kind(sim.window(), kNoticeEditor).has_value());
}

TEST(Dialog, ComboKeysAndSelectionsAnnounceTheItem) {
  SimSession sim;
  OpenDialog("d", 0, 0, 10, 40, "mois");
  AddCombo(5, 1, 1, 20);
  for (const char* month : {"janvier", "février", "mars", "avril", "mai"}) AddItem(5, month);
  SetComboPageStep(5, 2);
  sim.events();
  sim.windows.user_focus(5);
  EXPECT_EQ(WaitDialogEvent(0), "g5");
  sim.windows.press(vk::control);
  sim.windows.press(vk::end);
  EXPECT_EQ(WaitDialogEvent(0), "cmb5");
  EXPECT_EQ(sim.windows.control_state(sim.window(), 5), 4);
  sim.windows.release(vk::end);
  sim.windows.release(vk::control);
  sim.idle(400);
  EXPECT_EQ(sim.heard().back(), "speak \"mai\"");
  sim.windows.press(vk::page_up);
  EXPECT_EQ(WaitDialogEvent(0), "cmb5");
  EXPECT_EQ(sim.windows.control_state(sim.window(), 5), 2);
  sim.windows.release(vk::page_up);
  sim.events();
  sim.windows.select(5, 1);
  EXPECT_EQ(WaitDialogEvent(0), "cmb5");
  EXPECT_EQ(dialog_state().records[5].combo_selection, 1);
  EXPECT_EQ(ControlText(5), "février");
}

TEST(Dialog, NothingIsReportedWhileTheProgramIsInTheBackground) {
  SimSession sim;
  open_form();
  sim.events();
  sim.windows.activate(false);
  EXPECT_EQ(WaitDialogEvent(0), "lostfocus");
  EXPECT_FALSE(dialog_state().window_active);
  sim.windows.click_tray(1);
  EXPECT_EQ(WaitDialogEvent(0), "tray1");
  StartDialogTimer(2, 100, 0);
  EXPECT_EQ(WaitDialogEvent(500), "timer2");
  sim.windows.activate(true);
  EXPECT_EQ(WaitDialogEvent(0), "getfocus");
  sim.windows.ask_close();
  EXPECT_EQ(WaitDialogEvent(0), "winclose");
  sim.windows.choose_menu(34);
  EXPECT_EQ(WaitDialogEvent(0), "menu34");
}

TEST(Dialog, StuckKeysAreReleasedButNotTab) {
  SimSession sim;
  open_form();
  sim.events();
  sim.windows.press(vk::shift);
  sim.windows.press('K');
  sim.windows.press(vk::tab);
  ReleaseStuckKeys();
  EXPECT_FALSE(IsKeyDown('K'));
  EXPECT_FALSE(IsKeyDown(vk::shift));
  EXPECT_TRUE(IsKeyDown(vk::tab));
}

TEST(Dialog, WaitWithEventsStopsAtTheAwaitedName) {
  SimSession sim;
  open_form();
  sim.events();
  SetAwaitedName("btn5");
  sim.windows.click(5);
  const std::uint32_t start = sim.clock.tick();
  EXPECT_EQ(WaitWithEvents(3000, 50, false), "btn5");
  EXPECT_LT(sim.clock.tick() - start, 100u);
  EXPECT_EQ(WaitWithEvents(300, 50, false), "");
  EXPECT_GE(sim.clock.tick() - start, 300u);
  SetAwaitedName("");
}

// A check list 41 of days and a list of several 43 of people under their labels.
void add_lists() {
  AddLabel(40, "jours", 8, 1);
  AddList(41, 8, 10, 20, 4, kCheckList);
  for (const char* day : {"lundi", "mardi", "mercredi"}) AddItem(41, day);
  AddLabel(42, "invités", 12, 1);
  AddList(43, 12, 10, 20, 4, kSeveral);
  for (const char* name : {"Anne", "Bruno", "Chloé", "David"}) AddItem(43, name);
}

TEST(Dialog, SpaceTicksACheckListAndMarksAreReportedAsTheUsers) {
  SimSession sim;
  open_form();
  add_lists();
  SetControlState(41, 1);
  sim.events();
  sim.windows.user_focus(41);
  EXPECT_EQ(WaitDialogEvent(0), "g41");
  sim.windows.press(vk::space);
  EXPECT_EQ(sim.events(), (Names{"key_pressed", "lst41"}));
  sim.windows.release(vk::space);
  EXPECT_EQ(sim.events(), (Names{"key_released"}));
  EXPECT_EQ(MarkedItems(41), (std::vector<int>{1}));
  EXPECT_EQ(ControlState(41), 1);  // ticking selects nothing else
  sim.windows.press(vk::space);
  sim.windows.release(vk::space);
  EXPECT_EQ(sim.events(), (Names{"key_pressed", "lst41", "key_released"}));
  EXPECT_FALSE(ItemMarked(41, 1));

  // The user's ticks are reported; the program's are not.
  sim.windows.mark(41, 2, true);
  EXPECT_EQ(sim.events(), (Names{"lst41"}));
  MarkItem(41, 0, true);
  EXPECT_EQ(sim.events(), Names{});
  EXPECT_EQ(MarkedItems(41), (std::vector<int>{0, 2}));
  MarkItem(41, 7, true);  // no such item
  EXPECT_EQ(MarkedItems(41), (std::vector<int>{0, 2}));

  // A plain list keeps no marks, and the simulated user cannot give it any.
  AddList(44, 16, 10, 20, 2);
  AddItem(44, "seul");
  MarkItem(44, 0, true);
  EXPECT_FALSE(ItemMarked(44, 0));
  EXPECT_THROW(sim.windows.mark(44, 0, true), std::invalid_argument);
}

TEST(Dialog, AListOfSeveralGivesItsFocusedItemWhileAnyIsSelected) {
  SimSession sim;
  open_form();
  add_lists();
  sim.events();
  EXPECT_EQ(ControlState(43), -1);
  // Selecting an item selects it alone.
  MarkItem(43, 3, true);
  SetControlState(43, 2);
  EXPECT_EQ(MarkedItems(43), (std::vector<int>{2}));
  EXPECT_EQ(ControlState(43), 2);
  sim.windows.mark(43, 0, true);
  EXPECT_EQ(sim.events(), (Names{"lst43"}));
  EXPECT_EQ(MarkedItems(43), (std::vector<int>{0, 2}));
  EXPECT_EQ(ControlState(43), 0);
  sim.windows.mark(43, 0, false);
  EXPECT_EQ(ControlState(43), 0);
  sim.windows.mark(43, 2, false);
  EXPECT_EQ(sim.events(), (Names{"lst43", "lst43"}));
  EXPECT_EQ(ControlState(43), -1);
  sim.windows.select(43, 1);
  EXPECT_EQ(sim.events(), (Names{"lst43"}));
  EXPECT_EQ(MarkedItems(43), (std::vector<int>{1}));
}

TEST(Dialog, AnEditableComboTakesATextOfItsOwn) {
  SimSession sim;
  open_form();
  AddCombo(8, 8, 1, 20, 2, kEditable);
  AddItem(8, "bureau");
  AddItem(8, "maison");
  AddCombo(9, 10, 1, 20);
  AddItem(9, "oui");
  sim.events();
  sim.windows.user_focus(8);
  sim.windows.type_text("gare");
  const Names typed = sim.events();
  EXPECT_EQ(std::count(typed.begin(), typed.end(), "key_pressed"), 4);
  EXPECT_FALSE(contains(typed, "cmb8"));
  EXPECT_EQ(ControlText(8), "gare");
  EXPECT_EQ(ControlState(8), -1);
  sim.windows.select(8, 1);
  EXPECT_EQ(WaitDialogEvent(0), "cmb8");
  EXPECT_EQ(ControlText(8), "maison");
  SetControlText(8, "salle 3");
  EXPECT_EQ(ControlText(8), "salle 3");
  EXPECT_EQ(ControlState(8), -1);
  // A combo box that is not editable keeps its item whatever is typed.
  sim.windows.user_focus(9);
  SetControlState(9, 0);
  sim.windows.type_text("x");
  EXPECT_EQ(ControlText(9), "oui");
  EXPECT_EQ(ControlState(9), 0);
}

TEST(Dialog, SnapshotsKeepTicksSelectionsAndTypedTexts) {
  SimSession sim;
  open_form();
  add_lists();
  AddCombo(8, 16, 1, 20, 2, kEditable);
  AddItem(8, "bureau");
  SetControlState(41, 1);
  MarkItem(41, 0, true);
  MarkItem(41, 2, true);
  SetControlState(43, 3);
  MarkItem(43, 1, true);
  SetControlText(8, "gare du nord");
  SaveDialog(3);
  OpenDialog("", 0, 0, 5, 20, "autre");
  RestoreDialog(3);
  EXPECT_EQ(MarkedItems(41), (std::vector<int>{0, 2}));
  EXPECT_EQ(ControlState(41), 1);
  EXPECT_EQ(MarkedItems(43), (std::vector<int>{1, 3}));
  EXPECT_EQ(ControlState(43), 3);
  EXPECT_EQ(ControlText(8), "gare du nord");
  EXPECT_EQ(sim.windows.control_flags(sim.window(), 41), kCheckList);
}

}  // namespace
}  // namespace tavelo::testing
