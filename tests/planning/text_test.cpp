#include "planning/text.hpp"

#include <gtest/gtest.h>

namespace tavelo {
namespace {

TEST(Text, EveryWindows1252ByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string text = utf8_from_cp1252(all);
  EXPECT_EQ(cp1252_from_utf8(text), all);
  EXPECT_EQ(character_count(text), 255u);
  EXPECT_EQ(utf8_from_cp1252("\x80\x9C\xFF"), "€œÿ");
}

TEST(Text, IllFormedUtf8CountsAsOneReplacementPerByte) {
  EXPECT_EQ(to_codepoints("a\xC3"), U"a\uFFFD");
  EXPECT_EQ(to_codepoints("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");  // a lone surrogate
  EXPECT_EQ(cp1252_from_utf8("\xC0\xAF"), "??");                    // an overlong "/"
  EXPECT_EQ(to_utf8(U"ok é 🎵"), "ok é 🎵");
}

TEST(Text, LeadingIntegerReadsLikeTheOldValFunction) {
  EXPECT_EQ(leading_integer(" -12abc"), -12);
  EXPECT_EQ(leading_integer("+7"), 7);
  EXPECT_EQ(leading_integer("abc"), 0);
  EXPECT_EQ(leading_integer("99999999999999999999999"), 999999999999999999);
  EXPECT_EQ(trim_spaces("  a b  "), "a b");
}

TEST(Text, JoiningAndLowering) {
  EXPECT_EQ(joined({"", "b", ""}, "\r"), "\rb\r");
  EXPECT_EQ(joined({}, ", "), "");
  EXPECT_EQ(lower_ascii("Cloche.WAV É"), "cloche.wav É");
}

}  // namespace
}  // namespace tavelo
