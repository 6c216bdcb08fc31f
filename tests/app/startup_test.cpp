#include "app/startup.h"

#include <gtest/gtest.h>

#include "relay/login_state.h"
#include "store/connection_lists.h"
#include "store/saved_login.h"
#include "../store/store_test_support.h"

namespace px {
namespace {

class StartupTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    clearLoginState(accountState());
    std::lock_guard lock(accountState().lock);
    accountState().lastLoginName.clear();
  }
  void loadNoFavourites() { clearFavourites(); }
  void TearDown() override {
    clearLoginState(accountState());
    DataFolderTest::TearDown();
  }
};

TEST_F(StartupTest, SavedLoginRestoresSessionAndFavouritesOnlyWithSpareTime) {
  struct Case {
    const char* name;
    int64_t expiresIn;  // seconds from now
    bool loggedIn;
  } cases[] = {
      {"an hour left", 3600, true},
      {"31 s left", 31 + 5, true},  // a few seconds of slack for a slow run
      {"20 s left", 20, false},
      {"expired", -10, false},
  };
  loadNoFavourites();  // what earlier tests left in memory must not turn the toggle into a removal
  toggleFavourite("maria", "123456789");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clearLoginState(accountState());
    LoginToken token{};
    token[0] = 7;
    saveLogin(token, accountClockNow() + c.expiresIn, "maria", "Maria Souza");
    loadNoFavourites();

    EXPECT_EQ(loadRelayAndLogin(), c.loggedIn);
    std::lock_guard lock(accountState().lock);
    EXPECT_EQ(accountState().lastLoginName, "maria");  // pre-fills the login box either way
    EXPECT_EQ(accountState().session.loginName, c.loggedIn ? "maria" : "");
    EXPECT_EQ(favouriteEntries().size(), c.loggedIn ? 1u : 0u);
  }
}

TEST_F(StartupTest, NoOrCorruptSavedLoginLeavesTheAccountLoggedOut) {
  EXPECT_FALSE(loadRelayAndLogin());
  writeText(kLoginFileName, "not a sealed record");
  EXPECT_FALSE(loadRelayAndLogin());
  std::lock_guard lock(accountState().lock);
  EXPECT_TRUE(accountState().lastLoginName.empty());
  EXPECT_EQ(accountState().session.expiry, 0);
}

}  // namespace
}  // namespace px
