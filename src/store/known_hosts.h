// Trust on first use for peer keys: per name, the 64-byte public key first seen. Names in use:
// "relay:" + nine-digit ID (host identity keys) and "relay-server:" + host + ":" + port (relay
// keys). Names are compared byte for byte. Entries are never removed or changed by the program.
//
// Windows: HKCU\Software\Parvolex\KnownHosts, one REG_BINARY value of 64 bytes per name.
// Elsewhere: known_hosts.txt in the data folder, one "<name>\t<128 hex digits>\n" line per name.
#pragma once

#include <string_view>

#include "crypto/crypto.h"

namespace px {

constexpr const char* kKnownHostsFileName = "known_hosts.txt";

// True when `key` is the one remembered for `name`, or when nothing was remembered and `key` has
// now been stored. False on a different key, a damaged entry (wrong type or size: every later
// check for that name fails until it is removed by hand), or a store that cannot be read or
// written. Any thread.
bool checkKnownHost(std::string_view name, const PublicKey64& key);

}  // namespace px
