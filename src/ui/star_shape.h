// The card's star as a shape: fonts without the star glyphs would draw an empty box instead.
#pragma once

#include <array>

#include "ui/geometry.h"

namespace px {

// The ten corners of a five-pointed star centred in `box`, first point at the top, clockwise,
// alternating outer and inner corners. It fills 80% of the box's smaller side.
std::array<PointF, 10> starOutline(const RectF& box);

}  // namespace px
