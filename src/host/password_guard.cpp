#include "host/password_guard.h"

namespace px {

bool passwordLockedOut(const PasswordGuard& guard, int64_t nowMs) {
  return nowMs < guard.lockedUntilMs;
}

void notePasswordAccepted(PasswordGuard& guard) { guard.failures = 0; }

WrongPasswordResult notePasswordWrong(PasswordGuard& guard, int64_t nowMs) {
  // The window opens at the very first failure too, so a clock that starts near zero (a fresh
  // boot, a test clock) does not make that failure fall into a window begun at time 0.
  if (!guard.windowOpen || nowMs - guard.windowStartMs > kPasswordWindowMs) {
    guard.windowOpen = true;
    guard.windowStartMs = nowMs;
    guard.failures = 0;
  }
  ++guard.failures;
  WrongPasswordResult result{guard.failures, false};
  if (guard.failures >= kMaxPasswordFailures) {
    guard.lockedUntilMs = nowMs + kPasswordLockMs;
    guard.failures = 0;
    result.lockedNow = true;
  }
  return result;
}

}  // namespace px
