#include "relayd/source_counts.h"

namespace px::relayd {

bool SourceCounts::tryEnter(const std::string& source, SourceSlot slot) {
  if (slot == SourceSlot::kNone) return true;
  Held& held = held_[source];
  size_t& count = slot == SourceSlot::kOpening ? held.opening : held.hosts;
  const size_t cap = slot == SourceSlot::kOpening ? openingCap_ : hostCap_;
  if (cap != 0 && count >= cap) {
    if (held.opening == 0 && held.hosts == 0) held_.erase(source);
    return false;
  }
  ++count;
  if (slot == SourceSlot::kHost) ++hosts_;
  return true;
}

void SourceCounts::leave(const std::string& source, SourceSlot slot) {
  if (slot == SourceSlot::kNone) return;
  auto it = held_.find(source);
  if (it == held_.end()) return;
  size_t& count = slot == SourceSlot::kOpening ? it->second.opening : it->second.hosts;
  if (count == 0) return;
  --count;
  if (slot == SourceSlot::kHost) --hosts_;
  if (it->second.opening == 0 && it->second.hosts == 0) held_.erase(it);
}

}  // namespace px::relayd
