#include "net/local_address.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace px {
namespace {

TEST(LocalAddress, PicksFirstAddressThatIsNotLoopback) {
  struct Case {
    std::vector<std::string> candidates;
    std::string expected;
  } cases[] = {
      {{}, "127.0.0.1"},
      {{"127.0.0.1"}, "127.0.0.1"},
      {{"127.0.0.1", "127.0.0.1"}, "127.0.0.1"},
      {{"127.0.0.1", "192.168.0.7", "10.0.0.2"}, "192.168.0.7"},
      {{"10.0.0.2", "127.0.0.1"}, "10.0.0.2"},
      // Only the exact loopback text is skipped; the rest of 127/8 is what the resolver says.
      {{"127.0.1.1", "10.0.0.2"}, "127.0.1.1"},
  };
  for (const Case& c : cases) EXPECT_EQ(pickLocalAddress(c.candidates), c.expected);
}

TEST(LocalAddress, LookupGivesDottedQuadsOnly) {
  for (const std::string& a : hostNameAddresses()) {
    EXPECT_EQ(std::count(a.begin(), a.end(), '.'), 3) << a;
  }
  EXPECT_FALSE(localIpv4Address().empty());
}

}  // namespace
}  // namespace px
