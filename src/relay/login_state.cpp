#include "relay/login_state.h"

#include <chrono>

namespace px {

AccountState& accountState() {
  static AccountState state;
  return state;
}

// unixTimeNow() is defined once, with the connection lists (store), which this module links.

bool sessionValid(const LoginState& state, int64_t now) { return state.expiry > now; }

bool loggedInWithSpare(const LoginState& state, int64_t now) {
  return state.expiry > now + kLoggedInSpareSeconds;
}

void clearLoginState(AccountState& account) {
  std::lock_guard guard(account.lock);
  if (!account.session.loginName.empty()) account.lastLoginName = account.session.loginName;
  secureWipe(account.session.token);
  account.session = LoginState{};
}

}  // namespace px
