// Readable geometry in test failure messages.
#pragma once

#include <ostream>

#include "ui/geometry.h"

namespace px {

inline std::ostream& operator<<(std::ostream& os, const RectF& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
inline std::ostream& operator<<(std::ostream& os, const RectPx& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
inline std::ostream& operator<<(std::ostream& os, const PointF& p) {
  return os << "(" << p.x << ", " << p.y << ")";
}

}  // namespace px
