#include "viewer/thumbnail.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/log.h"

namespace px {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

bool isKept(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

}  // namespace

std::string thumbnailFileName(std::string_view key) {
  std::string name = key.empty() ? std::string("addr") : std::string(key);
  for (char& c : name) {
    if (!isKept(c)) c = '_';
  }
  return name + ".bmp";
}

std::filesystem::path thumbnailPath(std::string_view key) {
  return dataFolder() / "thumbs" / thumbnailFileName(key);
}

Bytes buildThumbnailBmp(const uint8_t* pixels, int width, int height) {
  Bytes file(kThumbnailFileSize, 0);
  uint8_t* h = file.data();
  h[0] = 'B';
  h[1] = 'M';
  storeLe32(h + 2, uint32_t(kThumbnailFileSize));
  storeLe32(h + 10, uint32_t(kFileHeaderSize + kInfoHeaderSize));
  storeLe32(h + 14, uint32_t(kInfoHeaderSize));
  storeLe32(h + 18, uint32_t(kThumbnailWidth));
  storeLe32(h + 22, uint32_t(-kThumbnailHeight));  // negative height: rows top-down
  storeLe16(h + 26, 1);
  storeLe16(h + 28, 32);
  uint8_t* out = h + kFileHeaderSize + kInfoHeaderSize;
  for (int r = 0; r < kThumbnailHeight; ++r) {
    const int sy = std::min(int(int64_t(r) * height / kThumbnailHeight), height - 1);
    for (int c = 0; c < kThumbnailWidth; ++c) {
      const int sx = std::min(int(int64_t(c) * width / kThumbnailWidth), width - 1);
      const uint8_t* src = pixels + (size_t(sy) * width + sx) * 4;
      std::memcpy(out, src, 3);
      out[3] = 255;
      out += 4;
    }
  }
  return file;
}

bool decodeThumbnailBmp(ByteView file, Bytes& pixels) {
  if (file.size() != kThumbnailFileSize) return false;
  const uint8_t* h = file.data();
  const bool ours = h[0] == 'B' && h[1] == 'M' && loadLe32(h + 2) == kThumbnailFileSize &&
                    loadLe32(h + 10) == kFileHeaderSize + kInfoHeaderSize &&
                    loadLe32(h + 14) == kInfoHeaderSize &&
                    loadLe32(h + 18) == uint32_t(kThumbnailWidth) &&
                    loadLe32(h + 22) == uint32_t(-kThumbnailHeight) && loadLe16(h + 26) == 1 &&
                    loadLe16(h + 28) == 32 && loadLe32(h + 30) == 0;
  if (!ours) return false;
  pixels.assign(file.begin() + kFileHeaderSize + kInfoHeaderSize, file.end());
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
  return true;
}

bool saveThumbnail(std::string_view key, const uint8_t* pixels, int width, int height) {
  if (key.empty() || !pixels || width < 2 || height < 2) return false;
  const Bytes file = buildThumbnailBmp(pixels, width, height);
  const std::filesystem::path path = thumbnailPath(key);
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  // Written whole or not at all, so a card never shows half a picture.
  if (!writeFileAtomically(path, file)) return false;
  logPrintf("[VIEWER] Miniatura salva para %.*s\n", int(key.size()), key.data());
  return true;
}

}  // namespace px
