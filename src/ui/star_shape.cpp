#include "ui/star_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace px {

std::array<PointF, 10> starOutline(const RectF& box) {
  const float cx = (box.left + box.right) / 2;
  const float cy = (box.top + box.bottom) / 2;
  const float outer = 0.4f * std::min(box.width(), box.height());
  // A regular pentagram's inner corners sit at this fraction of the outer radius.
  const float inner = outer * 0.381966f;
  // Centred on the circle's centre a star looks low; lift it by the gap its lowest points leave.
  const float lift = outer * (1 - float(std::cos(std::numbers::pi / 5))) / 2;
  std::array<PointF, 10> points;
  for (int i = 0; i < 10; ++i) {
    const double angle = i * std::numbers::pi / 5;
    const float r = i % 2 == 0 ? outer : inner;
    points[i] = {cx + r * float(std::sin(angle)), cy + lift - r * float(std::cos(angle))};
  }
  return points;
}

}  // namespace px
