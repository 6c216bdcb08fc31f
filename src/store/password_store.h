// The unattended-access password: a salted, stretched hash kept in unattended.bin in the data
// folder and in a process-wide store under one lock. The hash and the proof a viewer sends are
// in protocol/access_password.h.
//
// unattended.bin, 56 bytes: "PXP2", salt (16), iterations (u32 LE), PBKDF2-SHA-256 hash (32).
// The older 52-byte form "PXPW", salt (16), SHA-256(salt || password) (32) is still read.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "base/bytes.h"
#include "crypto/crypto.h"
#include "protocol/access_password.h"

namespace px {

constexpr const char* kPasswordFileName = "unattended.bin";
constexpr uint32_t kPasswordIterations = 100000;      // written by setAccessPassword

struct PasswordRecord {
  bool hasPassword = false;
  PasswordSalt salt{};
  uint32_t iterations = 0;
  Digest32 hash{};
};

// Guards the store; the host's wrong-password counting shares it.
std::mutex& passwordStoreLock();

// Replaces the store with what unattended.bin holds. A missing, damaged, truncated or unknown
// file means no password. Start-up.
void loadPasswordStore();

// Empty password: removes the file and the password. Otherwise stores a fresh salt and the
// PBKDF2 hash with kPasswordIterations. On false (no random bytes, hashing failed, the file could
// not be written or removed) both the file and the store are as they were.
bool setAccessPassword(ByteView password);

// Copy of the store, taken under the lock.
PasswordRecord readPasswordStore();
// The same for a caller that already holds passwordStoreLock().
PasswordRecord readPasswordStoreLocked();

// The file's bytes and their reading, apart from the file system and the lock.
Bytes encodePasswordFile(const PasswordRecord& record);
PasswordRecord decodePasswordFile(ByteView file);

}  // namespace px
