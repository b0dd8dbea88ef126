#include "access/note_window.hpp"

#include "access/dialog.hpp"
#include "access/menus.hpp"
#include "access/note_pad_window.hpp"
#include "access/window.hpp"

namespace tavelo {

namespace {

constexpr std::string_view kNoteTitle = "bloc-note de l'agenda";
constexpr std::string_view kNoteLabel = "note:";
constexpr int kNoteEditor = 2;

constexpr ControlSpec kNoteControls[] = {
    {ControlKind::label, kNoteEditor - 1, kNoteLabel, 1, 2},
    {ControlKind::editor, kNoteEditor, "", 2, 2, 74, 26, kReadOnly},
};

}  // namespace

void ShowNoteWindow(std::string_view note) {
  OpenDialog("", 0, 0, 28, 78, kNoteTitle);
  AddEditMenu(1, 0);
  AddControls(kNoteControls);
  pad_state().text = note;
  SetControlText(kNoteEditor, note);
  FocusControl(kNoteEditor);
  EditInPad(kNoteEditor, kNoteTitle, kNoteLabel, 0, true, 2, 2, 74, 26);
}

}  // namespace tavelo
