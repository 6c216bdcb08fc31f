#include "support/bmp.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace px::test {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr size_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr int kMaxSide = 1 << 15;  // far beyond any screen; keeps sizes from overflowing

}  // namespace

Bytes encodeBmp(const BgraImage& image) {
  const size_t pixelBytes = size_t(image.width) * size_t(image.height) * 4;
  Bytes file(kPixelOffset, 0);
  file[0] = 'B';
  file[1] = 'M';
  storeLe32(&file[2], uint32_t(kPixelOffset + pixelBytes));
  storeLe32(&file[10], uint32_t(kPixelOffset));
  uint8_t* info = &file[kFileHeaderSize];
  storeLe32(info, kInfoHeaderSize);
  storeLe32(info + 4, uint32_t(image.width));
  storeLe32(info + 8, uint32_t(-image.height));  // negative: rows top to bottom
  storeLe16(info + 12, 1);                        // planes
  storeLe16(info + 14, 32);                       // bits per pixel; compression 0 = BI_RGB
  storeLe32(info + 20, uint32_t(pixelBytes));
  file.insert(file.end(), image.pixels.begin(), image.pixels.begin() + ptrdiff_t(pixelBytes));
  return file;
}

bool decodeBmp(ByteView file, BgraImage& out) {
  if (file.size() < kPixelOffset || file[0] != 'B' || file[1] != 'M') return false;
  const uint8_t* info = &file[kFileHeaderSize];
  const uint32_t offset = loadLe32(&file[10]);
  const int32_t width = int32_t(loadLe32(info + 4));
  const int32_t signedHeight = int32_t(loadLe32(info + 8));
  const bool topDown = signedHeight < 0;
  const int32_t height = topDown ? -signedHeight : signedHeight;
  if (loadLe32(info) < kInfoHeaderSize || loadLe16(info + 14) != 32 || loadLe32(info + 16) != 0)
    return false;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  const size_t stride = size_t(width) * 4;
  if (offset < kPixelOffset || offset > file.size() || file.size() - offset < stride * height)
    return false;
  BgraImage image{width, height, Bytes(stride * height)};
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = &file[offset + stride * size_t(topDown ? y : height - 1 - y)];
    std::copy_n(row, stride, &image.pixels[stride * y]);
  }
  for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
  out = std::move(image);
  return true;
}

bool saveBmp(const std::filesystem::path& file, const BgraImage& image) {
  const Bytes bytes = encodeBmp(image);
  std::ofstream stream(file, std::ios::binary);
  stream.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(stream.flush());
}

bool loadBmp(const std::filesystem::path& file, BgraImage& out) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return false;
  const Bytes bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  return decodeBmp(bytes, out);
}

}  // namespace px::test
