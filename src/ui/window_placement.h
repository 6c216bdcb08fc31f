// Where a new window goes, in screen pixels.
#pragma once

#include "ui/geometry.h"

namespace px {

// `size` centred in `area` (integer halves round toward the area's left and top).
RectPx centredIn(SizePx size, const RectPx& area);

}  // namespace px
