// The device identity on Linux: the key file "identity.key" in the data folder.
#include "base/data_folder.h"
#include "crypto/identity_key.h"
#include "crypto/identity_key_file.h"

namespace px {
namespace {

// Opened on first use; the outcome, good or bad, stands for the rest of the process.
const P256KeyPair* deviceKey() {
  static const std::unique_ptr<P256KeyPair> key = [] {
    auto loaded = std::make_unique<P256KeyPair>();
    const IdentityFileResult result =
        loadOrCreateIdentityKeyFile(dataFolder() / "identity.key", *loaded);
    if (result != IdentityFileResult::kLoaded && result != IdentityFileResult::kCreated)
      loaded.reset();
    return loaded;
  }();
  return key.get();
}

}  // namespace

bool identityPublicKey(PublicKey64& out) {
  const P256KeyPair* key = deviceKey();
  if (!key) return false;
  out = key->publicKey();
  return true;
}

bool identitySign(const Digest32& digest, Signature64& out) {
  const P256KeyPair* key = deviceKey();
  return key && key->sign(digest, out);
}

}  // namespace px
