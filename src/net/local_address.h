// This computer's IPv4 address as other machines on its network would see it; only logged at
// start-up, to help whoever reads the log match it to a machine.
#pragma once

#include <string>
#include <vector>

namespace px {

inline constexpr const char* kLoopbackAddress = "127.0.0.1";

// The first address that is not the loopback one, else "127.0.0.1".
std::string pickLocalAddress(const std::vector<std::string>& candidates);

// The IPv4 addresses of this computer's host name, in the resolver's order; empty when the name
// or its lookup fails.
std::vector<std::string> hostNameAddresses();

inline std::string localIpv4Address() { return pickLocalAddress(hostNameAddresses()); }

}  // namespace px
