#include "net/local_address.h"

#include <memory>

#include "net/socket_headers.h"
#include "net/tcp_socket.h"

namespace px {

std::string pickLocalAddress(const std::vector<std::string>& candidates) {
  for (const std::string& address : candidates) {
    if (address != kLoopbackAddress) return address;
  }
  return kLoopbackAddress;
}

std::vector<std::string> hostNameAddresses() {
  if (!socketsInitialise()) return {};
  char name[256] = {};
  if (::gethostname(name, sizeof name) != 0) return {};
  name[sizeof name - 1] = '\0';
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &found) != 0) return {};
  std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
  std::vector<std::string> out;
  for (const addrinfo* a = found; a; a = a->ai_next) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text)) out.emplace_back(text);
  }
  return out;
}

}  // namespace px
