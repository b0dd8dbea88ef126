#include "access/note_pad.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "planning/chain.hpp"
#include "planning/text.hpp"
#include "platform/parlon_exports.hpp"

namespace tavelo {

namespace {

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

void replace_all(std::string& pad_text, FindState& f, int start) {
  std::u32string text = to_codepoints(pad_text);
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
  pad_text = to_utf8(text);
}

// One search, case-sensitive: where the text to find is from `start`, in `f.found`.
void find_once(const std::u32string& text, FindState& f, int start) {
  if (const auto hit = search(text, to_codepoints(f.find), f.backward, start)) {
    f.found = static_cast<int>(*hit);
  }
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

}  // namespace

void read_find_answer(std::string_view answer, FindState& f) {
  f.find = chain(answer, kFindSeparator, 1, 1);
  f.replacement = chain(answer, kFindSeparator, 2, 1);
  f.backward = leading_integer(chain(answer, kFindSeparator, 3, 1)) != 0;
  f.replace_all = leading_integer(chain(answer, kFindSeparator, 4, 1)) != 0;
}

void search_pad_text(std::string& text, FindState& f, int start, bool find_only) {
  f.found = 0;
  if (f.replace_all && !f.find.empty()) {
    replace_all(text, f, start);
    return;
  }
  std::u32string characters = to_codepoints(text);
  find_once(characters, f, start);
  // An empty replacement only finds: a search must not delete the text it finds.
  if (f.found == 0 || find_only || f.replacement.empty()) return;
  characters.replace(static_cast<std::size_t>(f.found - 1), character_count(f.find),
                     to_codepoints(f.replacement));
  text = to_utf8(characters);
}

void search_again(const std::string& text, FindState& f, int start) {
  if (f.replace_all) return;
  f.found = 0;
  find_once(to_codepoints(text), f, start);
}

PadStep pad_step(std::string_view event, std::string_view key, int edit_menu_base, int mode) {
  const int item = edit_menu_item(event, edit_menu_base);
  if (event == "winclose" || event == "btncancel") return {PadAction::leave};
  if (key == "controlf" || item == 6) return {PadAction::find};
  if (key == "f3" || item == 7) return {PadAction::find_next};
  if (item >= 0 && item <= 4) return {PadAction::edit_by_key, item};
  if (item == 5) return {PadAction::select_all};
  if (event == "getfocus") return {PadAction::refocus};
  if (mode == 2 && !keeps_pad_open(key, event)) return {PadAction::end};
  return {PadAction::keep_editing};
}

bool leave_pad(PadState& pad, const std::string& typed, int answer) {
  if (answer == 3) return false;
  if (answer == 1) {
    pad.text = typed;
    pad.modified = true;
  }
  pad.open = false;
  return true;
}

void take_typed_text(PadState& pad, const std::string& typed) {
  if (typed != pad.text) pad.modified = true;
  pad.text = typed;
}

int character_position(std::string_view text, int line, int column) {
  const std::u32string characters = to_codepoints(text);
  int at_line = 1;
  std::size_t at = 0;
  while (at < characters.size() && at_line < line) {
    if (characters[at++] == U'\n') ++at_line;
  }
  return static_cast<int>(at) + std::max(column, 1);
}

}  // namespace tavelo
