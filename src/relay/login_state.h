// The account session shared by the login screen, the tunnel request and the favourites.
//
// Thread use: the main thread is the only writer; every reader and writer holds `lock`.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "protocol/relay_protocol.h"

namespace px {

constexpr int64_t kLoggedInSpareSeconds = 30;

struct LoginState {
  SessionToken token{};  // all zero when logged out
  int64_t expiry = 0;    // seconds since 1970 (UTC); 0 when logged out
  std::string loginName;
  std::string displayName;  // may be empty: the login name is shown then
};

struct AccountState {
  std::mutex lock;
  LoginState session;         // guarded by lock
  std::string lastLoginName;  // guarded by lock; pre-fills the login box
};

AccountState& accountState();

// Whole seconds since 1970 (UTC), the clock session expiries are kept in.
int64_t accountClockNow();

// Good enough to ask for a tunnel: expiry later than `now`.
bool sessionValid(const LoginState& state, int64_t now);
// What the main window calls logged in: expiry later than now + 30 s.
bool loggedInWithSpare(const LoginState& state, int64_t now);

// Zeroes the token and empties the session, keeping the login name as the last login name.
// Takes the lock.
void clearLoginState(AccountState& account);

}  // namespace px
