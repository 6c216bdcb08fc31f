// The viewer's copy of the remote screen, shared by the receive thread (which decodes into it) and
// the session thread (which uploads it to the GPU).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "base/bytes.h"

namespace px {

// Largest screen a host may announce: 16384 pixels a side and 2^25 pixels (an 8K monitor fits),
// so a hostile hello or monitor switch cannot make the viewer allocate more than 128 MiB.
inline constexpr int kMaxScreenSide = 16384;
inline constexpr int64_t kMaxScreenPixels = int64_t(1) << 25;

bool isAcceptableScreenSize(int width, int height);

struct ScreenImage {
  std::mutex lock;
  Bytes pixels;    // guarded by lock: width * height * 4, B G R A, rows top-down, no padding
  int width = 0;   // guarded by lock
  int height = 0;  // guarded by lock
  std::atomic<bool> frameReady{false};
  std::atomic<int> publishedWidth{0};  // copies for the window thread, read without the lock
  std::atomic<int> publishedHeight{0};
  std::atomic<int> thumbnailCountdown{0};
  std::string thumbnailKey;  // set by the session thread before the receive thread starts

  // Caller holds `lock`. Makes the image width x height black pixels and publishes the size.
  // False, leaving everything as it was, for an unacceptable size or when memory is short.
  bool resetLocked(int newWidth, int newHeight);
};

}  // namespace px
