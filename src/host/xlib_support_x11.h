// Owners for Xlib resources and an error trap. Xlib reports request errors asynchronously through
// one process-wide handler; ours records them per thread instead of ending the process, and a
// trap turns them into a return value at its check. A Display and everything made on it is used
// by one thread only.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <string>
#include <utility>

namespace px {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Opens the named display ("" means DISPLAY) and installs the recording error handler. Null (and
// a logged line with `tag`) when the display cannot be opened.
DisplayPtr openDisplay(const std::string& name, const char* tag);

struct XFreeDeleter {
  void operator()(void* p) const {
    if (p) XFree(p);
  }
};
template <typename T>
using XPtr = std::unique_ptr<T, XFreeDeleter>;

// A server-side resource freed with `Free(display, id)`: Damage objects, XFixes regions.
template <auto Free>
class XResource {
 public:
  XResource() = default;
  XResource(Display* d, XID id) : display_(d), id_(id) {}
  ~XResource() { reset(); }
  XResource(XResource&& o) noexcept : display_(o.display_), id_(std::exchange(o.id_, 0)) {}
  XResource& operator=(XResource&& o) noexcept {
    if (this != &o) {
      reset();
      display_ = o.display_;
      id_ = std::exchange(o.id_, 0);
    }
    return *this;
  }
  XResource(const XResource&) = delete;
  XResource& operator=(const XResource&) = delete;

  XID get() const { return id_; }
  explicit operator bool() const { return id_ != 0; }
  void reset() {
    if (id_ != 0) Free(display_, id_);
    id_ = 0;
  }

 private:
  Display* display_ = nullptr;
  XID id_ = 0;
};

// An image in a shared-memory segment the server writes into (XShmGetImage): width x height,
// 32 bits per pixel. The segment is marked for removal as soon as both sides have attached it,
// so it cannot outlive the process.
class ShmImage {
 public:
  ShmImage() { info_.shmid = -1; }
  ~ShmImage() { reset(); }
  ShmImage(ShmImage&& o) noexcept;
  ShmImage& operator=(ShmImage&& o) noexcept;
  ShmImage(const ShmImage&) = delete;
  ShmImage& operator=(const ShmImage&) = delete;

  // False (logged) when the segment or image cannot be made or attached.
  bool create(Display* d, Visual* visual, int depth, int width, int height);
  void reset();

  XImage* image() const { return image_; }
  // An image header over the start of the same segment, for reading a smaller area; freed with
  // XDestroyImage (which leaves the segment alone).
  XImage* subImage(int width, int height);

 private:
  Display* display_ = nullptr;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  XShmSegmentInfo info_{};
  XImage* image_ = nullptr;
  bool attached_ = false;
};

// Collects the X errors of the calls made while it lives. check() waits for the server
// (XSync) and returns the first error code seen, 0 for none.
class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* d);
  int check();

 private:
  Display* display_;
};

}  // namespace px
