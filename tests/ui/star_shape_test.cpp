// The card's star: centred in its box whatever the box's shape, mirror-symmetric, pointing up.
#include "ui/star_shape.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace px {
namespace {

TEST(StarShape, FitsCentredAndSymmetricInAnyBox) {
  const RectF boxes[] = {{0, 0, 24, 24}, {100, 50, 140, 70}, {10, 10, 20, 60}};
  for (const RectF& box : boxes) {
    const auto points = starOutline(box);
    float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
    for (const PointF& p : points) {
      left = std::min(left, p.x), right = std::max(right, p.x);
      top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    const float cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    const float side = std::min(box.width(), box.height());
    EXPECT_GE(left, box.left);
    EXPECT_LE(right, box.right);
    EXPECT_NEAR((left + right) / 2, cx, 1e-3f);
    EXPECT_NEAR((top + bottom) / 2, cy, 1e-3f);
    EXPECT_NEAR(points[0].x, cx, 1e-3f);                 // the first point is the top one
    EXPECT_NEAR(points[0].y, top, 1e-3f);
    EXPECT_NEAR(right - left, 0.8f * side * 0.9511f, 1e-2f);  // outer points at 0.4 of the side
    for (int i = 1; i < 10; ++i) {
      EXPECT_NEAR(points[i].x - cx, cx - points[10 - i].x, 1e-3f) << i;
      EXPECT_NEAR(points[i].y, points[10 - i].y, 1e-3f) << i;
    }
  }
}

}  // namespace
}  // namespace px
