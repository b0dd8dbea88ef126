#include "platform/sim/text_editing.hpp"

#include <gtest/gtest.h>

namespace tavelo {
namespace {

TEST(TextEditing, TypingReplacesTheSelectionAndTheErasingKeysTakeItOrOneCharacter) {
  std::string text = "réunion";
  TextSelection s;
  select_range(text, s, 1, 5);  // "éunio"
  EXPECT_EQ(selected_text(text, s), "éunio");
  EXPECT_EQ(s.caret, 6);
  type_over(text, s, "ada");
  EXPECT_EQ(text, "radan");
  EXPECT_EQ(s.caret, 4);
  EXPECT_EQ(s.anchor, 4);
  erase_before(text, s);
  erase_after(text, s);
  EXPECT_EQ(text, "rad");
  EXPECT_EQ(s.caret, 3);
  erase_after(text, s);  // nothing after the caret
  move_caret(text, s, CaretMove::text_start, false);
  erase_before(text, s);  // nothing before it
  EXPECT_EQ(text, "rad");
  move_caret(text, s, CaretMove::right, true);
  move_caret(text, s, CaretMove::right, true);
  erase_before(text, s);
  EXPECT_EQ(text, "d");
  EXPECT_EQ(s.caret, 0);
}

TEST(TextEditing, TheCaretMovesByCharactersLinesAndTheWholeText) {
  const std::string text = "première ligne\ncourte\n\nfin";
  TextSelection s;
  select_range(text, s, 2, 4);
  move_caret(text, s, CaretMove::left, false);  // a selection collapses to its edge
  EXPECT_EQ(s.caret, 2);
  select_range(text, s, 2, 4);
  move_caret(text, s, CaretMove::right, false);
  EXPECT_EQ(s.caret, 6);
  EXPECT_EQ(s.anchor, 6);
  move_caret(text, s, CaretMove::line_end, true);
  EXPECT_EQ(selected_text(text, s), "re ligne");
  move_caret(text, s, CaretMove::line_down, false);  // a shorter line: its end
  EXPECT_EQ(caret_position(text, s.caret), (CaretPosition{2, 7}));
  move_caret(text, s, CaretMove::line_down, false);
  EXPECT_EQ(caret_position(text, s.caret), (CaretPosition{3, 1}));
  move_caret(text, s, CaretMove::line_down, false);
  EXPECT_EQ(caret_position(text, s.caret), (CaretPosition{4, 1}));
  move_caret(text, s, CaretMove::line_down, false);  // down from the last line: its end
  EXPECT_EQ(caret_position(text, s.caret), (CaretPosition{4, 4}));
  move_caret(text, s, CaretMove::line_up, true);
  EXPECT_EQ(selected_text(text, s), "\nfin");
  move_caret(text, s, CaretMove::text_start, true);
  EXPECT_EQ(s.caret, 0);
  EXPECT_EQ(s.anchor, length_in_characters(text));
  move_caret(text, s, CaretMove::left, false);
  move_caret(text, s, CaretMove::right, false);
  move_caret(text, s, CaretMove::right, false);
  EXPECT_EQ(s.caret, 2);
  move_caret(text, s, CaretMove::line_up, false);  // up from the first line: its start
  EXPECT_EQ(s.caret, 0);
  move_caret(text, s, CaretMove::left, false);
  EXPECT_EQ(s.caret, 0);
}

TEST(TextEditing, LinesAndColumnsCountCharactersAndPositionsOutsideTheTextAreHeldIn) {
  const std::string text = with_line_feeds("un\r\ndeux\rtrois");
  EXPECT_EQ(text, "un\ndeux\ntrois");
  EXPECT_EQ(offset_of(text, {2, 3}), 5);
  EXPECT_EQ(caret_position(text, 5), (CaretPosition{2, 3}));
  EXPECT_EQ(offset_of(text, {2, 40}), 7);  // the end of that line
  EXPECT_EQ(offset_of(text, {9, 1}), 8);   // the last line
  EXPECT_EQ(caret_position(text, 99), (CaretPosition{3, 6}));
  TextSelection s;
  select_range(text, s, 6, 1 << 30);
  EXPECT_EQ(selected_text(text, s), "x\ntrois");
  select_range(text, s, -4, 2);
  EXPECT_EQ(selected_text(text, s), "un");
}

TEST(TextEditing, KeysTypeTheCharactersOfAUsKeyboardAndDigitsAreKept) {
  EXPECT_EQ(character_of_key('A', false), 'a');
  EXPECT_EQ(character_of_key('A', true), 'A');
  EXPECT_EQ(character_of_key('7', false), '7');
  EXPECT_EQ(character_of_key('7', true), '&');
  EXPECT_EQ(character_of_key(vk::space, true), ' ');
  EXPECT_EQ(character_of_key(190, false), '.');
  EXPECT_EQ(character_of_key(vk::enter, false), std::nullopt);
  EXPECT_EQ(character_of_key(vk::left, false), std::nullopt);
  EXPECT_EQ(digits_of("1a2 3é"), "123");
}

}  // namespace
}  // namespace tavelo
