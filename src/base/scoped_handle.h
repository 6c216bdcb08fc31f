// One move-only owner for any OS handle or library object. Traits name the invalid value and the
// release call, so every handle kind is freed exactly once on every path.
//
//   struct FdTraits { using Handle = int; static int invalid() { return -1; }
//                     static void close(int fd) { ::close(fd); } };
//   using ScopedFd = ScopedHandle<FdTraits>;
#pragma once

#include <utility>

namespace px {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle h) : handle_(h) {}
  ~ScopedHandle() { reset(); }

  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Traits::invalid(); }
  explicit operator bool() const { return valid(); }

  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(Handle h = Traits::invalid()) {
    Handle old = std::exchange(handle_, h);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Handle handle_ = Traits::invalid();
};

}  // namespace px
