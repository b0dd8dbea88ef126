#include "access/note_pad.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/key_names.hpp"
#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "planning/chain.hpp"
#include "planning/text.hpp"
#include "platform/parlon_exports.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr std::string_view kExitQuestion =
    "sortie du pad|Voulez-vous conserver vos moddifications?|0|&oui|&non|&annuler";

// Where one search lands, in characters (1-based), nothing when the text is not there.
std::optional<std::size_t> search(const std::u32string& text, const std::u32string& needle,
                                  bool backward, int start) {
  const auto length = static_cast<std::int64_t>(text.size());
  const auto m = static_cast<std::int64_t>(needle.size());
  if (needle.empty()) return std::nullopt;
  if (!backward) {
    const auto from = static_cast<std::size_t>(std::clamp<std::int64_t>(start - 1, 0, length));
    const auto hit = text.find(needle, from);
    if (hit == std::u32string::npos) return std::nullopt;
    return hit + 1;
  }
  // The nearest occurrence that ends at or before `start`, found in the reversed text.
  const std::u32string reversed(text.rbegin(), text.rend());
  const std::u32string reversed_needle(needle.rbegin(), needle.rend());
  const auto from = static_cast<std::size_t>(std::clamp<std::int64_t>(length - start, 0, length));
  const auto hit = reversed.find(reversed_needle, from);
  if (hit == std::u32string::npos) return std::nullopt;
  const auto p = static_cast<std::int64_t>(hit) + 1;
  return static_cast<std::size_t>(length - p - m + 2);
}

// Replaces every occurrence from `from` (0-based) on, each search going on after the text put
// in; gives the 0-based place of the last replacement.
std::optional<std::size_t> replace_each(std::u32string& text, const std::u32string& needle,
                                        const std::u32string& replacement, std::size_t from) {
  std::optional<std::size_t> last;
  for (auto hit = text.find(needle, from); hit != std::u32string::npos;
       hit = text.find(needle, hit + replacement.size())) {
    text.replace(hit, needle.size(), replacement);
    last = hit;
  }
  return last;
}

std::u32string reversed(const std::u32string& text) {
  return {text.rbegin(), text.rend()};
}

void replace_all(FindState& f, int start) {
  std::u32string text = to_codepoints(pad_state().text);
  const std::u32string needle = to_codepoints(f.find);
  const std::u32string replacement = to_codepoints(f.replacement);
  const auto length = static_cast<std::int64_t>(text.size());
  if (!f.backward) {
    const auto from = static_cast<std::size_t>(std::clamp<std::int64_t>(start - 1, 0, length));
    if (const auto last = replace_each(text, needle, replacement, from)) {
      f.found = static_cast<int>(*last) + 1;
    }
  } else {
    std::u32string back = reversed(text);
    const auto from = static_cast<std::size_t>(std::clamp<std::int64_t>(length - start, 0, length));
    const auto last = replace_each(back, reversed(needle), reversed(replacement), from);
    text = reversed(back);
    if (last) f.found = static_cast<int>(text.size() - *last - replacement.size()) + 1;
  }
  pad_state().text = to_utf8(text);
}

// One search; in replace mode the occurrence found is replaced.
void search_once(FindState& f, int start, bool replace) {
  std::u32string text = to_codepoints(pad_state().text);
  const auto hit = search(text, to_codepoints(f.find), f.backward, start);
  if (!hit) return;
  f.found = static_cast<int>(*hit);
  if (!replace) return;
  text.replace(*hit - 1, character_count(f.find), to_codepoints(f.replacement));
  pad_state().text = to_utf8(text);
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Keys that move or read without leaving the pad.
bool is_navigation_key(std::string_view key) {
  static constexpr std::array<std::string_view, 16> names = {
      "f1", "f2", "f3",  "f4",      "f5",    "f6",      "f7", "f8",
      "f9", "f10", "f11", "f12",    "alt",   "control", "shift", "controla"};
  static constexpr std::array<std::string_view, 19> parts = {
      "page",  "home", "delete", "end", "insert", "pad",  "lock",  "enter", "escape", "break",
      "print", "quot", "click",  "tab", "space",  "left", "right", "up",    "down"};
  return std::find(names.begin(), names.end(), key) != names.end() ||
         std::any_of(parts.begin(), parts.end(),
                     [key](std::string_view part) { return contains(key, part); });
}

// Navigation keys, and events of focus and keys that come without a key of their own.
bool keeps_pad_open(std::string_view key, std::string_view event) {
  const bool quiet_event = event.empty() || contains(event, "key") ||
                           contains(event, "focus") || contains(event, "g");
  return quiet_event && (key.empty() || is_navigation_key(key));
}

// The item of the edit menu (0 to 7) an event chose, -1 for any other event.
int edit_menu_item(std::string_view event, int base) {
  if (!event.starts_with("menu")) return -1;
  const std::int64_t item = leading_integer(event.substr(4)) - base;
  return item >= 0 && item < 8 ? static_cast<int>(item) : -1;
}

// The caret of the pad as a 1-based character position of its text.
int caret_position(int control) {
  const CaretPosition caret = EditorCaret(control);
  const std::u32string text = to_codepoints(ControlText(control));
  int line = 1;
  std::size_t at = 0;
  while (at < text.size() && line < caret.line) {
    if (text[at++] == U'\n') ++line;
  }
  return static_cast<int>(at) + std::max(caret.column, 1);
}

void select_found(int control, int length) {
  const int found = find_state().found;
  if (found > 0) window_system().select_text(dialog_state().window, control, found - 1, length);
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

void find_next_in_pad(PadState& pad) {
  FindNext(caret_position(pad.control) + 1);
  select_found(pad.control, static_cast<int>(character_count(find_state().find)));
}

// Undo, redo, copy, cut and paste go to the editor as the Ctrl keys that do them.
void edit_by_keys(const PadState& pad, int item) {
  static constexpr std::array<int, 5> letters = {'Z', 'Y', 'C', 'X', 'V'};
  if (window_system().focused_control(dialog_state().window) != pad.control) return;
  SimulateKey(vk::control, 1);
  SimulateKey(letters[static_cast<std::size_t>(item)], 0);
  SimulateKey(vk::control, 2);
}

// The user leaves: changes are kept, dropped, or the pad stays open (false).
bool may_leave(PadState& pad) {
  const std::string typed = ControlText(pad.control);
  if (typed != pad.text) {
    const int answer = AskUser(kExitQuestion);
    if (answer == 3) {
      FocusControl(pad.control);
      return false;
    }
    if (answer == 1) {
      pad.text = typed;
      pad.modified = true;
    }
  }
  pad.open = false;
  return true;
}

void show_pad(PadState& pad, std::string_view label, bool read_only, int row, int column,
              int width, int height) {
  const int flags = read_only ? kReadOnly : 0;
  WindowSystem& ws = window_system();
  const int window = dialog_state().window;
  if (!ws.control_kind(window, pad.control)) {
    AddEditor(pad.control, pad.text, row, column, width, height, flags);
    return;
  }
  const bool same_text = lower(ControlText(pad.control)) == lower(pad.text);
  SetControlText(pad.control, pad.text);
  if (same_text) return;
  ws.set_control_flags(window, pad.control, flags);
  AddLabel(pad.control + 1, label, 1, 1);
  if (label != pad.last_label) {
    Speak(label, 0);
    pad.last_label = label;
  }
}

}  // namespace

PadState& pad_state() {
  static PadState state;
  return state;
}

FindState& find_state() {
  static FindState state;
  return state;
}

void FindReplace(bool find_only, int start) {
  FindState& f = find_state();
  f.found = 0;
  f.backward = false;
  f.replace_all = false;
  const std::string answer = FindBoxAnswer(find_only);
  if (answer.empty()) return;
  f.find = chain(answer, kFindSeparator, 1, 1);
  f.replacement = chain(answer, kFindSeparator, 2, 1);
  f.backward = leading_integer(chain(answer, kFindSeparator, 3, 1)) != 0;
  f.replace_all = leading_integer(chain(answer, kFindSeparator, 4, 1)) != 0;
  if (f.replace_all && !f.find.empty()) {
    replace_all(f, start);
    return;
  }
  // An empty replacement only finds: a search must not delete the text it finds.
  search_once(f, start, !find_only && !f.replacement.empty());
  if (f.found == 0) WindowPrompts().notice("recherche infructueuse...");
}

void FindNext(int start) {
  FindState& f = find_state();
  if (f.replace_all) return;
  f.found = 0;
  if (!f.find.empty()) search_once(f, start, false);
  if (f.found == 0) WindowPrompts().notice("occurence introuvable...");
}

std::string EditInPad(int control, std::string_view title, std::string_view label, int mode,
                      bool read_only, int row, int column, int width, int height) {
  PadState& pad = pad_state();
  DialogState& d = dialog_state();
  pad.control = control;
  pad.read_only = read_only;
  show_pad(pad, label, read_only, row, column, width, height);
  pad.open = true;
  window_system().set_window_title(d.window, title);
  window_system().add_shortcut(d.window, vk::escape, kEscapeCommand);
  d.alt_state = 0;
  const int base = d.edit_menu_base == 0 ? 1 : d.edit_menu_base;
  for (;;) {
    const std::string event = WaitDialogEvent(-1);
    const std::string key = d.window_active ? ReadKeyName(false, false, event) : "";
    const int item = edit_menu_item(event, base);
    if (event == "winclose" || event == "btncancel") {
      if (may_leave(pad)) return "";
    } else if (key == "controlf" || item == 6) {
      find_in_pad(pad);
    } else if (key == "f3" || item == 7) {
      find_next_in_pad(pad);
    } else if (item >= 0 && item <= 4) {
      edit_by_keys(pad, item);
    } else if (item == 5) {
      SelectAllText(control);
    } else if (event == "getfocus") {
      FocusControl(control);
    } else if (mode == 2 && !keeps_pad_open(key, event)) {
      const std::string typed = ControlText(control);
      if (typed != pad.text) pad.modified = true;
      pad.text = typed;
      return key.empty() ? event : key;
    }
  }
}

}  // namespace tavelo
