// recent.txt and the favourites files, through the same readers the loaders use.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "store/connection_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream recent(text), favourites(text);
  volatile size_t sink = 0;
  for (const px::RecentEntry& e : px::readRecentLines(recent)) {
    if (e.id.empty() || e.id.size() > px::kMaxListLine || e.name.size() > px::kMaxListLine)
      __builtin_trap();
    sink = sink + e.id.size() + e.name.size() + size_t(e.time);
  }
  for (const px::FavouriteEntry& e : px::readFavouriteLines(favourites)) {
    if (e.id.size() != px::kFavouriteIdLength) __builtin_trap();
    sink = sink + e.name.size();
  }
  (void)sink;
  return 0;
}
