#include "relayd/login_guard.h"

#include "protocol/relay_protocol.h"

namespace px::relayd {
namespace {

constexpr auto kSourceWindow = std::chrono::minutes(15);
constexpr auto kAccountWindow = std::chrono::hours(1);
constexpr auto kSweepEvery = std::chrono::minutes(1);

}  // namespace

LoginGuard::LoginGuard(const LoginGuardPolicy& policy)
    : policy_(policy),
      perSource_(policy.failuresPerSource, kSourceWindow),
      perAccount_(policy.accountFailuresPerHour, kAccountWindow) {}

std::string LoginGuard::pairKey(const std::string& login, const std::string& source) {
  std::string key = source;
  key += '\0';
  key += login;
  return key;
}

bool LoginGuard::trusted(const std::string& key, Clock::time_point now) const {
  auto it = trusted_.find(key);
  return it != trusted_.end() && now - it->second < policy_.trustTime;
}

bool LoginGuard::sourceExhausted(const std::string& source, Clock::time_point now) {
  return perSource_.exceeded(source, now);
}

uint8_t LoginGuard::begin(const std::string& login, const std::string& source, Clock::time_point now) {
  dropStale(now);
  const std::string key = pairKey(login, source);
  Pair& pair = pairs_[key];
  pair.touched = now;
  if (pair.lockedUntil > now) return kAccountLocked;
  if (policy_.lockAfter > 0 && pair.failures + pair.pending >= policy_.lockAfter) return kAccountLocked;
  if (!trusted(key, now) && perAccount_.exceeded(login, now)) return kAccountLocked;
  if (!perSource_.take(source, now)) return kAccountTooManyAttempts;
  perAccount_.add(login, now);
  ++pair.pending;
  return kAccountOk;
}

uint8_t LoginGuard::finish(const std::string& login, const std::string& source, uint8_t status,
                           Clock::time_point now) {
  const std::string key = pairKey(login, source);
  Pair& pair = pairs_[key];
  pair.touched = now;
  if (pair.pending > 0) --pair.pending;
  if (status != kAccountBadCredentials) {
    // The password was right (or the check never ran): nothing was guessed.
    perSource_.refund(source, now);
    perAccount_.refund(login, now);
    pair.failures = 0;
    if (status == kAccountOk) trusted_[key] = now;
    return status;
  }
  if (policy_.lockAfter > 0 && ++pair.failures >= policy_.lockAfter) {
    pair.failures = 0;
    pair.lockedUntil = now + policy_.lockTime;
    return kAccountLocked;
  }
  return status;
}

// Keeps both tables to what can still matter, so a stream of made-up logins cannot grow them.
void LoginGuard::dropStale(Clock::time_point now) {
  if (now - lastSweep_ < kSweepEvery) return;
  lastSweep_ = now;
  const auto keep = std::max<Clock::duration>(policy_.lockTime, kSourceWindow);
  std::erase_if(pairs_, [&](const auto& entry) {
    const Pair& p = entry.second;
    return p.pending == 0 && p.lockedUntil <= now && now - p.touched >= keep;
  });
  std::erase_if(trusted_, [&](const auto& entry) { return now - entry.second >= policy_.trustTime; });
}

}  // namespace px::relayd
