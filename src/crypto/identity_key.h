// The device identity: one long-lived ECDSA P-256 key per user and computer. Opened (or created)
// once per process on first use; the outcome of that first attempt is kept for the process.
//   Windows: persisted key "Parvolex-Identity" in the Microsoft Software Key Storage Provider.
//   Linux:   a 0600 key file in the data folder, written atomically on first use.
//   The Wine test build (PX_WINE_CRYPTO): the same key file as on Linux, since Wine's key
//   storage provider keeps no ECDSA key.
// Any thread may call these after (or during) the one-time open.
#pragma once

#include "crypto/crypto.h"

namespace px {

bool identityPublicKey(PublicKey64& out);
// Signs a SHA-256 digest as it is.
bool identitySign(const Digest32& digest, Signature64& out);

}  // namespace px
