#include "protocol/access_password.h"

#include <string_view>

#include "base/scoped_wipe.h"

namespace px {
namespace {

constexpr std::string_view kProofLabel = "parvolex-pw-v3";

}  // namespace

bool hashAccessPassword(ByteView password, const PasswordSalt& salt, uint32_t iterations,
                        Digest32& hash) {
  // The count comes from the remote host: never let it buy more work than the limit.
  if (iterations > kMaxPasswordIterations) return false;
  if (iterations != kLegacyPasswordIterations)
    return pbkdf2Sha256(password, salt, iterations, hash);
  hash = sha256({salt, password});
  return true;
}

bool accessPasswordProof(const Digest32& passwordHash, const SessionHash& session,
                         Digest32& proof) {
  return hmacSha256(passwordHash, {asBytes(kProofLabel), session}, proof);
}

bool accessProofMatches(const Digest32& passwordHash, const SessionHash& session,
                        const Digest32& receivedProof) {
  Digest32 expected;
  ScopedWipe wipeExpected(expected);
  return accessPasswordProof(passwordHash, session, expected) &&
         constantTimeEqual(expected, receivedProof);
}

}  // namespace px
