#include "base/log_text.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(EscapeForLog, ControlsAndBrokenUtf8BecomeVisibleEscapes) {
  using namespace std::string_literals;
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"maria", "maria"},
      {"", ""},
      {"Jos\xc3\xa9 S\xc3\xa3o \xe2\x82\xac \xf0\x9f\x98\x80", "Jos\xc3\xa9 S\xc3\xa3o \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"a\n[RELAY] Tunel de 10.0.0.66", "a\\n[RELAY] Tunel de 10.0.0.66"},
      {"x\r\ty", "x\\r\\ty"},
      {"back\\slash", "back\\\\slash"},
      {"\x1b[2J\x1b]0;t\x07", "\\x1b[2J\\x1b]0;t\\x07"},
      {"nul\0end"s, "nul\\x00end"},
      {"del\x7f", "del\\x7f"},
      {"csi\xc2\x9b" "31m", "csi\\xc2\\x9b31m"},       // C1 control
      {"nbsp\xc2\xa0", "nbsp\xc2\xa0"},                  // first printable after C1
      {"lone\x80", "lone\\x80"},                         // stray continuation byte
      {"cut\xc3", "cut\\xc3"},                           // sequence cut at the end
      {"over\xc0\xaf", "over\\xc0\\xaf"},                // overlong '/'
      {"surr\xed\xa0\x80", "surr\\xed\\xa0\\x80"},       // UTF-16 surrogate
      {"big\xf4\x90\x80\x80", "big\\xf4\\x90\\x80\\x80"},// past U+10FFFF
      {"\xe2\x82" "A", "\\xe2\\x82A"},                   // broken in the middle
  };
  for (const auto& c : cases) EXPECT_EQ(escapeForLog(c.in), c.out) << c.out;
}

TEST(EscapeForLog, OutputIsOneLineOfPrintableBytes) {
  std::string every;
  for (int b = 0; b < 256; ++b) every += char(b);
  for (char c : escapeForLog(every)) {
    EXPECT_TRUE(uint8_t(c) >= 0x20 && uint8_t(c) != 0x7F) << int(uint8_t(c));
  }
}

}  // namespace
}  // namespace px
