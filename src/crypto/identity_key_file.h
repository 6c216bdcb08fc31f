// The identity key kept in a file of its own, for platforms without a key store. The file holds
// "PXID", a format byte (1), the 32-byte big-endian private scalar and the 64-byte public key;
// it is created with owner-only access and written atomically, so a crash never leaves half a key.
#pragma once

#include <filesystem>

#include "crypto/crypto.h"

namespace px {

enum class IdentityFileResult {
  kLoaded,      // the existing key
  kCreated,     // no file was there; a new key was made and saved
  kCorrupt,     // the file exists but does not hold a valid key; left untouched
  kUnavailable  // the file could not be read, or a new key could not be saved
};

// Loads the key in `file`, or creates it when the file does not exist. A file that exists but
// is damaged is never replaced: that would silently give the computer a new identity. Failures
// are logged with the "[HOST]" tag. Serialised against other processes by a lock on the folder.
IdentityFileResult loadOrCreateIdentityKeyFile(const std::filesystem::path& file,
                                               P256KeyPair& key);

// The device identity where it lives in a file: "identity.key" in the data folder, loaded or
// created on the first call. The outcome, good or bad (null), stands for the rest of the process.
const P256KeyPair* dataFolderIdentityKey();

// identityPublicKey and identitySign for the systems whose identity is that file (Linux, the Wine
// test build).
bool fileIdentityPublicKey(PublicKey64& out);
bool fileIdentitySign(const Digest32& digest, Signature64& out);

}  // namespace px
