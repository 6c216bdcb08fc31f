// The renderer on a real device, with a swap chain and with the window copy (under Wine: llvmpipe
// on Xvfb), checked through the target read back before each present: where the picture lands, the bars' colour, and
// which frames upload the image.
#include "viewer/renderer_win.h"

#include <d3dcompiler.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "ui/ui_handles_win.h"
#include "viewer/picture_fit.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

const wchar_t kClassName[] = L"PxRendererTest";

// Why this machine cannot run the renderer at all (empty when it can): no device or no shader
// compiler. Anything else that fails is the renderer's fault.
std::string direct3dMissing() {
  ComPtr<ID3D11Device> device;
  HRESULT hr = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                 D3D11_SDK_VERSION, &device, nullptr, nullptr);
  std::ostringstream reason;
  if (FAILED(hr)) {
    reason << "no hardware Direct3D 11 device (HRESULT 0x" << std::hex << uint32_t(hr) << ")";
    return reason.str();
  }
  const char source[] = "float4 PS() : SV_TARGET { return 1; }";
  ComPtr<ID3DBlob> code;
  hr = D3DCompile(source, sizeof source - 1, nullptr, nullptr, nullptr, "PS", "ps_5_0", 0, 0,
                  &code, nullptr);
  if (FAILED(hr)) {
    reason << "no ps_5_0 shader compiler (HRESULT 0x" << std::hex << uint32_t(hr) << ")";
    return reason.str();
  }
  return {};
}

// A hidden popup window: no frame, so its client area is the size asked for.
ScopedWindow makeView(int width, int height) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return ScopedWindow(nullptr);
  return ScopedWindow(CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, width, height, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr));
}

// Quadrant colours, top-left, top-right, bottom-left, bottom-right. None is near the bars'
// colour, nor is any blend of them.
struct Quadrants {
  Rgb colour[4];
};
constexpr Quadrants kFirst{{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}};
constexpr Quadrants kSecond{{{255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {128, 128, 255}}};

void paint(ScreenImage& image, int width, int height, const Quadrants& q) {
  std::lock_guard lock(image.lock);
  ASSERT_TRUE(image.resetLocked(width, height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = q.colour[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
      uint8_t* p = &image.pixels[(size_t(y) * width + x) * 4];
      p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 255;
    }
  }
}

Rgb pixelAt(const BackBufferImage& frame, int x, int y) {
  const uint8_t* p = &frame.pixels[(size_t(y) * frame.width + x) * 4];
  return {p[2], p[1], p[0]};
}

bool closeTo(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

std::string describe(Rgb c) {
  return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

enum class Side { kInside, kOutside, kOnEdge };

// Where a pixel centre lies along one axis of the fit. Within half a pixel of a fractional edge
// the driver's rounding decides (Wine's leaves a row bare whose centre the fit covers), so such
// pixels are not judged.
Side sideOf(float centre, float low, float high) {
  if (std::fabs(centre - low) < 0.5f || std::fabs(centre - high) < 0.5f) return Side::kOnEdge;
  return centre >= low && centre < high ? Side::kInside : Side::kOutside;
}

struct PixelSpan {
  int first = 0, last = -1;
};

// The first and last pixel along an axis that the fit surely covers: with whole-pixel edges the
// covered pixels themselves, with a fractional edge the pixel that no rounding can take away.
PixelSpan insideSpan(int size, float low, float high) {
  PixelSpan span{size, -1};
  for (int k = 0; k < size; ++k) {
    if (sideOf(k + 0.5f, low, high) != Side::kInside) continue;
    span.first = std::min(span.first, k);
    span.last = std::max(span.last, k);
  }
  return span;
}

// Every pixel outside the fit has the bars' colour and none inside has it; the picture's corner
// pixels show the image's corner colours, upright.
void expectPicture(const BackBufferImage& frame, const PictureFit& fit, const Quadrants& q,
                   const std::string& what) {
  int wrongBars = 0, wrongPicture = 0;
  for (int y = 0; y < frame.height; ++y) {
    const Side sy = sideOf(y + 0.5f, fit.top, fit.top + fit.height);
    for (int x = 0; x < frame.width; ++x) {
      const Side sx = sideOf(x + 0.5f, fit.left, fit.left + fit.width);
      const bool bar = closeTo(pixelAt(frame, x, y), kViewBarColour);
      if ((sx == Side::kOutside || sy == Side::kOutside) && !bar) ++wrongBars;
      if (sx == Side::kInside && sy == Side::kInside && bar) ++wrongPicture;
    }
  }
  EXPECT_EQ(wrongBars, 0) << what << ": bar pixels without the bars' colour";
  EXPECT_EQ(wrongPicture, 0) << what << ": picture pixels with the bars' colour";
  const PixelSpan xs = insideSpan(frame.width, fit.left, fit.left + fit.width);
  const PixelSpan ys = insideSpan(frame.height, fit.top, fit.top + fit.height);
  const PointPx corners[4] = {{xs.first, ys.first}, {xs.last, ys.first}, {xs.first, ys.last},
                              {xs.last, ys.last}};
  for (int i = 0; i < 4; ++i) {
    const Rgb got = pixelAt(frame, corners[i].x, corners[i].y);
    EXPECT_TRUE(closeTo(got, q.colour[i]))
        << what << ": corner " << i << " at " << corners[i].x << "," << corners[i].y << " is "
        << describe(got) << ", not " << describe(q.colour[i]);
  }
}

const char* nameOf(Presentation p) {
  return p == Presentation::kSwapChain ? "SwapChain" : "WindowCopy";
}

// Each case runs with both presentations: what is drawn must not depend on how it is shown.
class RendererTest : public ::testing::TestWithParam<Presentation> {
 protected:
  void SetUp() override {
    const std::string missing = direct3dMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
  }

  // Creates the view and the renderer on it; the caller ASSERTs on the result.
  bool start(int viewWidth, int viewHeight, int imageWidth, int imageHeight) {
    view_ = makeView(viewWidth, viewHeight);
    if (!view_.get()) {
      ADD_FAILURE() << "the view window was not made (error " << GetLastError() << ")";
      return false;
    }
    renderer_ = std::make_unique<Renderer>();
    return renderer_->init(view_.get(), imageWidth, imageHeight, GetParam());
  }

  // One frame as drawFrame makes it, read back before it is presented. The one-pixel read must
  // agree with the whole read at the corners and the centre, and refuse a pixel outside.
  BackBufferImage frame(bool changed) {
    BackBufferImage back;
    renderer_->uploadIfNeeded(image_, changed);
    EXPECT_TRUE(renderer_->render());
    EXPECT_TRUE(renderer_->readBack(back));
    expectPixelsAgree(back);
    renderer_->present();
    return back;
  }

  void expectPixelsAgree(const BackBufferImage& back) {
    const int right = back.width - 1, bottom = back.height - 1;
    const int points[][2] = {{0, 0}, {right, 0}, {0, bottom}, {right, bottom},
                             {back.width / 2, back.height / 2}};
    for (const auto& [x, y] : points) {
      uint32_t pixel = 0, expected = 0;
      std::memcpy(&expected, back.pixels.data() + (size_t(y) * size_t(back.width) + size_t(x)) * 4,
                  sizeof expected);
      EXPECT_TRUE(renderer_->readPixel(x, y, pixel)) << x << "," << y;
      EXPECT_EQ(pixel, expected) << "at " << x << "," << y;
    }
    uint32_t outside = 0;
    EXPECT_FALSE(renderer_->readPixel(back.width, 0, outside));
    EXPECT_FALSE(renderer_->readPixel(0, -1, outside));
  }

  ScreenImage image_;
  ScopedWindow view_;
  std::unique_ptr<Renderer> renderer_;  // released before the window goes
  void TearDown() override { renderer_.reset(); }
};

struct FitCase {
  const char* what;
  int viewWidth, viewHeight, imageWidth, imageHeight;
};

TEST_P(RendererTest, FitsThePictureWithBarsOfTheFieldColour) {
  const FitCase cases[] = {
      {"narrower view: bars above and below", 60, 60, 8, 4},
      {"wider view: bars left and right", 90, 40, 4, 8},
      {"fractional fit", 61, 47, 8, 4},
      {"same aspect: no bars", 64, 32, 8, 4},
  };
  for (const FitCase& c : cases) {
    ASSERT_TRUE(start(c.viewWidth, c.viewHeight, c.imageWidth, c.imageHeight)) << c.what;
    paint(image_, c.imageWidth, c.imageHeight, kFirst);
    const BackBufferImage back = frame(true);
    ASSERT_EQ(back.width, c.viewWidth) << c.what;
    ASSERT_EQ(back.height, c.viewHeight) << c.what;
    expectPicture(back, fitPicture(c.viewWidth, c.viewHeight, c.imageWidth, c.imageHeight), kFirst,
                  c.what);
    renderer_.reset();
  }
}

TEST_P(RendererTest, UploadsOnlyWhenTheImageWasMarkedChanged) {
  ASSERT_TRUE(start(40, 40, 4, 4));
  const PictureFit fit = fitPicture(40, 40, 4, 4);
  paint(image_, 4, 4, kFirst);
  // The first frame fills the fresh texture even without a mark.
  expectPicture(frame(false), fit, kFirst, "first frame, unmarked");
  paint(image_, 4, 4, kSecond);
  expectPicture(frame(false), fit, kFirst, "second frame, unmarked: the old picture stays");
  expectPicture(frame(true), fit, kSecond, "third frame, marked");
}

TEST_P(RendererTest, FollowsTheViewSizeAndTheScreenSize) {
  ASSERT_TRUE(start(60, 60, 8, 4));
  paint(image_, 8, 4, kFirst);
  expectPicture(frame(true), fitPicture(60, 60, 8, 4), kFirst, "before the resize");

  SetWindowPos(view_.get(), nullptr, 0, 0, 120, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  renderer_->resize(120, 40);
  renderer_->resize(120, 0);  // a collapsed view is ignored
  BackBufferImage back = frame(false);
  ASSERT_EQ(back.width, 120);
  ASSERT_EQ(back.height, 40);
  expectPicture(back, fitPicture(120, 40, 8, 4), kFirst, "after the resize");

  // A monitor switch: the marked frame of the new size replaces the texture.
  paint(image_, 4, 8, kSecond);
  expectPicture(frame(true), fitPicture(120, 40, 4, 8), kSecond, "after the screen size change");
  EXPECT_EQ(renderer_->texture().width, 4);
  EXPECT_EQ(renderer_->texture().height, 8);

  renderer_->release();
  EXPECT_FALSE(renderer_->drawFrame(image_, true));
}

INSTANTIATE_TEST_SUITE_P(Presentations, RendererTest,
                         ::testing::Values(Presentation::kSwapChain, Presentation::kWindowCopy),
                         [](const auto& info) { return nameOf(info.param); });

// The copy reaches the window itself: GDI reads the picture's corners and the bars back from
// the shown window.
TEST(RendererWindowCopyTest, CopiesTheFrameIntoTheWindow) {
  const std::string missing = direct3dMissing();
  if (!missing.empty()) GTEST_SKIP() << missing;
  ScopedWindow view = makeView(80, 40);
  ASSERT_TRUE(view.get());
  ShowWindow(view.get(), SW_SHOWNOACTIVATE);
  ScreenImage image;
  paint(image, 4, 4, kFirst);
  Renderer renderer;
  ASSERT_TRUE(renderer.init(view.get(), 4, 4, Presentation::kWindowCopy));
  ASSERT_TRUE(renderer.drawFrame(image, true));

  HDC dc = GetDC(view.get());
  const auto at = [&](int x, int y) {
    const COLORREF c = GetPixel(dc, x, y);
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
  };
  // The 4×4 picture fits 40×40 in the middle of 80×40: bars left and right.
  const struct {
    int x, y;
    Rgb want;
  } points[] = {{5, 20, kViewBarColour}, {74, 20, kViewBarColour}, {21, 1, kFirst.colour[0]},
                {58, 1, kFirst.colour[1]}, {21, 38, kFirst.colour[2]}, {58, 38, kFirst.colour[3]}};
  for (const auto& p : points) {
    EXPECT_TRUE(closeTo(at(p.x, p.y), p.want))
        << "at " << p.x << "," << p.y << ": " << describe(at(p.x, p.y)) << ", not "
        << describe(p.want);
  }
  ReleaseDC(view.get(), dc);
  renderer.release();
}

}  // namespace
}  // namespace px
