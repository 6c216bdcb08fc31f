// Decides which login attempts get their password checked, and locks out guessing without
// telling anyone which logins exist and without letting a stranger lock an owner out.
//
// Every rule is keyed by the login text as sent, whether or not an account has it, so unknown
// and real logins answer alike. Wrong passwords lock a login only for the source address that
// sent them; a slower limit per login, over all sources, stops guessing spread over many
// addresses, and it spares sources that logged in to that login before. Attempts count from the
// moment they start, so attempts sent at once meet the same limits as attempts sent in turn.
//
// Network thread only (not locked).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "relayd/rate_limiter.h"

namespace px::relayd {

struct LoginGuardPolicy {
  int lockAfter = 5;                         // wrong passwords from one source; 0 = never
  std::chrono::seconds lockTime{15 * 60};
  int failuresPerSource = 20;                // per source address, every 15 minutes; 0 = no limit
  int accountFailuresPerHour = 100;          // per login over all sources; 0 = no limit
  std::chrono::seconds trustTime{30 * 24 * 3600};  // a source that logged in stays exempt
};

class LoginGuard {
 public:
  using Clock = std::chrono::steady_clock;
  explicit LoginGuard(const LoginGuardPolicy& policy);

  // Whether a source has used up its wrong passwords, checked when its connection opens.
  bool sourceExhausted(const std::string& source, Clock::time_point now);
  // An attempt starts: kAccountOk to go on and check the password (the attempt now counts),
  // kAccountLocked or kAccountTooManyAttempts to answer at once (finish() is then not called).
  uint8_t begin(const std::string& login, const std::string& source, Clock::time_point now);
  // The checked attempt's status; returns the status to answer (kAccountLocked when this wrong
  // password locks the login for this source).
  uint8_t finish(const std::string& login, const std::string& source, uint8_t status,
                 Clock::time_point now);

 private:
  struct Pair {
    int failures = 0;  // wrong passwords since the last success or lock
    int pending = 0;   // attempts started and not yet finished
    Clock::time_point lockedUntil{};
    Clock::time_point touched{};
  };
  static std::string pairKey(const std::string& login, const std::string& source);
  bool trusted(const std::string& key, Clock::time_point now) const;
  void dropStale(Clock::time_point now);

  LoginGuardPolicy policy_;
  RateLimiter perSource_, perAccount_;
  std::unordered_map<std::string, Pair> pairs_;
  std::unordered_map<std::string, Clock::time_point> trusted_;  // last success per pair
  Clock::time_point lastSweep_{};
};

}  // namespace px::relayd
