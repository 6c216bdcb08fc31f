#include "ui/chat_history.h"

#include <gtest/gtest.h>

namespace px {
namespace {

std::string hex(std::u16string_view s) {
  std::string out;
  char buf[8];
  for (char16_t c : s) {
    snprintf(buf, sizeof buf, "%04X ", unsigned(c));
    out += buf;
  }
  return out;
}

TEST(UiChatHistoryTest, NormalizeTurnsLineBreaksAndTabsIntoSpacesAndTrims) {
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"  olá\tmundo  ", u"olá mundo"},
      {u" \t \t ", u""},
      {u"a\r\nb", u"a  b"},
      {u"", u""},
      {u"\x01x", u"\x01x"},
      {u"\n\nlinha\n", u"linha"},
      {u"tudo bem?", u"tudo bem?"},
  };
  for (const Case& c : cases) EXPECT_EQ(normalizeChatText(c.in), c.out) << hex(c.in);
}

TEST(UiChatHistoryTest, DisplayTextShowsControlsAsPlainText) {
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"a\x1b[31mb", u"a\u241b[31mb"},
      {std::u16string(u"a\0b", 3), u"a\u2400b"},
      {u"\x7f", u"\u2421"},
      {u"x\x85y", u"x\uFFFDy"},
      {u"abc\u202Edef", u"abc\uFFFDdef"},
      {u"\u2066i\u2069", u"\uFFFDi\uFFFD"},
      {u"\U0001F600!", u"\U0001F600!"},
      {std::u16string{char16_t(0xD83D), u'x'}, u"\uFFFDx"},
      {std::u16string{char16_t(0xDE00)}, u"\uFFFD"},
      {std::u16string{u'a', char16_t(0xD83D)}, u"a\uFFFD"},
      {u"ação çá", u"ação çá"},
  };
  for (const Case& c : cases) EXPECT_EQ(hex(chatDisplayText(c.in)), hex(c.out)) << hex(c.in);
}

TEST(UiChatHistoryTest, KeepsTheNewest200) {
  ChatHistory history;
  for (int i = 0; i < 201; ++i) history.add(i % 2 == 0, u"linha " + std::u16string(1, u'0' + i % 10));
  ASSERT_EQ(history.entries().size(), 200u);
  EXPECT_EQ(history.entries().front().text, u"linha 1");  // line 0 dropped
  EXPECT_FALSE(history.entries().front().local);
  EXPECT_EQ(history.entries().back().text, u"linha 0");   // line 200
  EXPECT_TRUE(history.entries().back().local);
  history.clear();
  EXPECT_TRUE(history.entries().empty());
}

}  // namespace
}  // namespace px
