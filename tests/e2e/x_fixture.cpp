// px-x-fixture: the X side of the end-to-end test. Puts known content on the display, records
// what the host injects, and checks a viewer's snapshot against the content.
//
//   px-x-fixture show PICTURE.png X Y   full-screen window showing PICTURE from (X,Y) with the
//                                       crosshair pointer; keeps the keyboard focus and prints
//                                       "ready", then one line per typed text ("key TEXT") and
//                                       click ("click X,Y B"); a right click inverts the 48 x 48
//                                       square around its point
//   px-x-fixture runs SHOT.png Y #RRGGBB
//                                       prints "X0 X1" for each run of at least 8 pixels of that
//                                       colour along row Y (buttons found by their fill)
//   px-x-fixture cursor                 prints the pointer's shape now: "cursor W H XHOT YHOT
//                                       OPAQUE" (OPAQUE: pixels with alpha above half)
//   px-x-fixture compare-fit VIEW.png PICTURE.png X Y W H [--skip X,Y,W,H ...] [--mean-error E]
//                                       checks a viewer's view against the W x H screen that
//                                       shows PICTURE from (X,Y), scaled to fit with its aspect
//                                       kept, and the bars around it (e2e/fit_compare.h); skips
//                                       are screen rectangles (windows over the picture)
//   px-x-fixture split-monitors         splits the screen into a left and a right monitor
//   px-x-fixture compare SNAP.png PICTURE.png X Y [--skip X,Y,W,H ...] [--mean-error E]
//                                       checks SNAP against PICTURE from (X,Y), tile by tile;
//                                       tiles touching a skipped rectangle (a window known to
//                                       cover the picture) are left out; --mean-error raises
//                                       the JPEG tile bound for an encoder known to be coarser
//   px-x-fixture crop PICTURE.png X Y W H OUT.bmp
//                                       writes the W x H part of PICTURE from (X,Y) (black
//                                       outside it) as a 32-bit BMP, for the Windows fixture
//   px-x-fixture grab OUT.png [X Y W H] writes the root window, or that part of it, as a PNG
//   px-x-fixture check-pixels SHOT.png TABLE [--dpi D] [--origin X,Y]
//                                       checks rectangles of SHOT (e2e/pixel_check.h has the
//                                       table and the rules); one "ok" or "FAIL" line per row.
//                                       With --dpi or --origin the table is in DIPs of a window
//                                       whose client area starts at the origin (default 96, 0,0)
//
// Exit status 0 on success, 1 on a failed check or X error, 2 on bad usage.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/fit_compare.h"
#include "e2e/pixel_check.h"
#include "support/bmp.h"
#include "support/corpus.h"
#include "ui/theme.h"

namespace {

using px::test::BgraImage;

// JPEG tiles (4:4:4, high quality) of a photo stay within these; lossless tiles must be exact.
constexpr double kMaxTileMeanError = 4.0;  // mean absolute error per channel in one tile
constexpr int kMaxPixelError = 96;         // any channel of any pixel
constexpr int kTile = 64;
constexpr int kMarkerSide = 48;  // the square a right click inverts
// A view's 4 x 4 block averages against the screen scaled the same way (e2e/fit_compare.h).
constexpr double kMaxFitTileError = 12.0;

bool loadPicture(const char* path, BgraImage& picture) {
  if (px::test::loadPngAsBgra(path, picture)) return true;
  std::fprintf(stderr, "cannot read %s\n", path);
  return false;
}

// The part of `picture` from (x0,y0) that a width x height screen shows; black outside it.
BgraImage crop(const BgraImage& picture, int x0, int y0, int width, int height) {
  BgraImage out{width, height, px::Bytes(size_t(width) * height * 4, 0)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int sx = x0 + x, sy = y0 + y;
      uint8_t* dst = &out.pixels[(size_t(y) * width + x) * 4];
      dst[3] = 255;
      if (sx >= picture.width || sy >= picture.height) continue;
      std::memcpy(dst, &picture.pixels[(size_t(sy) * picture.width + sx) * 4], 3);
    }
  }
  return out;
}

int show(const char* path, int x0, int y0) {
  BgraImage picture;
  if (!loadPicture(path, picture)) return 1;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return std::fprintf(stderr, "no X display\n"), 1;
  const int screen = DefaultScreen(d);
  const int width = DisplayWidth(d, screen), height = DisplayHeight(d, screen);
  BgraImage shown = crop(picture, x0, y0, width, height);

  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask;
  const Window window = XCreateWindow(d, RootWindow(d, screen), 0, 0, width, height, 0, CopyFromParent,
                                      InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask,
                                      &attributes);
  XImage* image = XCreateImage(d, DefaultVisual(d, screen), DefaultDepth(d, screen), ZPixmap, 0,
                               reinterpret_cast<char*>(shown.pixels.data()), width, height, 32, 0);
  if (!image || image->bits_per_pixel != 32) return std::fprintf(stderr, "need a 32-bit visual\n"), 1;
  const GC gc = XCreateGC(d, window, 0, nullptr);
  // A pointer unlike the root's, for the viewer's copy of it to be told apart.
  XDefineCursor(d, window, XCreateFontCursor(d, XC_crosshair));
  XMapRaised(d, window);
  bool ready = false;
  for (;;) {
    XEvent event;
    XNextEvent(d, &event);
    if (event.type == Expose && event.xexpose.count == 0) {
      XPutImage(d, window, gc, image, 0, 0, 0, 0, width, height);
      XSetInputFocus(d, window, RevertToParent, CurrentTime);
      XSync(d, False);
      if (!ready) std::printf("ready\n");
      ready = true;
    } else if (event.type == KeyPress) {
      char text[16];
      KeySym keysym;
      const int n = XLookupString(&event.xkey, text, sizeof text - 1, &keysym, nullptr);
      if (n > 0) std::printf("key %.*s\n", n, text);
    } else if (event.type == ButtonPress) {
      std::printf("click %d,%d %u\n", event.xbutton.x, event.xbutton.y, event.xbutton.button);
      // A right click inverts the square around its point, so a test can make the screen change
      // (and undo it with a second click at the same point).
      if (event.xbutton.button == 3) {
        const int left = std::clamp(event.xbutton.x - kMarkerSide / 2, 0, width - kMarkerSide);
        const int top = std::clamp(event.xbutton.y - kMarkerSide / 2, 0, height - kMarkerSide);
        for (int y = top; y < top + kMarkerSide; ++y) {
          for (int x = left; x < left + kMarkerSide; ++x) {
            uint8_t* p = &shown.pixels[(size_t(y) * width + x) * 4];
            p[0] = 255 - p[0], p[1] = 255 - p[1], p[2] = 255 - p[2];
          }
        }
        XPutImage(d, window, gc, image, left, top, left, top, kMarkerSide, kMarkerSide);
        XFlush(d);
      }
    }
    std::fflush(stdout);
  }
}

int splitMonitors() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return std::fprintf(stderr, "no X display\n"), 1;
  const int screen = DefaultScreen(d);
  const int width = DisplayWidth(d, screen), height = DisplayHeight(d, screen);
  // The left monitor takes over the screen's one output, so the server drops the monitor it
  // made for that output and two remain.
  XRRScreenResources* resources = XRRGetScreenResources(d, RootWindow(d, screen));
  if (!resources || resources->noutput < 1) return std::fprintf(stderr, "no RandR output\n"), 1;
  RROutput output = resources->outputs[0];
  const char* names[] = {"PX-LEFT", "PX-RIGHT"};
  for (int i = 0; i < 2; ++i) {
    XRRMonitorInfo monitor{};
    monitor.name = XInternAtom(d, names[i], False);
    monitor.primary = i == 0;
    monitor.x = i * (width / 2);
    monitor.width = width / 2;
    monitor.height = height;
    monitor.mwidth = monitor.width / 4;  // millimetres; any nonzero size
    monitor.mheight = height / 4;
    monitor.noutput = i == 0 ? 1 : 0;
    monitor.outputs = i == 0 ? &output : nullptr;
    XRRSetMonitor(d, RootWindow(d, screen), &monitor);
  }
  XRRFreeScreenResources(resources);
  int count = 0;
  XRRMonitorInfo* list = XRRGetMonitors(d, RootWindow(d, screen), True, &count);
  XRRFreeMonitors(list);
  XCloseDisplay(d);
  std::printf("monitors %d\n", count);
  return count == 2 ? 0 : 1;
}

int printCursor() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return std::fprintf(stderr, "no X display\n"), 1;
  XFixesCursorImage* image = XFixesGetCursorImage(d);
  if (!image) return XCloseDisplay(d), std::fprintf(stderr, "no cursor image\n"), 1;
  int opaque = 0;
  for (int i = 0; i < image->width * image->height; ++i) opaque += (image->pixels[i] >> 24) > 127;
  std::printf("cursor %d %d %d %d %d\n", image->width, image->height, image->xhot, image->yhot,
              opaque);
  XFree(image);
  XCloseDisplay(d);
  return 0;
}

struct SkipRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool touchesTile(int tx, int ty) const {
    return tx < x + width && x < tx + kTile && ty < y + height && y < ty + kTile;
  }
};

struct CompareOptions {
  std::vector<SkipRect> skips;
  double maxTileMeanError = kMaxTileMeanError;
};

bool parseCompareOptions(int argc, char** argv, CompareOptions& out) {
  for (int i = 0; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    SkipRect r;
    if (std::strcmp(argv[i], "--skip") == 0 &&
        std::sscanf(argv[i + 1], "%d,%d,%d,%d", &r.x, &r.y, &r.width, &r.height) == 4) {
      out.skips.push_back(r);
    } else if (std::strcmp(argv[i], "--mean-error") == 0 &&
               std::sscanf(argv[i + 1], "%lf", &out.maxTileMeanError) == 1) {
    } else {
      return false;
    }
  }
  return true;
}

// Every tile is either exact (lossless) or close (JPEG); prints how many of each.
int compare(const char* snapPath, const char* picturePath, int x0, int y0,
            const CompareOptions& options) {
  const std::vector<SkipRect>& skips = options.skips;
  BgraImage snap, picture;
  if (!loadPicture(snapPath, snap) || !loadPicture(picturePath, picture)) return 1;
  const BgraImage expected = crop(picture, x0, y0, snap.width, snap.height);
  int exact = 0, close = 0, bad = 0, skipped = 0;
  for (int ty = 0; ty < snap.height; ty += kTile) {
    for (int tx = 0; tx < snap.width; tx += kTile) {
      if (std::any_of(skips.begin(), skips.end(),
                      [&](const SkipRect& r) { return r.touchesTile(tx, ty); })) {
        ++skipped;
        continue;
      }
      long sum = 0, worst = 0, samples = 0;
      for (int y = ty; y < std::min(ty + kTile, snap.height); ++y) {
        for (int x = tx; x < std::min(tx + kTile, snap.width); ++x) {
          const size_t at = (size_t(y) * snap.width + x) * 4;
          for (int c = 0; c < 3; ++c) {
            const long e = std::labs(long(snap.pixels[at + c]) - long(expected.pixels[at + c]));
            sum += e;
            worst = std::max(worst, e);
            ++samples;
          }
        }
      }
      if (sum == 0) {
        ++exact;
      } else if (double(sum) / double(samples) <= options.maxTileMeanError && worst <= kMaxPixelError) {
        ++close;
      } else {
        ++bad;
        std::printf("tile at %d,%d: mean error %.2f, worst %ld\n", tx, ty,
                    double(sum) / double(samples), worst);
      }
    }
  }
  std::printf("size %dx%d; tiles exact %d, within JPEG bound %d, wrong %d, skipped %d\n",
              snap.width, snap.height, exact, close, bad, skipped);
  return bad == 0 ? 0 : 1;
}

int compareFit(const char* viewPath, const char* picturePath, int x0, int y0, int width,
               int height, const CompareOptions& options) {
  BgraImage view, picture;
  if (!loadPicture(viewPath, view) || !loadPicture(picturePath, picture)) return 1;
  if (width <= 0 || height <= 0) return std::fprintf(stderr, "empty screen\n"), 2;
  std::vector<px::RectPx> skip;
  for (const SkipRect& r : options.skips) skip.push_back({r.x, r.y, r.x + r.width, r.y + r.height});
  const px::test::FitComparison result = px::test::compareFitted(
      view, crop(picture, x0, y0, width, height), px::kFieldColour, options.maxTileMeanError, skip);
  for (const std::string& problem : result.problems) std::printf("%s\n", problem.c_str());
  std::printf("view %dx%d of %dx%d: %d tiles, %d wrong, %d skipped (mean error %.2f, worst %.2f, "
              "bound %.1f); bar pixels %d, %d wrong\n",
              view.width, view.height, width, height, result.tiles, result.wrongTiles,
              result.skippedTiles, result.meanError, result.worstTileError,
              options.maxTileMeanError, result.barPixels, result.wrongBarPixels);
  return result.tiles > 0 && result.wrongTiles == 0 && result.wrongBarPixels == 0 ? 0 : 1;
}

int printRuns(const char* shotPath, int y, const char* colour) {
  BgraImage shot;
  unsigned r = 0, g = 0, b = 0;
  if (std::sscanf(colour, "#%2x%2x%2x", &r, &g, &b) != 3) return 2;
  if (!loadPicture(shotPath, shot)) return 1;
  if (y < 0 || y >= shot.height) return std::fprintf(stderr, "row %d outside\n", y), 2;
  const auto matches = [&](int x) {
    const uint8_t* p = &shot.pixels[(size_t(y) * shot.width + x) * 4];
    return std::abs(p[0] - int(b)) <= 3 && std::abs(p[1] - int(g)) <= 3 && std::abs(p[2] - int(r)) <= 3;
  };
  for (int x = 0; x < shot.width;) {
    if (!matches(x)) { ++x; continue; }
    const int first = x;
    while (x < shot.width && matches(x)) ++x;
    if (x - first >= 8) std::printf("%d %d\n", first, x - 1);
  }
  return 0;
}

int cropToBmp(const char* path, int x0, int y0, int width, int height, const char* out) {
  BgraImage picture;
  if (!loadPicture(path, picture)) return 1;
  if (width <= 0 || height <= 0) return std::fprintf(stderr, "empty crop\n"), 2;
  if (px::test::saveBmp(out, crop(picture, x0, y0, width, height))) return 0;
  return std::fprintf(stderr, "cannot write %s\n", out), 1;
}

// One channel of an X pixel scaled to 8 bits, whatever the visual's mask.
uint8_t channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long max = mask >> shift;
  return uint8_t(((pixel & mask) >> shift) * 255 / max);
}

// A width or height of 0 means the whole root window.
int grab(const char* out, int x, int y, int width, int height) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return std::fprintf(stderr, "no X display\n"), 1;
  const int screen = DefaultScreen(d);
  if (width <= 0 || height <= 0) x = 0, y = 0, width = DisplayWidth(d, screen), height = DisplayHeight(d, screen);
  XImage* image = XGetImage(d, RootWindow(d, screen), x, y, unsigned(width), unsigned(height),
                            AllPlanes, ZPixmap);
  if (!image) return std::fprintf(stderr, "XGetImage failed\n"), 1;
  BgraImage shot{width, height, px::Bytes(size_t(width) * height * 4)};
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const unsigned long pixel = XGetPixel(image, col, row);
      uint8_t* p = &shot.pixels[(size_t(row) * width + col) * 4];
      p[0] = channel(pixel, image->blue_mask);
      p[1] = channel(pixel, image->green_mask);
      p[2] = channel(pixel, image->red_mask);
      p[3] = 255;
    }
  }
  XDestroyImage(image);
  XCloseDisplay(d);
  if (px::test::saveBgraAsPng(out, shot)) return 0;
  return std::fprintf(stderr, "cannot write %s\n", out), 1;
}

std::string hexColour(px::test::Rgb8 c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
  return text;
}

void printCheck(const px::test::PixelCheck& check, const px::RectPx& rect,
                const px::test::PixelCheckResult& result) {
  std::printf("%-4s %s  px %d,%d-%d,%d  ", result.ok ? "ok" : "FAIL", check.name.c_str(), rect.left,
              rect.top, rect.right, rect.bottom);
  if (!result.problem.empty()) {
    std::printf("%s\n", result.problem.c_str());
  } else if (check.text) {
    std::printf("dominant %s  drawn %d px (want >= %d)\n", hexColour(result.dominant).c_str(),
                result.drawn, check.minDrawn);
  } else {
    std::printf("dominant %s  %d%% within %d of %s (want >= %d%%)\n",
                hexColour(result.dominant).c_str(), result.matchingPercent,
                px::test::kColourTolerance, hexColour(check.colour).c_str(),
                px::test::kColourSharePercent);
  }
}

int checkPixels(const char* shotPath, const char* tablePath, const px::test::TableUnits& units) {
  BgraImage shot;
  if (!loadPicture(shotPath, shot)) return 1;
  std::ifstream table(tablePath);
  if (!table) return std::fprintf(stderr, "cannot read %s\n", tablePath), 1;
  int failed = 0, rows = 0, lineNumber = 0;
  for (std::string line; std::getline(table, line);) {
    ++lineNumber;
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '#') continue;
    px::test::PixelCheck check;
    if (!px::test::parsePixelCheck(line, check)) {
      std::fprintf(stderr, "%s:%d: bad row: %s\n", tablePath, lineNumber, line.c_str());
      return 2;
    }
    const px::RectPx rect = px::test::toScreenshotPixels(check, units);
    const px::test::PixelCheckResult result = px::test::runPixelCheck(shot, rect, check);
    printCheck(check, rect, result);
    ++rows;
    failed += !result.ok;
  }
  std::printf("%d of %d rows failed\n", failed, rows);
  return failed == 0 && rows > 0 ? 0 : 1;
}

// --dpi D and --origin X,Y after the two paths; false on anything else.
bool parseUnits(int argc, char** argv, px::test::TableUnits& units) {
  for (int i = 0; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return false;
    char* end = nullptr;
    if (option == "--dpi") {
      units.dpi = int(std::strtol(argv[i + 1], &end, 10));
      if (*end || units.dpi <= 0) return false;
    } else if (option == "--origin") {
      units.originX = int(std::strtol(argv[i + 1], &end, 10));
      if (*end != ',') return false;
      units.originY = int(std::strtol(end + 1, &end, 10));
      if (*end) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "show" && argc == 5) return show(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (command == "split-monitors" && argc == 2) return splitMonitors();
  if (command == "cursor" && argc == 2) return printCursor();
  if (command == "runs" && argc == 5) return printRuns(argv[2], std::atoi(argv[3]), argv[4]);
  CompareOptions compareOptions;
  CompareOptions fitOptions;
  fitOptions.maxTileMeanError = kMaxFitTileError;
  if (command == "compare-fit" && argc >= 8 && parseCompareOptions(argc - 8, argv + 8, fitOptions)) {
    return compareFit(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                      std::atoi(argv[7]), fitOptions);
  }
  if (command == "compare" && argc >= 6 && parseCompareOptions(argc - 6, argv + 6, compareOptions))
    return compare(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), compareOptions);
  if (command == "crop" && argc == 8)
    return cropToBmp(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                     std::atoi(argv[6]), argv[7]);
  if (command == "grab" && (argc == 3 || argc == 7)) {
    if (argc == 3) return grab(argv[2], 0, 0, 0, 0);
    return grab(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]));
  }
  px::test::TableUnits units;
  if (command == "check-pixels" && argc >= 4 && parseUnits(argc - 4, argv + 4, units))
    return checkPixels(argv[2], argv[3], units);
  std::fputs("usage: px-x-fixture show PNG X Y | split-monitors | cursor | runs SHOT Y #RRGGBB\n"
             "       | compare-fit VIEW PNG X Y W H [--skip X,Y,W,H ...] [--mean-error E]\n"
             "       | compare SNAP PNG X Y [--skip X,Y,W,H ...] [--mean-error E]\n"
             "       | crop PNG X Y W H OUT.bmp | grab OUT.png [X Y W H]\n"
             "       | check-pixels SHOT.png TABLE [--dpi D] [--origin X,Y]\n",
             stderr);
  return 2;
}
