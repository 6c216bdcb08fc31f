#include "store/known_hosts_file.h"

#include <algorithm>

namespace px {

KnownHostLookup findKnownHostKey(std::string_view contents, std::string_view name,
                                 PublicKey64& key) {
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string_view::npos) end = contents.size();
    const std::string_view line = contents.substr(start, end - start);
    start = end + 1;
    const size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos || line.substr(0, tab) != name) continue;
    Bytes raw;
    if (!fromHex(line.substr(tab + 1), raw) || raw.size() != key.size())
      return KnownHostLookup::kDamaged;
    std::copy(raw.begin(), raw.end(), key.begin());
    return KnownHostLookup::kFound;
  }
  return KnownHostLookup::kMissing;
}

bool isStorableHostName(std::string_view name) {
  return name.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

std::string knownHostLine(std::string_view name, const PublicKey64& key) {
  return std::string(name) + "\t" + toHex(key) + "\n";
}

}  // namespace px
