// The remembered account session, kept in login.bin in the data folder, sealed so that only the
// same user on the same computer can read it back (DPAPI on Windows; AES-256-GCM under a
// per-user, per-machine key elsewhere).
//
// Record before sealing: version 1 (1), expiry (i64 LE, seconds since 1970 UTC), token (32),
// login name length (1) and bytes, display name length (1) and bytes; names cut to 255 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace px {

constexpr const char* kLoginFileName = "login.bin";
constexpr size_t kLoginTokenSize = 32;
constexpr size_t kMaxLoginFile = 4096;
constexpr int64_t kLoginSpareSeconds = 30;  // a session closer to its end than this is not restored

using LoginToken = std::array<uint8_t, kLoginTokenSize>;

// Holds a token: wiped when destroyed.
struct SavedLogin {
  int64_t expiry = 0;
  LoginToken token{};
  std::string loginName;
  std::string displayName;
  ~SavedLogin();
};

// Seals the record and replaces login.bin with it. Failures are silent and leave the old file.
// Main thread. (Removing the file when the user did not ask to be remembered is the caller's.)
void saveLogin(const LoginToken& token, int64_t expiry, std::string_view loginName,
               std::string_view displayName);

// Deletes login.bin (logout, a login without the remember choice, an expired login). A missing
// file is not an error.
void forgetSavedLogin();

enum class SavedLoginRestore {
  kNothing,        // no file, not ours, or malformed
  kLastLoginName,  // only `loginName` is meaningful: the session ends within kLoginSpareSeconds
  kSession,        // the whole record: a session to restore
};

// Reads login.bin. The caller copies the result into the login state under the account lock:
// the last login name for kLastLoginName and kSession, the session for kSession only.
SavedLoginRestore loadSavedLogin(SavedLogin& out, int64_t now);

Bytes encodeLoginRecord(const LoginToken& token, int64_t expiry, std::string_view loginName,
                        std::string_view displayName);
// False when shorter than 42 bytes or not version 1. A name whose length runs past the end is
// left empty, and so is every name after it.
bool decodeLoginRecord(ByteView record, SavedLogin& out);

// The platform's sealing for the current user (saved_login_win.cpp / saved_login_posix.cpp).
bool protectForCurrentUser(ByteView plain, Bytes& sealed);
bool unprotectForCurrentUser(ByteView sealed, Bytes& plain);

}  // namespace px
