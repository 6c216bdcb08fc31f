// Account logins, session checks and logouts as the relay answers them. Passwords are kept only
// as salted PBKDF2-SHA-256 hashes and session tokens only as SHA-256 hashes.
//
// Thread use: login() runs the slow hash and is meant for a worker thread; every method may run
// on any thread (the store has its own lock).
#pragma once

#include <cstdint>
#include <string>

#include "protocol/relay_protocol.h"
#include "relayd/relay_store.h"

namespace px::relayd {

struct AccountPolicy {
  uint32_t iterations = 210000;        // PBKDF2 rounds for new passwords
  int lockAfter = 5;                   // wrong passwords from one source before it is locked out
  int64_t lockSeconds = 15 * 60;       // (both applied by LoginGuard, not here)
  int64_t sessionSeconds = 12 * 3600;  // a session without "remember me"
  int64_t rememberSeconds = 30 * 24 * 3600;
};

// Fills salt, hash and iterations of `account` for `password`.
bool setAccountPassword(Account& account, std::string_view password, uint32_t iterations);
bool passwordMatches(const Account& account, std::string_view password);

// Parses YYYY-MM-DD; the account is valid through that whole day (UTC), so the result is the
// start of the next day in seconds since 1970. False on a malformed or impossible date.
bool parseExpiryDate(std::string_view text, int64_t& out);

class AccountService {
 public:
  AccountService(RelayStore& store, const AccountPolicy& policy) : store_(store), policy_(policy) {}

  // The reply to a login request at `now` (seconds since 1970). Lock-outs are LoginGuard's.
  LoginReply login(const LoginRequest& request, int64_t now);
  // kAccountOk with the session's login, or kAccountSessionExpired for an unknown, expired or
  // withdrawn session.
  uint8_t checkSession(const SessionToken& token, int64_t now, std::string& login);
  void logout(const SessionToken& token);

 private:
  RelayStore& store_;
  AccountPolicy policy_;
};

}  // namespace px::relayd
