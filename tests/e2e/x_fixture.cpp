// px-x-fixture: the X side of the end-to-end test. Puts known content on the display, records
// what the host injects, and checks a viewer's snapshot against the content.
//
//   px-x-fixture show PICTURE.png X Y   full-screen window showing PICTURE from (X,Y); keeps the
//                                       keyboard focus and prints "ready", then one line per
//                                       typed text ("key TEXT") and click ("click X,Y B")
//   px-x-fixture split-monitors         splits the screen into a left and a right monitor
//   px-x-fixture compare SNAP.png PICTURE.png X Y
//                                       checks SNAP against PICTURE from (X,Y), tile by tile
//
// Exit status 0 on success, 1 on a failed check or X error, 2 on bad usage.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/corpus.h"

namespace {

using px::test::BgraImage;

// JPEG tiles (4:4:4, high quality) of a photo stay within these; lossless tiles must be exact.
constexpr double kMaxTileMeanError = 4.0;  // mean absolute error per channel in one tile
constexpr int kMaxPixelError = 96;         // any channel of any pixel
constexpr int kTile = 64;

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

// Every tile is either exact (lossless) or close (JPEG); prints how many of each.
int compare(const char* snapPath, const char* picturePath, int x0, int y0) {
  BgraImage snap, picture;
  if (!loadPicture(snapPath, snap) || !loadPicture(picturePath, picture)) return 1;
  const BgraImage expected = crop(picture, x0, y0, snap.width, snap.height);
  int exact = 0, close = 0, bad = 0;
  for (int ty = 0; ty < snap.height; ty += kTile) {
    for (int tx = 0; tx < snap.width; tx += kTile) {
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
      } else if (double(sum) / double(samples) <= kMaxTileMeanError && worst <= kMaxPixelError) {
        ++close;
      } else {
        ++bad;
        std::printf("tile at %d,%d: mean error %.2f, worst %ld\n", tx, ty,
                    double(sum) / double(samples), worst);
      }
    }
  }
  std::printf("size %dx%d; tiles exact %d, within JPEG bound %d, wrong %d\n", snap.width,
              snap.height, exact, close, bad);
  return bad == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "show" && argc == 5) return show(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (command == "split-monitors" && argc == 2) return splitMonitors();
  if (command == "compare" && argc == 6)
    return compare(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  std::fputs("usage: px-x-fixture show PNG X Y | split-monitors | compare SNAP PNG X Y\n", stderr);
  return 2;
}
