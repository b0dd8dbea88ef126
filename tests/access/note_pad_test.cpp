// The note pad's records and decisions, without any window.
#include "access/note_pad.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace tavelo::testing {
namespace {

FindState search_for(std::string_view find, std::string_view replacement = {},
                     bool backward = false) {
  return {std::string(find), std::string(replacement), backward, false, 0};
}

// The position found, and the text afterwards.
std::string searched(std::string text, FindState f, int start, bool find_only) {
  search_pad_text(text, f, start, find_only);
  return std::to_string(f.found) + " " + text;
}

// The find box's own cases (backward positions, replace all at both ends) are tested through
// the dialog library in dialog_library_test.cpp.
TEST(NotePad, SearchesCountCharactersAndReplaceOnlyWhatTheyMayReplace) {
  EXPECT_EQ(searched("abcabc", search_for("bc"), 3, true), "5 abcabc");
  EXPECT_EQ(searched("abcabc", search_for("bd"), 1, true), "0 abcabc");
  EXPECT_EQ(searched("éaxa", search_for("a", "Ü"), 3, false), "4 éaxÜ");
  EXPECT_EQ(searched("xaxa", search_for("a", "é"), 1, true), "2 xaxa");
  // An empty replacement finds without deleting; an empty search finds nothing.
  EXPECT_EQ(searched("xaxa", search_for("a"), 1, false), "2 xaxa");
  EXPECT_EQ(searched("xaxa", search_for(""), 1, false), "0 xaxa");
  // Replace all starts where it is asked to.
  FindState all = search_for("a", "b");
  all.replace_all = true;
  EXPECT_EQ(searched("acaca", all, 2, false), "5 acbcb");
  // Find next goes on from where it is asked to.
  FindState again = search_for("c", "z");
  search_again("abcabc", again, 4);
  EXPECT_EQ(again.found, 6);
}

TEST(NotePad, TheFindBoxAnswerIsRead) {
  FindState f;
  read_find_answer("onÿYÿ1ÿ0", f);
  EXPECT_EQ(f.find, "on");
  EXPECT_EQ(f.replacement, "Y");
  EXPECT_TRUE(f.backward);
  EXPECT_FALSE(f.replace_all);
  read_find_answer("éléÿÿ0ÿÿ", f);  // find only: empty replacement, fifth empty field
  EXPECT_EQ(f.find, "élé");
  EXPECT_EQ(f.replacement, "");
  EXPECT_FALSE(f.backward);
}

std::string step_of(std::string_view event, std::string_view key, int mode = 0) {
  const PadStep step = pad_step(event, key, 50, mode);
  static const char* const names[] = {"keep", "leave",  "find",    "next",
                                      "edit", "select", "refocus", "end"};
  const std::string name = names[static_cast<int>(step.action)];
  return step.action == PadAction::edit_by_key ? name + std::to_string(step.item) : name;
}

TEST(NotePad, KeysAndEventsDecideWhatThePadDoes) {
  EXPECT_EQ(step_of("winclose", ""), "leave");
  EXPECT_EQ(step_of("btncancel", "escape"), "leave");
  EXPECT_EQ(step_of("key_pressed", "controlf"), "find");
  EXPECT_EQ(step_of("menu56", ""), "find");
  EXPECT_EQ(step_of("", "f3"), "next");
  EXPECT_EQ(step_of("menu57", ""), "next");
  EXPECT_EQ(step_of("menu50", ""), "edit0");
  EXPECT_EQ(step_of("menu54", ""), "edit4");
  EXPECT_EQ(step_of("menu55", ""), "select");
  EXPECT_EQ(step_of("getfocus", ""), "refocus");
  EXPECT_EQ(step_of("menu58", ""), "keep");  // beyond the edit menu
  EXPECT_EQ(step_of("menu6", ""), "keep");
  EXPECT_EQ(step_of("key_pressed", "c"), "keep");
  // Mode 2 ends at the first key or event that is not navigation.
  EXPECT_EQ(step_of("key_pressed", "c", 2), "end");
  EXPECT_EQ(step_of("lst3", "", 2), "end");
  EXPECT_EQ(step_of("menu58", "", 2), "end");
  for (const char* key : {"down", "pagedown", "controla", "shift", "f5", "controlhome", ""}) {
    EXPECT_EQ(step_of("key_pressed", key, 2), "keep") << key;
  }
  EXPECT_EQ(step_of("g10", "", 2), "keep");
  EXPECT_EQ(step_of("key_released", "", 2), "keep");
}

TEST(NotePad, LeavingKeepsDropsOrStays) {
  PadState pad;
  pad.text = "bonjour";
  pad.open = true;
  EXPECT_FALSE(leave_pad(pad, "bonjour!", 3));
  EXPECT_TRUE(pad.open);
  EXPECT_TRUE(leave_pad(pad, "bonjour!", 2));
  EXPECT_EQ(pad.text, "bonjour");
  EXPECT_FALSE(pad.modified || pad.open);
  EXPECT_TRUE(leave_pad(pad, "bonjour!", 1));
  EXPECT_EQ(pad.text, "bonjour!");
  EXPECT_TRUE(pad.modified);

  PadState ended;
  ended.text = "a";
  take_typed_text(ended, "a");
  EXPECT_FALSE(ended.modified);
  take_typed_text(ended, "ab");
  EXPECT_EQ(ended.text, "ab");
  EXPECT_TRUE(ended.modified);

  EXPECT_EQ(character_position("ab\ncd\nef", 3, 2), 8);
  EXPECT_EQ(character_position("é\nx", 2, 1), 3);
  EXPECT_EQ(character_position("ab", 5, 0), 3);  // beyond the text: after its end
}

}  // namespace
}  // namespace tavelo::testing
