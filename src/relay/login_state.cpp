#include "relay/login_state.h"

#include <chrono>

namespace px {

AccountState& accountState() {
  static AccountState state;
  return state;
}

int64_t accountClockNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

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
