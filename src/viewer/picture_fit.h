// Where the remote picture goes in the view: scaled to fit with its aspect ratio kept and centred,
// the rest left to the bars. The renderer's viewport and the mouse mapping both use this fit, so a
// pointer over a picture pixel lands on that pixel.
#pragma once

#include "ui/geometry.h"

namespace px {

// In view pixels, single precision as Direct3D takes a viewport.
struct PictureFit {
  float left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const PictureFit&, const PictureFit&) = default;
};

// Sizes below 1 count as 1, so a collapsed view or an empty image still gives a finite fit.
PictureFit fitPicture(int viewWidth, int viewHeight, int imageWidth, int imageHeight);

// The pixels whose centres the fit covers: what rasterising it fills. Right and bottom exclusive.
RectPx coveredPixels(const PictureFit& fit);

// One vertex of the triangle the vertex shader makes from its index alone: clip-space position
// and texture coordinate. The three cover the whole viewport with uv 0..1 across it.
struct TriangleVertex {
  float x = 0, y = 0, u = 0, v = 0;
};
TriangleVertex viewportTriangleVertex(int index);

}  // namespace px
