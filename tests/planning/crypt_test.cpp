#include "planning/crypt.hpp"

#include <gtest/gtest.h>

#include "platform/fault.hpp"

namespace tavelo {
namespace {

TEST(Crypt, OffsetsBounceBetweenTheKeyAndOne) {
  // Key 3: offsets 3 2 1 2 3 2 1 2 ...
  EXPECT_EQ(crypt("AAAAAAAA", 3), "DCBCDCBC");
  // Key -3: offsets -3 -2 -1 -2 -3 -2 -1 ...
  EXPECT_EQ(crypt("hhhhhhh", -3), "efgfefg");
}

TEST(Crypt, TheNegatedKeyRestoresTheText) {
  for (int key : {1, 2, 5, 9, -4}) {
    const std::string text = "MotDePasse_é~123xyz";
    const auto scrambled = crypt(text, key);
    ASSERT_TRUE(scrambled) << key;
    EXPECT_NE(*scrambled, text);
    EXPECT_EQ(crypt(*scrambled, -key), text) << key;
  }
}

TEST(Crypt, RefusalsAreReported) {
  try {
    crypt("abc", 0);
    ADD_FAILURE() << "key 0 accepted";
  } catch (const Fault& fault) {
    EXPECT_EQ(fault.title, "Erreur d'encryption :");
    EXPECT_EQ(fault.text, "Zéro n'est pas une valeur permise");
  }
  EXPECT_FALSE(crypt("!", 1));   // lands on the double quote
  EXPECT_FALSE(crypt(" ", -3));  // falls below 32
  EXPECT_FALSE(crypt("ÿ", 2));   // passes the last code
}

}  // namespace
}  // namespace tavelo
