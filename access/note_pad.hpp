#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// The note pad's records and what it decides, without any window: the pad window
// (access/note_pad_window.hpp) shows them.

// The pad: the text being edited, shared with the find functions.
struct PadState {
  std::string text;
  int control = 0;
  std::string last_label;  // the label spoken last, not spoken again
  bool read_only = false;
  bool open = false;
  bool modified = false;  // the user chose to keep the modifications
};

// The last search, kept for find next. Positions are 1-based characters of the pad text.
struct FindState {
  std::string find;
  std::string replacement;
  bool backward = false;
  bool replace_all = false;
  int found = 0;  // 0: not found
};

// Takes the find box's answer ("ÿ" between the text to find, the replacement, the backward flag
// and the replace-all flag).
void read_find_answer(std::string_view answer, FindState& f);

// Runs the search of `f` on `text` from character `start`: replaces every occurrence when asked
// to, otherwise finds one and, unless `find_only`, replaces it by a replacement that is not
// empty. `f.found` tells where, 0 when nothing was found.
void search_pad_text(std::string& text, FindState& f, int start, bool find_only);

// Find next: the last search again from `start`, without replacing; nothing after a replace-all.
void search_again(const std::string& text, FindState& f, int start);

// What a key or an event does in the pad.
enum class PadAction {
  keep_editing,
  leave,        // Escape, Cancel or closing the window
  find,         // Control+F or the edit menu's find/replace
  find_next,    // F3 or find next
  edit_by_key,  // undo, redo, copy, cut or paste: `item` 0 to 4
  select_all,
  refocus,  // the window came back to the front
  end,      // mode 2: a key or an event that is not navigation
};
struct PadStep {
  PadAction action = PadAction::keep_editing;
  int item = 0;
};
PadStep pad_step(std::string_view event, std::string_view key, int edit_menu_base, int mode);

// The user leaves with `typed` in the editor; `answer` is the exit question's: 1 keeps the typed
// text, 2 drops it, 3 stays in the pad (false).
bool leave_pad(PadState& pad, const std::string& typed, int answer);

// The pad takes the editor's text when mode 2 ends it.
void take_typed_text(PadState& pad, const std::string& typed);

// The caret at `line` and `column` (1-based) of `text` as a 1-based character position.
int character_position(std::string_view text, int line, int column);

}  // namespace tavelo
