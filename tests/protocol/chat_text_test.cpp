#include "protocol/chat_text.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(ChatText, LinesAreMadeFitForOneLine) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"  ola\tmundo  ", "ola mundo"},
      {"linha 1\r\nlinha 2", "linha 1  linha 2"},
      {" \t \r\n ", ""},
      {"", ""},
      {"a\x1b[31mb", "a\xEF\xBF\xBD[31mb"},  // ESC cannot colour a terminal or a log
      {std::string("x\0y", 3), "x\xEF\xBF\xBDy"},
      {"del\x7f", "del\xEF\xBF\xBD"},
      {"ação ✓", "ação ✓"},                  // UTF-8 passes untouched
  };
  for (const auto& c : cases) EXPECT_EQ(normalizeChatText(c.in), c.out) << c.in;
}

TEST(ChatHistory, TheTwoHundredAndFirstLineDropsTheFirst) {
  ChatHistory history;
  for (int i = 1; i <= 201; ++i) history.add({i % 2 == 0, std::to_string(i)});
  ASSERT_EQ(history.entries().size(), kChatHistoryLimit);
  EXPECT_EQ(history.entries().front().text, "2");
  EXPECT_EQ(history.entries().back().text, "201");
  EXPECT_FALSE(history.entries().back().sentByMe);
  history.clear();
  EXPECT_TRUE(history.entries().empty());
}

}  // namespace
}  // namespace px
