#include "app/command_line.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(CommandLine, SpacesAreDroppedEverythingElseKept) {
  const struct {
    const char* line;
    const char* target;
  } cases[] = {
      {"123 456 789", "123456789"},
      {"  123456789  ", "123456789"},
      {"     ", ""},
      {"", ""},
      // Only the space is dropped: a tab or a letter is kept for the home screen to refuse.
      {"12\t3 abc", "12\t3abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(autoConnectTarget(c.line), c.target) << c.line;
}

}  // namespace
}  // namespace px
