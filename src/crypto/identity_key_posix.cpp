// The device identity on Linux: the key file "identity.key" in the data folder.
#include "crypto/identity_key.h"
#include "crypto/identity_key_file.h"

namespace px {

bool identityPublicKey(PublicKey64& out) { return fileIdentityPublicKey(out); }

bool identitySign(const Digest32& digest, Signature64& out) { return fileIdentitySign(digest, out); }

}  // namespace px
