// The text form of the known-hosts table where there is no registry: one
// "<name>\t<128 hex digits>\n" line per name; the last tab ends the name.
#pragma once

#include <string>
#include <string_view>

#include "crypto/crypto.h"

namespace px {

enum class KnownHostLookup {
  kMissing,  // no line for the name
  kFound,    // `key` holds the stored key
  kDamaged,  // a line for the name whose key is not 64 bytes of hex
};

// The first line for `name` wins, as one registry value per name would.
KnownHostLookup findKnownHostKey(std::string_view contents, std::string_view name,
                                 PublicKey64& key);

// False for names a line cannot hold (line breaks, NUL).
bool isStorableHostName(std::string_view name);

std::string knownHostLine(std::string_view name, const PublicKey64& key);

}  // namespace px
