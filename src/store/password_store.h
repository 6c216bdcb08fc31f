// The unattended-access password: a salted, stretched hash kept in unattended.bin in the data
// folder and in a process-wide store under one lock, and the proof by which a viewer shows that
// it knows the password, bound to one channel's session hash.
//
// unattended.bin, 56 bytes: "PXP2", salt (16), iterations (u32 LE), PBKDF2-SHA-256 hash (32).
// The older 52-byte form "PXPW", salt (16), SHA-256(salt || password) (32) is still read.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "base/bytes.h"
#include "crypto/crypto.h"

namespace px {

constexpr const char* kPasswordFileName = "unattended.bin";
constexpr size_t kPasswordSaltSize = 16;
constexpr uint32_t kPasswordIterations = 100000;      // written by setAccessPassword
constexpr uint32_t kMaxPasswordIterations = 2000000;  // read or computed at most
constexpr uint32_t kLegacyPasswordIterations = 0;     // marks the SHA-256 hash of "PXPW"

using PasswordSalt = std::array<uint8_t, kPasswordSaltSize>;

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

// PBKDF2-SHA-256 with `iterations`, or SHA-256(salt || password) when iterations is 0. False
// above kMaxPasswordIterations (an offer no viewer computes) or on a provider failure.
bool hashAccessPassword(ByteView password, const PasswordSalt& salt, uint32_t iterations,
                        Digest32& hash);

// HMAC-SHA-256 keyed by the password hash over "parvolex-pw-v3" || session hash.
bool accessPasswordProof(const Digest32& passwordHash, const SessionHash& session, Digest32& proof);

// The host's check of a viewer's proof against the stored hash, comparing all 32 bytes in
// constant time. False on a provider failure.
bool accessProofMatches(const Digest32& passwordHash, const SessionHash& session,
                        const Digest32& receivedProof);

// The file's bytes and their reading, apart from the file system and the lock.
Bytes encodePasswordFile(const PasswordRecord& record);
PasswordRecord decodePasswordFile(ByteView file);

}  // namespace px
