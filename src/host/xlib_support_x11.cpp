#include "host/xlib_support_x11.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

#include "base/log.h"

namespace px {
namespace {

thread_local int tLastXError = 0;

int recordXError(Display*, XErrorEvent* e) {
  if (tLastXError == 0) tLastXError = e->error_code;
  return 0;
}

void installErrorHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    XInitThreads();
    XSetErrorHandler(recordXError);
  });
}

}  // namespace

DisplayPtr openDisplay(const std::string& name, const char* tag) {
  installErrorHandler();
  DisplayPtr d(XOpenDisplay(name.empty() ? nullptr : name.c_str()));
  if (!d) logPrintf("%s XOpenDisplay(%s) falhou\n", tag, name.empty() ? "DISPLAY" : name.c_str());
  return d;
}

X11ErrorTrap::X11ErrorTrap(Display* d) : display_(d) {
  XSync(display_, False);
  tLastXError = 0;
}

int X11ErrorTrap::check() {
  XSync(display_, False);
  return std::exchange(tLastXError, 0);
}

ShmImage::ShmImage(ShmImage&& o) noexcept : ShmImage() { *this = std::move(o); }

ShmImage& ShmImage::operator=(ShmImage&& o) noexcept {
  if (this != &o) {
    reset();
    display_ = o.display_;
    visual_ = o.visual_;
    depth_ = o.depth_;
    info_ = o.info_;
    image_ = std::exchange(o.image_, nullptr);
    attached_ = std::exchange(o.attached_, false);
    o.info_.shmaddr = nullptr;
    o.info_.shmid = -1;
  }
  return *this;
}

bool ShmImage::create(Display* d, Visual* visual, int depth, int width, int height) {
  reset();
  display_ = d;
  visual_ = visual;
  depth_ = depth;
  image_ = XShmCreateImage(d, visual, unsigned(depth), ZPixmap, nullptr, &info_, unsigned(width),
                           unsigned(height));
  if (!image_) {
    logPrintf("[HOST] XShmCreateImage %dx%d falhou\n", width, height);
    return false;
  }
  info_.shmid = shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * unsigned(height),
                       IPC_CREAT | 0600);
  if (info_.shmid < 0) {
    logPrintf("[HOST] shmget falhou (errno %d)\n", errno);
    reset();
    return false;
  }
  void* addr = shmat(info_.shmid, nullptr, 0);
  if (addr == reinterpret_cast<void*>(-1)) {
    logPrintf("[HOST] shmat falhou (errno %d)\n", errno);
    reset();
    return false;
  }
  info_.shmaddr = static_cast<char*>(addr);
  image_->data = info_.shmaddr;
  info_.readOnly = False;
  X11ErrorTrap trap(d);
  XShmAttach(d, &info_);
  const int error = trap.check();
  // Both sides hold it now; the segment goes away with the last detach.
  shmctl(info_.shmid, IPC_RMID, nullptr);
  if (error != 0) {
    logPrintf("[HOST] XShmAttach falhou (erro X %d)\n", error);
    reset();
    return false;
  }
  attached_ = true;
  return true;
}

void ShmImage::reset() {
  if (attached_) {
    XShmDetach(display_, &info_);
    XSync(display_, False);
    attached_ = false;
  }
  if (image_) {
    image_->data = nullptr;
    XDestroyImage(image_);
    image_ = nullptr;
  }
  if (info_.shmaddr != nullptr) shmdt(info_.shmaddr);
  if (info_.shmid >= 0) shmctl(info_.shmid, IPC_RMID, nullptr);
  info_.shmaddr = nullptr;
  info_.shmid = -1;
}

XImage* ShmImage::subImage(int width, int height) {
  return XShmCreateImage(display_, visual_, unsigned(depth_), ZPixmap, info_.shmaddr, &info_,
                         unsigned(width), unsigned(height));
}

}  // namespace px
