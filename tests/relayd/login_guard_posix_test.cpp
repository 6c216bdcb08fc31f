// The lock-out rules on their own: who gets locked, for whom, and what attempts at once count.
#include "relayd/login_guard.h"

#include <gtest/gtest.h>

#include "protocol/relay_protocol.h"

namespace px::relayd {
namespace {

using namespace std::chrono_literals;
using Clock = LoginGuard::Clock;

// One attempt begun and finished at once with `outcome` as the password check's status.
uint8_t attempt(LoginGuard& guard, const std::string& login, const std::string& source, uint8_t outcome,
                Clock::time_point now) {
  const uint8_t started = guard.begin(login, source, now);
  return started != kAccountOk ? started : guard.finish(login, source, outcome, now);
}

TEST(LoginGuardTest, WrongPasswordsLockTheLoginForThatSourceOnly) {
  LoginGuardPolicy policy;
  policy.lockAfter = 3;
  policy.lockTime = 60s;
  LoginGuard guard(policy);
  const auto t0 = Clock::now();
  const struct {
    const char* login;
    const char* source;
    uint8_t outcome;  // what the password check would say
    uint8_t answer;
    std::chrono::seconds at;
  } steps[] = {
      {"maria", "10.0.0.1", kAccountBadCredentials, kAccountBadCredentials, 0s},
      {"maria", "10.0.0.1", kAccountBadCredentials, kAccountBadCredentials, 0s},
      {"maria", "10.0.0.1", kAccountBadCredentials, kAccountLocked, 0s},
      {"maria", "10.0.0.1", kAccountOk, kAccountLocked, 1s},        // the right one, too late
      {"maria", "10.0.0.2", kAccountOk, kAccountOk, 1s},            // the owner elsewhere
      {"maria", "10.0.0.1", kAccountOk, kAccountOk, 61s},           // the lock ended
      {"maria", "10.0.0.1", kAccountBadCredentials, kAccountBadCredentials, 62s},  // count reset
  };
  for (const auto& s : steps) {
    EXPECT_EQ(attempt(guard, s.login, s.source, s.outcome, t0 + s.at), s.answer)
        << s.login << " " << s.source << " +" << s.at.count();
  }
}

TEST(LoginGuardTest, AttemptsStartedTogetherCountBeforeTheyEnd) {
  LoginGuardPolicy policy;
  policy.lockAfter = 5;
  policy.failuresPerSource = 8;
  LoginGuard guard(policy);
  const auto now = Clock::now();
  int started = 0;
  for (int i = 0; i < 40; ++i) started += guard.begin("maria", "10.0.0.1", now) == kAccountOk;
  EXPECT_EQ(started, 5);
  int other = 0;  // other logins from the same source meet the per-source limit
  for (int i = 0; i < 10; ++i) other += guard.begin("login" + std::to_string(i), "10.0.0.1", now) == kAccountOk;
  EXPECT_EQ(other, 3);
}

TEST(LoginGuardTest, SlowerLimitPerLoginOverAllSourcesSparesKnownSources) {
  LoginGuardPolicy policy;
  policy.lockAfter = 0;
  policy.accountFailuresPerHour = 4;
  LoginGuard guard(policy);
  const auto now = Clock::now();
  EXPECT_EQ(attempt(guard, "maria", "10.0.0.9", kAccountOk, now), kAccountOk);  // the owner's office
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(attempt(guard, "maria", "10.1.0." + std::to_string(i), kAccountBadCredentials, now),
              kAccountBadCredentials);
  }
  EXPECT_EQ(attempt(guard, "maria", "10.1.0.99", kAccountOk, now), kAccountLocked);
  EXPECT_EQ(attempt(guard, "maria", "10.0.0.9", kAccountOk, now), kAccountOk);
  EXPECT_EQ(attempt(guard, "ana", "10.1.0.99", kAccountOk, now), kAccountOk);
  EXPECT_EQ(attempt(guard, "maria", "10.1.0.99", kAccountOk, now + 1h), kAccountOk);
}

}  // namespace
}  // namespace px::relayd
