#include "planning/chain.hpp"

#include <gtest/gtest.h>

#include "platform/fault.hpp"

namespace tavelo {
namespace {

Fault fault_of(const std::function<void()>& call) {
  try {
    call();
  } catch (const Fault& fault) {
    return fault;
  }
  ADD_FAILURE() << "no fault";
  return Fault("", "");
}

TEST(Chain, CountsFieldsOfEveryCharacterOfTheSet) {
  EXPECT_EQ(chaincount("", ":"), 1);
  EXPECT_EQ(chaincount("a::b", ":"), 3);
  EXPECT_EQ(chaincount("45123 09-30.gnda", " -."), 4);
  EXPECT_EQ(chaincount("é:ü", "ü"), 2);  // characters, not bytes: "é" shares a byte with "ü"
}

TEST(Chain, ModeZeroTrimsTheTextAndTheField) {
  EXPECT_EQ(chain("", ":", 1), "");
  EXPECT_EQ(chain("a::b", ":", 2), "");
  EXPECT_EQ(chain("a::b", ":", 3), "b");
  EXPECT_EQ(chain(" 5 ; 7 ", ";", 2), "7");
  EXPECT_EQ(chain(" 5 ; 7 ", ";", 2, 1), " 7 ");
  EXPECT_EQ(chain("45123 09-30.gnda", " -.", 3), "30");
  EXPECT_EQ(chain("45123 09-30.gnda", " -.", 4), "gnda");
  EXPECT_EQ(chain("12:30", ":", 1), "12");
}

TEST(Chain, TrimmingASpaceSeparatorLeavesTrailingFieldsEmpty) {
  // The field count comes from the text as given, the scan from the trimmed text.
  EXPECT_EQ(chaincount(" a b ", " "), 4);
  EXPECT_EQ(chain(" a b ", " ", 1), "a");
  EXPECT_EQ(chain(" a b ", " ", 2), "b");
  EXPECT_EQ(chain(" a b ", " ", 4), "");
}

TEST(Chain, OtherModes) {
  EXPECT_EQ(chain("un(:)deux(:)trois", "(:)", 2, 2), "deux");
  EXPECT_EQ(chain("un(:)deux(:)trois", "(:)", 3, 2), "trois");
  EXPECT_EQ(chain("un(:)deux", "(:)", 3, 2), "");  // within the set's count, beyond the delimiter's
  EXPECT_EQ(chain("a:b", ":", 1, 7), "");
  EXPECT_EQ(chain("xÿyÿz", "ÿ", 2), "y");
}

TEST(Chain, LeftAndRightChainCutTheTextAsGiven) {
  EXPECT_EQ(leftchain("a:b:c", ":", 2), "a:b");
  EXPECT_EQ(rightchain("a:b:c", ":", 2), "b:c");
  EXPECT_EQ(leftchain("a::c", ":", 2), "");
  EXPECT_EQ(rightchain("a:b:c", ":", 1), "a:b:c");
  EXPECT_EQ(leftchain("é:à:ü", ":", 2), "é:à");
  // Positions come from the trimmed text, so leading spaces cut as many characters early.
  EXPECT_EQ(leftchain("  ab:cd", ":", 1), "  ");
  EXPECT_EQ(rightchain("  ab:cd", ":", 2), "b:cd");
}

TEST(Chain, AFieldBeyondTheLastIsAFaultNamingBothNumbers) {
  const Fault fault = fault_of([] { chain("12:30", ":", 3); });
  EXPECT_EQ(fault.title, "erreur chain()");
  EXPECT_EQ(fault.text,
            "élément suppérieur au nombre d'élément identifié.\rchaîne: 12:30\rséparration: :"
            "\rnuméro d'élément demandé: 3\rnombre d'élément identifié: 2");
  EXPECT_EQ(fault_of([] { leftchain("a", ":", 2); }).title, "erreur leftchain()");
  EXPECT_EQ(fault_of([] { rightchain("a", ":", 2); }).title, "ereur rightchain()");
}

TEST(Chain, ALongTextIsNotCopiedIntoTheFault) {
  const std::string long_text(2496, 'x');
  const Fault fault = fault_of([&] { chain(long_text, ":", 2); });
  EXPECT_EQ(fault.text,
            "élément suppérieur au nombre d'élément identifié.\rla chaîne est trop volumineuse "
            "pour être affichée...\rséparration: :\rnuméro d'élément demandé: 2\rnombre "
            "d'élément identifié: 1");
  const std::string shorter(2495, 'x');
  EXPECT_NE(fault_of([&] { chain(shorter, ":", 2); }).text.find(shorter), std::string::npos);
}

}  // namespace
}  // namespace tavelo
