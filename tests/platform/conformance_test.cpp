// What the dialog layer reports for the same keys on every window system.
#include "access/dialog.hpp"
#include "access/dialog_state.hpp"
#include "platform/services.hpp"
#include "tests/platform/conformance.hpp"

namespace tavelo::testing {
namespace {

// Two option groups with consecutive numbers under one label, a check box, a button, OK and
// Cancel; the mnemonics.
void open_groups_dialog() {
  OpenDialog("", 0, 0, 12, 40, "deux groupes");
  AddLabel(1, "réglages", 1, 1);
  AddOption(2, "&basse", true, 1, 12, 10);
  AddOption(3, "&haute", false, 1, 24, 10);
  AddOption(4, "&oui", true, 3, 12, 10);
  AddOption(5, "&non", false, 3, 24, 10);
  AddCheckBox(6, "&rappel", 5, 1, 14);
  AddButton(7, "&test", 7, 1, 8);
  AddMnemonics(7);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  SetControlState(2, 1);
  SetControlState(5, 1);
}

TEST_P(Conformance, TwoOptionGroupsSideBySideStayApart) {
  check(open_groups_dialog, R"(
open
focus 2
key down
key tab
key space
key alt+o
key alt+h
click 5
key tab
key space
key space
key tab
key enter
key escape
)");
}

// A list (2), a check list (4), a list of several (6), a combo box (8), an editable combo box
// (10), a tree (12) and a tab panel (13), each but the panel after its label; OK.
void open_lists_dialog() {
  OpenDialog("", 0, 0, 30, 60, "listes");
  AddLabel(1, "jour", 1, 1);
  AddList(2, 1, 14, 20, 4);
  for (const char* day : {"lundi", "mardi", "mercredi", "jeudi"}) AddItem(2, day);
  AddLabel(3, "rappels", 6, 1);
  AddList(4, 6, 14, 20, 4, kCheckList);
  for (const char* day : {"matin", "midi", "soir"}) AddItem(4, day);
  AddLabel(5, "invités", 11, 1);
  AddList(6, 11, 14, 20, 5, kSeveral);
  for (const char* name : {"Anne", "Bruno", "Chloé", "David", "Émile"}) AddItem(6, name);
  AddLabel(7, "catégorie", 17, 1);
  AddCombo(8, 17, 14, 20);
  for (const char* name : {"travail", "famille", "loisirs"}) AddItem(8, name);
  AddLabel(9, "lieu", 19, 1);
  AddCombo(10, 19, 14, 20, 2, kEditable);
  for (const char* place : {"bureau", "maison"}) AddItem(10, place);
  AddLabel(11, "dossiers", 21, 1);
  AddTree(12, 21, 14, 24, 6);
  const std::pair<const char*, int> folders[] = {{"travail", 0}, {"réunions", 1}, {"rapports", 1},
                                                 {"maison", 0},  {"jardin", 1},   {"loisirs", 0}};
  for (const auto& [name, level] : folders) AddItem(12, name, 0, level);
  AddTabPanel(13, 28, 1, 40, 2);
  for (const char* page : {"général", "alarme", "notes"}) AddItem(13, page);
  AddOkButton(0, 0);
  SetControlState(2, 0);
  SetControlState(4, 0);
  SetControlState(6, 0);
  SetControlState(8, 0);
  SetControlState(12, 0);
  FocusControl(2);
}

TEST_P(Conformance, ListsCombosTreesAndPagesFollowTheKeys) {
  check(open_lists_dialog, R"(
open
key down
key down
key end
key home
key m
key m
key tab
key space
key down
key space
key tab
key down
key shift+down
key shift+down
key control+down
key control+space
key up
key tab
key down
key down
key up
key tab
key down
type gare
key up
key tab
key down
key right
key right
key down
key left
key left
key j
key r
key tab
key right
key right
key right
key control+tab
key control+shift+tab
key left
key enter
)");
}

// A field with a text (2), a field of digits (4) and an editor that can be written (6), each
// after its label; OK and Cancel.
void open_text_dialog() {
  OpenDialog("", 0, 0, 16, 50, "saisie");
  AddLabel(1, "sujet", 1, 1);
  AddTextField(2, "rendez-vous", 1, 12, 30);
  AddLabel(3, "durée", 3, 1);
  AddTextField(4, "", 3, 12, 10, kDigitsOnly);
  AddLabel(5, "note", 5, 1);
  AddEditor(6, "première ligne\nseconde", 5, 12, 36, 6);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  FocusControl(2);
}

TEST_P(Conformance, FieldsAndEditorsEditAsTheUserTypes) {
  check(open_text_dialog, R"(
open
type dentiste
key left
key left
key backspace
key delete
key home
key shift+right
key shift+right
type De
key end
key shift+left
key shift+home
key right
key control+a
type x
key tab
type 1a2 3
key backspace
key tab
key control+end
key enter
type fin
key home
key up
key shift+end
type la
key control+home
key delete
key down
key end
key shift+tab
key shift+tab
key enter
)");
}

// A menu bar with "Fichier" (Ouvrir, a separator, the sub-menu "Exporter" of "texte" and
// "agenda", Quitter) and "Aide" (Sommaire); a field and OK.
void open_menus_dialog() {
  OpenDialog("", 0, 0, 8, 40, "menus");
  AddLabel(1, "sujet", 1, 1);
  AddTextField(2, "", 1, 12, 20);
  AddOkButton(0, 0);
  WindowSystem& ws = window_system();
  const int window = dialog_state().window;
  const int file = ws.add_menu(window, 0, "&Fichier");
  ws.add_menu_item(file, 41, "&Ouvrir");
  ws.add_menu_separator(file);
  const int export_menu = ws.add_menu(window, file, "&Exporter");
  ws.add_menu_item(export_menu, 42, "&texte");
  ws.add_menu_item(export_menu, 43, "&agenda");
  ws.add_menu_item(file, 44, "&Quitter");
  const int help = ws.add_menu(window, 0, "&Aide");
  ws.add_menu_item(help, 45, "&Sommaire");
  FocusControl(2);
}

TEST_P(Conformance, MenusAnswerTheirLettersAndArrowsAndTimersFire) {
  check(open_menus_dialog, R"(
open
key alt+f
key q
key alt+f
key down
key enter
key alt+f
key e
key a
key alt+a
key escape
key alt+f
key enter
start-timer 7 200 once
wait 300ms
start-timer 8 100 repeat
await timer8
await timer8
stop-timer 8
wait 300ms
)");
}

}  // namespace
}  // namespace tavelo::testing
