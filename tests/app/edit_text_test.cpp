#include "app/edit_text.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(EditTextTest, LimitNeverSplitsASurrogatePair) {
  const std::u16string smile = u"\U0001F600";
  struct Case {
    std::u16string in;
    size_t limit;
    std::u16string out;
  };
  const Case cases[] = {
      {u"abcdef", 4, u"abcd"},
      {u"abc", 4, u"abc"},
      {u"", 4, u""},
      {u"abc" + smile, 4, u"abc"},
      {u"abc" + smile, 5, u"abc" + smile},
      {u"ab" + smile, 4, u"ab" + smile},
      {smile, 1, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(withinEditLimit(c.in, c.limit), c.out) << c.limit;
}

TEST(EditTextTest, LowerCaseCoversPortugueseLetters) {
  EXPECT_EQ(lowerCaseLetters(u"ANA.Silva_1-Z"), u"ana.silva_1-z");
  EXPECT_EQ(lowerCaseLetters(u"JOÃO ÇÉÀÕÜ"), u"joão çéàõü");
  EXPECT_EQ(lowerCaseLetters(u"×÷ß@[`{"), u"×÷ß@[`{") << "not letters, or no capital";
}

TEST(EditTextTest, OnlyTheSpaceCharacterIsDropped) {
  EXPECT_EQ(withoutSpaces(" 123 456  789 "), "123456789");
  EXPECT_EQ(withoutSpaces("a\tb\xC2\xA0" "c"), "a\tb\xC2\xA0" "c");
}

}  // namespace
}  // namespace px
