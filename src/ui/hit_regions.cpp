#include "ui/hit_regions.h"

#include <utility>

namespace px {

void HitRegionList::add(HitKind kind, const RectF& rect, std::string key) {
  regions_.push_back({kind, rect, std::move(key)});
}

const HitRegion* HitRegionList::at(PointF point) const {
  for (const HitRegion& region : regions_) {
    if (region.rect.contains(point)) return &region;
  }
  return nullptr;
}

const HitRegion* HitRegionList::atExcept(PointF point, HitKind skipA, HitKind skipB) const {
  for (const HitRegion& region : regions_) {
    if (region.kind == skipA || region.kind == skipB) continue;
    if (region.rect.contains(point)) return &region;
  }
  return nullptr;
}

const HitRegion* HitRegionList::atKind(PointF point, HitKind kind) const {
  for (const HitRegion& region : regions_) {
    if (region.kind == kind && region.rect.contains(point)) return &region;
  }
  return nullptr;
}

}  // namespace px
