// Encoder to decoder over synthetic screens: solid and compressed tiles must come out exactly as
// the encoder's reference, JPEG tiles within a stated error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "host/frame_encoder.h"
#include "support/frame_payload.h"
#include "support/platform_quirks.h"
#include "viewer/frame_decoder.h"

namespace px {
namespace {

// Largest per-channel difference allowed for JPEG tiles at quality 0.92 with 4:4:4 chroma, and
// the mean difference over a JPEG rectangle. Wine's encoder ignores the quality and chroma
// options (its default quality, 4:2:0), so its mean error on noisy pictures is larger.
constexpr int kJpegMaxError = 48;
double jpegMeanError() { return test::runningUnderWine() ? 12.0 : 3.0; }

struct Canvas {
  int width, height;
  Bytes pixels;
  Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * h * 4, 0) {}
  void set(int x, int y, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
    p[0] = b, p[1] = g, p[2] = r, p[3] = 255;
  }
  void rect(int x0, int y0, int w, int h, const std::function<void(int, int)>& paint) {
    for (int y = std::max(0, y0); y < std::min(height, y0 + h); ++y)
      for (int x = std::max(0, x0); x < std::min(width, x0 + w); ++x) paint(x, y);
  }
};

// A desktop: flat background, a photo-like gradient wallpaper band, a window with text-like rows.
void paintDesktop(Canvas& c, int windowX, int windowY) {
  c.rect(0, 0, c.width, c.height, [&](int x, int y) { c.set(x, y, 90, 60, 30); });
  // Photo-like: smooth shapes plus sensor-like noise, which no lossless coder squeezes enough.
  c.rect(0, 0, c.width, 200, [&](int x, int y) {
    const double v = std::sin(x * 0.05) * std::cos(y * 0.07);
    const int noise = int((uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u) >> 27) - 16;
    c.set(x, y, uint8_t(120 + 100 * v + noise), uint8_t(x * 200 / c.width + 20 - noise),
          uint8_t(y + 40 + noise));
  });
  c.rect(windowX, windowY, 300, 180, [&](int x, int y) {
    const int lx = x - windowX, ly = y - windowY;
    if (ly < 20) return c.set(x, y, 200, 120, 40);  // title bar
    const bool ink = (ly % 14) < 9 && ((lx / 6 + ly / 14) % 7) != 0 && ((lx * 7 + ly * 3) % 5) < 2;
    c.set(x, y, ink ? 20 : 250, ink ? 20 : 250, ink ? 20 : 250);
  });
}

// Applies one payload to the viewer's image and checks every tile against the encoder's
// reference (which, at full scale, is the screen).
void applyAndCheck(FrameDecoder& decoder, const Bytes& payload, const ReferenceFrame& reference,
                   Bytes& image, int width, int height) {
  ASSERT_TRUE(decoder.decodeTiledFrame(payload, image.data(), width, height));
  test::ParsedFrame frame;
  ASSERT_TRUE(test::parseFramePayload(payload, frame));
  for (const auto& tile : frame.tiles) {
    int64_t total = 0, worst = 0;
    for (int y = tile.y; y < tile.y + tile.h; ++y) {
      for (int x = tile.x; x < tile.x + tile.w; ++x) {
        const size_t at = (size_t(y) * width + x) * 4;
        for (int ch = 0; ch < 4; ++ch) {
          const int diff = std::abs(int(image[at + ch]) - int(reference.pixels[at + ch]));
          total += diff;
          worst = std::max<int64_t>(worst, diff);
        }
      }
    }
    SCOPED_TRACE(testing::Message() << "tile kind " << int(tile.kind) << " at " << tile.x << ","
                                    << tile.y << " " << tile.w << "x" << tile.h);
    if (tile.kind == 2) {
      EXPECT_LE(worst, kJpegMaxError);
      EXPECT_LE(double(total) / (double(tile.w) * tile.h * 3), jpegMeanError());
    } else {
      EXPECT_EQ(worst, 0);
    }
  }
}

TEST(FrameRoundTripTest, KeyFrameAndAMovingWindow) {
  const int width = 1000, height = 600;
  Canvas screen(width, height);
  FrameEncoder encoder(2);
  FrameDecoder decoder;
  ReferenceFrame reference;
  Bytes payload;
  Bytes image(size_t(width) * height * 4, 0);
  int kinds[3] = {};
  for (int step = 0; step < 4; ++step) {
    SCOPED_TRACE(step);
    const int wx = 100 + step * 37, wy = 250 + step * 11;
    paintDesktop(screen, wx, wy);
    // The dirty list a capture would give: the window's old and new places.
    const DirtyRect dirty[] = {{wx - 37, wy - 11, wx + 300, wy + 180}};
    EncodeInput in;
    in.pixels = screen.pixels.data();
    in.width = width;
    in.height = height;
    in.frameIndex = uint32_t(step);
    if (step > 0) in.dirty = dirty;
    ASSERT_TRUE(encoder.encode(in, reference, payload));
    ASSERT_FALSE(payload.empty());
    applyAndCheck(decoder, payload, reference, image, width, height);
    test::ParsedFrame frame;
    ASSERT_TRUE(test::parseFramePayload(payload, frame));
    for (const auto& t : frame.tiles) ++kinds[t.kind];
  }
  // The screens were built to exercise every kind of tile.
  EXPECT_GT(kinds[0], 0);
  EXPECT_GT(kinds[1], 0);
  EXPECT_GT(kinds[2], 0);
}

TEST(FrameRoundTripTest, HalfScaleFrameFillsTheWholeImage) {
  const int width = 300, height = 300;
  Canvas screen(width, height);
  paintDesktop(screen, 20, 20);
  FrameEncoder encoder;
  FrameDecoder decoder;
  ReferenceFrame reference;
  Bytes payload;
  EncodeInput in;
  in.pixels = screen.pixels.data();
  in.width = width;
  in.height = height;
  in.scale = 50;
  ASSERT_TRUE(encoder.encode(in, reference, payload));
  Bytes image(size_t(width) * height * 4, 0);
  ASSERT_TRUE(decoder.decodeTiledFrame(payload, image.data(), width, height));
  // Every image pixel comes from the half-size reference: check solid background pixels exactly.
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(image[(size_t(y) * width + x) * 4 + 3], 255) << x << "," << y;
    }
  }
  const size_t corner = size_t(height - 1) * width * 4;  // bottom left: background
  EXPECT_EQ(image[corner], 90);
  EXPECT_EQ(image[corner + 1], 60);
  EXPECT_EQ(image[corner + 2], 30);
}

}  // namespace
}  // namespace px
