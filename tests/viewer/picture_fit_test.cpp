#include "viewer/picture_fit.h"

#include <gtest/gtest.h>

namespace px {
namespace {

struct FitCase {
  const char* what;
  int viewWidth, viewHeight, imageWidth, imageHeight;
  PictureFit fit;
  RectPx covered;
};

TEST(PictureFit, KeepsAspectCentredWithBars) {
  const FitCase cases[] = {
      {"same size", 1920, 1080, 1920, 1080, {0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
      {"wider view: bars left and right", 1000, 540, 1920, 1080, {20, 0, 960, 540},
       {20, 0, 980, 540}},
      {"narrower view: bars above and below", 60, 60, 8, 4, {0, 15, 60, 30}, {0, 15, 60, 45}},
      {"portrait image", 90, 40, 4, 8, {35, 0, 20, 40}, {35, 0, 55, 40}},
      {"fractional edges", 61, 47, 8, 4, {0, 8.25f, 61, 30.5f}, {0, 8, 61, 39}},
      {"zero view height counts as 1", 100, 0, 4, 2, {49, 0, 2, 1}, {49, 0, 51, 1}},
      {"empty image counts as 1x1", 10, 10, 0, 0, {0, 0, 10, 10}, {0, 0, 10, 10}},
  };
  for (const FitCase& c : cases) {
    const PictureFit fit = fitPicture(c.viewWidth, c.viewHeight, c.imageWidth, c.imageHeight);
    EXPECT_EQ(fit, c.fit) << c.what;
    EXPECT_EQ(coveredPixels(fit), c.covered) << c.what;
  }
}

TEST(PictureFit, CoveredPixelsFollowTheirCentres) {
  // A pixel belongs to the picture when its centre lies in [left, right).
  EXPECT_EQ(coveredPixels({0.5f, 0.5f, 10, 10}), (RectPx{0, 0, 10, 10}));
  EXPECT_EQ(coveredPixels({0.6f, 0.4f, 10, 10}), (RectPx{1, 0, 11, 10}));
  EXPECT_EQ(coveredPixels({2, 3, 0.4f, 0}), (RectPx{2, 3, 2, 3}));
}

// Interpolates the triangle's uv at a clip-space point with barycentric weights; false when the
// point lies outside the triangle.
bool uvAt(float x, float y, float& u, float& v) {
  const TriangleVertex a = viewportTriangleVertex(0), b = viewportTriangleVertex(1),
                       c = viewportTriangleVertex(2);
  const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  const float wb = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / area;
  const float wc = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / area;
  const float wa = 1 - wb - wc;
  if (wa < 0 || wb < 0 || wc < 0) return false;
  u = wa * a.u + wb * b.u + wc * c.u;
  v = wa * a.v + wb * b.v + wc * c.v;
  return true;
}

TEST(PictureFit, TriangleCoversTheViewportTopLeftToBottomRight) {
  struct Corner {
    float x, y, u, v;
  };
  // Clip space has y up; the texture's v runs down the image.
  const Corner corners[] = {{-1, 1, 0, 0}, {1, 1, 1, 0}, {-1, -1, 0, 1}, {1, -1, 1, 1}};
  for (const Corner& k : corners) {
    float u = -1, v = -1;
    ASSERT_TRUE(uvAt(k.x, k.y, u, v)) << k.x << "," << k.y;
    EXPECT_FLOAT_EQ(u, k.u) << k.x << "," << k.y;
    EXPECT_FLOAT_EQ(v, k.v) << k.x << "," << k.y;
  }
}

}  // namespace
}  // namespace px
