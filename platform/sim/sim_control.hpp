#pragma once

#include <string>
#include <vector>

#include "platform/sim/text_editing.hpp"
#include "platform/window_system.hpp"

namespace tavelo {

// A simulated control: what its native counterpart would hold.
struct SimControl {
  ControlKind kind = ControlKind::label;
  PixelRect rect;
  std::string text;
  int flags = 0;
  // Checked (0/1) for check boxes and options; the selected item (-1 none) of lists, the
  // focused one of a list of several; the page of a tab panel.
  int state = 0;
  std::vector<ListItem> items;
  std::vector<bool> open;  // the nodes of a tree shown open, one per item
  int anchor_item = -1;    // list of several: where Shift extends the selection from
  TextSelection selection;
  int grid_columns = 0;  // a grid's cells a line; 0 when the program did not say
  std::string name;  // given by the program, before its caption or label
};

bool has_items(ControlKind kind);
bool takes_text(const SimControl& c);  // text fields, editors and editable combo boxes

// Selects the item alone (-1: none), as a click does; a combo box shows it in its field, a tree
// opens the nodes above it.
void select_item(SimControl& c, int index);
// The program's text: an editor keeps its lines with line feeds; the caret goes to the start.
void set_text(SimControl& c, std::string_view text);

// What a key did to the focused control.
enum class KeyUse {
  none,     // the control has no use for it
  used,     // used quietly (the caret moved, the text changed)
  changed,  // the control reports a change: a selection, a tick, a page
};

// The key goes down on the focused control, which uses it as its native counterpart does.
// `modifiers` are the kShortcut… bits held.
KeyUse use_key(SimControl& c, int key, int modifiers);
// The text typed, or pasted, into the control: digits only in a field of digits.
void take_typed_text(SimControl& c, std::string_view typed);

}  // namespace tavelo
