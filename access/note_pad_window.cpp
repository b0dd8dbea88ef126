#include "access/note_pad_window.hpp"

#include <array>

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/interface_context.hpp"
#include "access/menus.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "planning/text.hpp"

namespace tavelo {

namespace {

constexpr std::string_view kExitQuestion =
    "sortie du pad|Voulez-vous conserver vos moddifications?|0|&oui|&non|&annuler";

// The caret of the pad as a 1-based character position of its text.
int caret_position(int control) {
  const CaretPosition caret = EditorCaret(control);
  return character_position(ControlText(control), caret.line, caret.column);
}

void select_found(int control, int length) {
  const int found = find_state().found;
  if (found > 0) SelectText(control, found - 1, length);
}

void find_in_pad(PadState& pad) {
  pad.text = ControlText(pad.control);
  const std::string before = pad.text;
  FindReplace(pad.read_only, caret_position(pad.control));
  const FindState& f = find_state();
  // A replacement is shown at once, selected with its own length.
  const bool replaced = pad.text != before;
  if (replaced) SetControlText(pad.control, pad.text);
  FocusControl(pad.control);
  select_found(pad.control, static_cast<int>(character_count(replaced ? f.replacement : f.find)));
}

void find_next_in_pad(const PadState& pad) {
  FindNext(caret_position(pad.control) + 1);
  select_found(pad.control, static_cast<int>(character_count(find_state().find)));
}

// Undo, redo, copy, cut and paste go to the editor as the Ctrl keys that do them.
void edit_by_keys(const PadState& pad, int item) {
  static constexpr std::array<int, 5> letters = {'Z', 'Y', 'C', 'X', 'V'};
  if (FocusedControl() != pad.control) return;
  SimulateKey(vk::control, 1);
  SimulateKey(letters[static_cast<std::size_t>(item)], 0);
  SimulateKey(vk::control, 2);
}

// The user leaves: changed text is kept or dropped as the exit question answers, or the pad
// stays open (false).
bool may_leave(PadState& pad) {
  const std::string typed = ControlText(pad.control);
  const int answer = typed != pad.text ? AskUser(kExitQuestion) : 2;
  if (leave_pad(pad, typed, answer)) return true;
  FocusControl(pad.control);
  return false;
}

// A new editor for the pad, or the pad's text in the window's editor under its label.
void show_pad(PadState& pad, std::string_view label, int row, int column, int width, int height) {
  const int flags = pad.read_only ? kReadOnly : 0;
  if (!ControlExists(pad.control)) {
    const ControlSpec editor[] = {
        {ControlKind::editor, pad.control, pad.text, row, column, width, height, flags}};
    AddControls(editor);
    return;
  }
  const bool same_text = lower_ascii(ControlText(pad.control)) == lower_ascii(pad.text);
  SetControlText(pad.control, pad.text);
  if (same_text) return;
  SetControlFlags(pad.control, flags);
  AddLabel(pad.control + 1, label, 1, 1);
  if (label != pad.last_label) {
    Speak(label, 0);
    pad.last_label = label;
  }
}

}  // namespace

PadState& pad_state() {
  return interface_context().pad;
}

FindState& find_state() {
  return interface_context().find;
}

void FindReplace(bool find_only, int start) {
  FindState& f = find_state();
  f.found = 0;
  f.backward = false;
  f.replace_all = false;
  const std::string answer = FindBoxAnswer(find_only);
  if (answer.empty()) return;
  read_find_answer(answer, f);
  search_pad_text(pad_state().text, f, start, find_only);
  if (f.found == 0) WindowPrompts().notice("recherche infructueuse...");
}

void FindNext(int start) {
  FindState& f = find_state();
  search_again(pad_state().text, f, start);
  if (f.found == 0 && !f.replace_all) WindowPrompts().notice("occurence introuvable...");
}

std::string EditInPad(int control, std::string_view title, std::string_view label, int mode,
                      bool read_only, int row, int column, int width, int height) {
  PadState& pad = pad_state();
  pad.control = control;
  pad.read_only = read_only;
  show_pad(pad, label, row, column, width, height);
  pad.open = true;
  SetDialogTitle(title);
  AddShortcut(vk::escape, kEscapeCommand);
  ResetAltState();
  const int base = EditMenuBase();
  for (;;) {
    const Input input = NextInput(-1);
    const PadStep step = pad_step(input.event, input.key, base, mode);
    switch (step.action) {
      case PadAction::leave:
        if (may_leave(pad)) return "";
        break;
      case PadAction::find:
        find_in_pad(pad);
        break;
      case PadAction::find_next:
        find_next_in_pad(pad);
        break;
      case PadAction::edit_by_key:
        edit_by_keys(pad, step.item);
        break;
      case PadAction::select_all:
        SelectAllText(control);
        break;
      case PadAction::refocus:
        FocusControl(control);
        break;
      case PadAction::end:
        take_typed_text(pad, ControlText(control));
        return input.key.empty() ? input.event : input.key;
      case PadAction::keep_editing:
        break;
    }
  }
}

}  // namespace tavelo
