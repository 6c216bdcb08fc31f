#include "relay/known_host_link.h"

#include "store/known_hosts.h"

namespace px {

bool relayCheckKnownHost(const std::string& name, const PublicKey64& key) { return checkKnownHost(name, key); }

}  // namespace px
