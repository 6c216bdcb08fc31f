// The unattended-access password as both ends compute it: the salted, stretched hash the host
// keeps, and the proof by which a viewer shows that it knows the password, bound to one
// channel's session hash. The salt and iteration count travel in PasswordParams.
#pragma once

#include <array>
#include <cstdint>

#include "base/bytes.h"
#include "crypto/crypto.h"

namespace px {

constexpr size_t kPasswordSaltSize = 16;
constexpr uint32_t kMaxPasswordIterations = 2000000;  // read or computed at most
constexpr uint32_t kLegacyPasswordIterations = 0;     // marks the SHA-256 hash of "PXPW"

using PasswordSalt = std::array<uint8_t, kPasswordSaltSize>;

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

}  // namespace px
