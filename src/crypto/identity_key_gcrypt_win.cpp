// The device identity in the Wine test build: Wine's key storage provider keeps no ECDSA key,
// so the identity lives in the key file "identity.key" in the data folder, as on Linux.
#include "crypto/identity_key.h"
#include "crypto/identity_key_file.h"

namespace px {

bool identityPublicKey(PublicKey64& out) { return fileIdentityPublicKey(out); }

bool identitySign(const Digest32& digest, Signature64& out) { return fileIdentitySign(digest, out); }

}  // namespace px
