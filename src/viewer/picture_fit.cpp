#include "viewer/picture_fit.h"

#include <algorithm>
#include <cmath>

namespace px {

PictureFit fitPicture(int viewWidth, int viewHeight, int imageWidth, int imageHeight) {
  const float vw = float(std::max(viewWidth, 1)), vh = float(std::max(viewHeight, 1));
  const float iw = float(std::max(imageWidth, 1)), ih = float(std::max(imageHeight, 1));
  const float s = std::min(vw / iw, vh / ih);
  const float width = iw * s, height = ih * s;
  return {(vw - width) * 0.5f, (vh - height) * 0.5f, width, height};
}

RectPx coveredPixels(const PictureFit& fit) {
  // A pixel is filled when its centre (x + 0.5) lies in [left, right).
  const auto first = [](float edge) { return int(std::ceil(edge - 0.5f)); };
  return {first(fit.left), first(fit.top), first(fit.left + fit.width),
          first(fit.top + fit.height)};
}

TriangleVertex viewportTriangleVertex(int index) {
  // The same arithmetic as the vertex shader's source.
  const float u = float((index * 2) & 2), v = float(index & 2);
  return {u * 2 - 1, 1 - v * 2, u, v};
}

}  // namespace px
