// The relay's own P-256 key: created on first use as "relay.key" (the 32-byte private scalar,
// mode 0600) in the data folder and reused on every later start.
#pragma once

#include <filesystem>

#include "crypto/crypto.h"

namespace px::relayd {

// Creates the data folder (0700) when missing. False when the file exists but is not a valid key,
// or when a new key cannot be made or written.
// `announce` logs the creation of a new key (off for commands whose output is the key itself).
bool loadOrCreateRelayKey(const std::filesystem::path& dataDir, P256KeyPair& out, bool announce = true);

}  // namespace px::relayd
