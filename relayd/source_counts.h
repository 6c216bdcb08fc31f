// How many connections each source address holds right now, in two classes with a cap each:
// connections still in their opening exchange, and registered hosts. One address may be a whole
// company behind NAT, so the caps are about what one address can hold, not about rates.
//
// Network thread only (not locked).
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace px::relayd {

enum class SourceSlot { kNone, kOpening, kHost };

class SourceCounts {
 public:
  // A cap of 0 means no cap for that class.
  SourceCounts(size_t openingCap, size_t hostCap) : openingCap_(openingCap), hostCap_(hostCap) {}

  // Counts one more connection of `slot` for `source`; false (nothing counted) at the cap.
  bool tryEnter(const std::string& source, SourceSlot slot);
  void leave(const std::string& source, SourceSlot slot);
  size_t hosts() const { return hosts_; }

 private:
  struct Held {
    size_t opening = 0;
    size_t hosts = 0;
  };
  size_t openingCap_, hostCap_;
  size_t hosts_ = 0;
  std::unordered_map<std::string, Held> held_;
};

}  // namespace px::relayd
