#include "viewer/utf16_text.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(Utf16TextTest, Utf16ToUtf8) {
  struct Case {
    std::u16string in;
    std::string out;
  };
  const Case cases[] = {
      {u"", ""},
      {u"ana", "ana"},
      {u"João", "Jo\xC3\xA3o"},
      {u"\u20AC", "\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {std::u16string(1, char16_t(0xD83D)), "\xEF\xBF\xBD"},         // high surrogate alone
      {std::u16string{char16_t(0xDE00), u'a'}, "\xEF\xBF\xBD" "a"},  // low surrogate first
      {std::u16string{char16_t(0xD83D), u'a'}, "\xEF\xBF\xBD" "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf16ToUtf8(c.in), c.out) << c.out;
}

TEST(Utf16TextTest, RoundTripsValidText) {
  for (const char* text : {"", "Recepção", "ID 123 456 789", "\xF0\x9F\x98\x80 ok"}) {
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
  }
}

}  // namespace
}  // namespace px
