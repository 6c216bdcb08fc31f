// The login and logout requests, each run on a short-lived thread started by the login screen.
// The workers never touch LoginState: the login result goes to the main window, which applies it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "protocol/relay_protocol.h"

namespace px {

struct LoginResult {
  bool accepted = false;
  std::string error;  // the exchange's error or the status text when not accepted
  SessionToken token{};
  int64_t expiry = 0;  // seconds since 1970 (UTC)
  std::string loginName;
  std::string displayName;
  uint8_t remember = 0;  // as requested
};

// Hands a result to the main window (a posted message in the shell). Returns false when it could
// not be delivered; the worker then frees the result.
using LoginResultSink = std::function<bool(std::unique_ptr<LoginResult>)>;

// The whole login exchange on the calling thread. Wipes `password`.
std::unique_ptr<LoginResult> performLogin(const std::string& login, std::string password, uint8_t remember);

// Thread entry: performLogin, then delivers the result through `deliver`.
void loginWorker(std::string login, std::string password, uint8_t remember, LoginResultSink deliver);

// Thread entry, fire-and-forget: hands the token back to the relay; the outcome is ignored.
void logoutWorker(SessionToken token);

// "<user name> @ <computer name>" as UTF-8, sent with a login so the operator can tell sessions
// apart.
std::string deviceLabel();

}  // namespace px
