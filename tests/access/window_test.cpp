// The window pattern's pieces: the control table and the input loop.
#include "access/window.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "access/dialog.hpp"
#include "access/menus.hpp"
#include "tests/access/sim_session.hpp"

namespace tavelo::testing {
namespace {

constexpr ControlSpec kTable[] = {
    {ControlKind::label, 1, "sujet", 1, 1},
    {ControlKind::text_field, 2, "rendez-vous", 1, 10, 20},
    {ControlKind::check_box, 3, "&rappel", 3, 1, 12},
    {ControlKind::label, 4, "priorité", 5, 1},
    {ControlKind::option, 5, "&basse", 5, 12, 10, 2, kGroupStart},
    {ControlKind::option, 6, "&haute", 5, 24, 10},
    {ControlKind::list_box, 7, "", 7, 1, 20, 4, kCheckList},
    {ControlKind::editor, 8, "ligne", 12, 1, 30, 4, kReadOnly},
    {ControlKind::button, 9, "&test", 17, 1, 8},
};

TEST(Window, TheTableMakesItsControlsInOrderWithTheirMnemonics) {
  SimSession sim;
  OpenDialog("", 0, 0, 20, 40, "fiche");
  AddControls(kTable);
  const int w = sim.window();
  EXPECT_EQ(sim.windows.control_kind(w, 5), ControlKind::option);
  EXPECT_EQ(sim.windows.control_flags(w, 5), kGroupStart);
  EXPECT_EQ(sim.windows.control_flags(w, 7), kCheckList);
  EXPECT_EQ(sim.windows.control_text(w, 2), "rendez-vous");
  EXPECT_EQ(sim.windows.control_text(w, 8), "ligne");
  // The creation helpers placed them: a label a quarter row lower, as wide as its caption.
  EXPECT_EQ(sim.windows.control_rect(w, 4).y, GridY(4) + GridY(1) / 4);
  EXPECT_EQ(sim.windows.control_rect(w, 4).width, GridX(10));
  EXPECT_EQ(sim.windows.control_rect(w, 7).height, GridY(4));
  // Tab goes through them in the table's order; a snapshot keeps all of them.
  EXPECT_EQ(dialog_state().registered, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (const int letter : {'R', 'B', 'H', 'T'}) {
    EXPECT_TRUE(sim.windows.has_shortcut(w, letter | kShortcutAlt)) << char(letter);
  }
  sim.events();
  sim.windows.press(vk::alt);
  sim.windows.press('H');
  EXPECT_EQ(sim.events(), (std::vector<std::string>{"rd6"}));
  EXPECT_EQ(ControlState(6), 1);
  sim.windows.release('H');
  sim.windows.release(vk::alt);
}

TEST(Window, NextInputGivesTheEventWithTheKeysHeldWhileTheWindowIsActive) {
  SimSession sim;
  OpenDialog("", 0, 0, 20, 40, "fiche");
  AddControls(kTable);
  FocusControl(2);
  sim.events();
  sim.windows.press(vk::control);
  sim.windows.press('F');
  Input input = NextInput(0);
  EXPECT_EQ(input.event, "");  // Control+F types nothing
  EXPECT_EQ(input.key, "controlf");
  sim.windows.release('F');
  sim.windows.release(vk::control);
  sim.events();
  sim.windows.press('A');
  input = NextInput(0);
  EXPECT_EQ(input.event, "key_pressed");
  EXPECT_EQ(input.key, "a");
  sim.windows.activate(false);
  input = NextInput(0);
  EXPECT_EQ(input.event, "lostfocus");
  EXPECT_EQ(input.key, "");
  sim.windows.release('A');
  // A timeout with nothing to report gives nothing.
  sim.windows.activate(true);
  sim.events();
  const std::uint32_t before = sim.clock.tick();
  input = NextInput(250);
  EXPECT_EQ(input.event, "");
  EXPECT_EQ(sim.clock.tick() - before, 250u);
}

TEST(Window, AHiddenWindowGetsItsTimersAndMenuButNoKeys) {
  SimSession sim;
  OpenDialog("", 0, 0, 20, 40, "fond", kHiddenWindow);
  AddControls(kTable);
  NameControl(7, "rappels");
  BuildPopupMenu("", 1, {"Montrer", "-Quitter"});
  StartDialogTimer(3, 100, 0);
  EXPECT_FALSE(DialogWindowShown());
  sim.windows.press('A');
  EXPECT_EQ(NextInput(0).key, "");  // nothing reaches a hidden window
  EXPECT_TRUE(IsKeyDown('A'));      // but the keyboard is still there to read
  sim.windows.release('A');
  EXPECT_EQ(NextInput(200).event, "timer3");
  ShowPopupMenu();
  sim.windows.choose_menu(2);
  EXPECT_EQ(NextInput(0).event, "menu2");
  sim.windows.click_tray(1);
  EXPECT_EQ(NextInput(0).event, "tray1");
  EXPECT_THROW(sim.windows.click(9), std::invalid_argument);
  // Shown, the window is active and the user reaches it; the given name is what is said.
  ShowDialogWindow(true);
  EXPECT_EQ(NextInput(0).event, "getfocus");
  sim.windows.user_focus(7);
  EXPECT_EQ(NextInput(0).event, "g7");
  ShowDialogWindow(false);
  EXPECT_EQ(NextInput(0).event, "lostfocus");
  EXPECT_EQ(sim.heard(),
            (std::vector<std::string>{"hide \"fond\"",
                                      "popup \"Montrer\" \"-\" "
                                      "\"Quitter\"",
                                      "show \"fond\"", "focus 7 \"rappels\"", "hide \"fond\""}));
}

TEST(Window, HiddenAndDisabledControlsAreOutOfReachAndComeBackWhole) {
  SimSession sim;
  OpenDialog("", 0, 0, 20, 40, "fiche");
  AddControls(kTable);
  BuildMenu("&Option", 36, {"&Liste multi-sélection sonore"});
  CheckMenuItem(36, true);
  SetGridColumns(7, 7);
  SetControlFlags(3, kHidden);
  SetControlFlags(5, kDisabled | kGroupStart);
  FocusControl(2);
  // Tab passes them by; a user cannot click or focus them.
  std::vector<int> reached;
  for (int step = 0; step < 6; ++step) {
    sim.windows.press(vk::tab);
    sim.windows.release(vk::tab);
    reached.push_back(sim.windows.focused_control(sim.window()));
  }
  EXPECT_EQ(reached, (std::vector<int>{6, 7, 8, 9, 2, 6}));
  EXPECT_THROW(sim.windows.click(3), std::invalid_argument);
  EXPECT_THROW(sim.windows.user_focus(5), std::invalid_argument);
  EXPECT_TRUE(sim.windows.menu_item_checked(sim.window(), 36));

  // A window drawn over this one and gone again gives it back with its tick and its grid.
  SaveDialog(1);
  OpenDialog("", 0, 0, 6, 20, "autre");
  EXPECT_FALSE(sim.windows.menu_item_checked(sim.window(), 36));
  RestoreDialog(1);
  EXPECT_TRUE(sim.windows.menu_item_checked(sim.window(), 36));
  EXPECT_EQ(dialog_state().records.at(7).grid_columns, 7);
  EXPECT_EQ(sim.windows.control_flags(sim.window(), 3), kHidden);
  SetControlFlags(3, 0);
  EXPECT_NO_THROW(sim.windows.click(3));
  CheckMenuItem(36, false);
  EXPECT_FALSE(sim.windows.menu_item_checked(sim.window(), 36));
  const std::vector<std::string> heard = sim.heard();
  EXPECT_EQ(std::count(heard.begin(), heard.end(), "menu-check 36 on"), 2);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), "menu-check 36 off"), 1);
}

}  // namespace
}  // namespace tavelo::testing
