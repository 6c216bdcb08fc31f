// The text known-hosts table: the first line of the input is the name looked up, the rest the
// file. A key that is found must read back from the line that was written for it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/known_hosts_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\n');
  if (split == std::string_view::npos) return 0;
  const std::string_view name = input.substr(0, split), contents = input.substr(split + 1);
  px::PublicKey64 key{};
  px::findKnownHostKey(contents, name, key);

  if (!px::isStorableHostName(name)) return 0;
  px::PublicKey64 written{}, read{};
  for (size_t i = 0; i < written.size() && i < contents.size(); ++i)
    written[i] = uint8_t(contents[i]);
  const std::string appended = px::knownHostLine(name, written);
  if (px::findKnownHostKey(appended, name, read) != px::KnownHostLookup::kFound || read != written)
    __builtin_trap();
  return 0;
}
