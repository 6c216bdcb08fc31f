// Baseline JPEG with 4:4:4 chroma for screen tiles. Windows uses the Imaging Component, Linux
// libjpeg-turbo; both produce and accept ordinary baseline JPEG files, so either side may talk to
// the other. Each object belongs to one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/bytes.h"

namespace px {

class JpegEncoder {
 public:
  JpegEncoder();
  ~JpegEncoder();
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  // Replaces `out` with a JPEG of the width x height picture at `pixels` (4 bytes per pixel,
  // B G R and an ignored fourth byte; `stride` bytes from one row to the next). `quality` is 0
  // to 1. False, with `out` empty, on failure.
  bool encode(const uint8_t* pixels, int width, int height, size_t stride, float quality,
              Bytes& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class JpegDecoder {
 public:
  JpegDecoder();
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Replaces `bgra` with the picture as B G R A (alpha 255), stride width * 4. Fails, with `bgra`
  // empty, unless the file decodes cleanly to exactly expectedWidth x expectedHeight; the size is
  // checked from the file's header before any pixel memory is taken.
  bool decode(ByteView jpeg, int expectedWidth, int expectedHeight, Bytes& bgra);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace px
