// The device identity in the Wine test build: Wine's key storage provider keeps no ECDSA key,
// so the identity lives in the key file "identity.key" in the data folder, as on Linux.
#include "crypto/identity_key.h"
#include "crypto/identity_key_file.h"

namespace px {

bool identityPublicKey(PublicKey64& out) {
  const P256KeyPair* key = dataFolderIdentityKey();
  if (!key) return false;
  out = key->publicKey();
  return true;
}

bool identitySign(const Digest32& digest, Signature64& out) {
  const P256KeyPair* key = dataFolderIdentityKey();
  return key && key->sign(digest, out);
}

}  // namespace px
