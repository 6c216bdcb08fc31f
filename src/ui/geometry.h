// Plain geometry for layout: points and rectangles in DIPs (float, as Direct2D takes them) and in
// device pixels (int, as Win32 gives them).
#pragma once

namespace px {

struct PointF {
  float x = 0, y = 0;
  friend bool operator==(const PointF&, const PointF&) = default;
};

struct SizeF {
  float width = 0, height = 0;
  friend bool operator==(const SizeF&, const SizeF&) = default;
};

// Left and top inclusive, right and bottom exclusive, as every hit test here uses them.
struct RectF {
  float left = 0, top = 0, right = 0, bottom = 0;
  float width() const { return right - left; }
  float height() const { return bottom - top; }
  bool contains(PointF p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  friend bool operator==(const RectF&, const RectF&) = default;
};

struct LineF {
  PointF from, to;
  friend bool operator==(const LineF&, const LineF&) = default;
};

struct PointPx {
  int x = 0, y = 0;
  friend bool operator==(const PointPx&, const PointPx&) = default;
};

struct SizePx {
  int width = 0, height = 0;
  friend bool operator==(const SizePx&, const SizePx&) = default;
};

struct RectPx {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const RectPx&, const RectPx&) = default;
};

}  // namespace px
