// Counting of wrong unattended-access passwords: five wrong proofs within 15 minutes suspend
// password access for 15 minutes, during which the local user is asked instead. Plain data, only
// touched under passwordStoreLock(); times are milliseconds of a monotonic clock.
#pragma once

#include <cstdint>

namespace px {

inline constexpr int64_t kPasswordWindowMs = 900000;
inline constexpr int64_t kPasswordLockMs = 900000;
inline constexpr uint32_t kMaxPasswordFailures = 5;

struct PasswordGuard {
  uint32_t failures = 0;       // wrong passwords in the current window
  int64_t windowStartMs = 0;   // first failure of the window
  bool windowOpen = false;     // false until the first failure ever
  int64_t lockedUntilMs = 0;   // no proof is checked before this time
};

bool passwordLockedOut(const PasswordGuard& guard, int64_t nowMs);

// A correct proof clears the count; the window keeps its start.
void notePasswordAccepted(PasswordGuard& guard);

struct WrongPasswordResult {
  uint32_t count = 0;    // this failure's number in its window (kMaxPasswordFailures when locking)
  bool lockedNow = false;
};
// Counts one wrong proof: a window older than 15 minutes restarts here first; the fifth failure
// locks password access for 15 minutes and clears the count.
WrongPasswordResult notePasswordWrong(PasswordGuard& guard, int64_t nowMs);

}  // namespace px
