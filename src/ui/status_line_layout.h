// Where the status line is drawn at the bottom of the main window (DIPs, client coordinates).
#pragma once

#include "ui/geometry.h"

namespace px {

struct StatusLineLayout {
  PointF dotCentre;
  float dotRadius = 0;
  RectF text;  // drawn in `smallFormat`, secondary text colour
};

StatusLineLayout statusLineLayout(SizeF client);

}  // namespace px
