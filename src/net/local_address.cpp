#include "net/local_address.h"

namespace px {

std::string pickLocalAddress(const std::vector<std::string>& candidates) {
  for (const std::string& address : candidates) {
    if (address != kLoopbackAddress) return address;
  }
  return kLoopbackAddress;
}

}  // namespace px
