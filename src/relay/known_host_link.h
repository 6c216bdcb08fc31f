// The relay client's one door to the known-hosts store, so the store can be swapped or faked.
#pragma once

#include <string>

#include "crypto/crypto.h"

namespace px {

// True when `key` is accepted for `name` (stored on first use).
bool relayCheckKnownHost(const std::string& name, const PublicKey64& key);

}  // namespace px
