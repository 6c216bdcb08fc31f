// Thumbnails of remote screens for the recent and favourite cards: 320 x 180 top-down 32-bit BMP
// files in the data folder's "thumbs" folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "base/bytes.h"

namespace px {

inline constexpr int kThumbnailWidth = 320;
inline constexpr int kThumbnailHeight = 180;
inline constexpr size_t kThumbnailFileSize = 54 + size_t(kThumbnailWidth) * kThumbnailHeight * 4;

// The file name for a key: every character but ASCII letters, digits, '.', '-' and '_' becomes
// '_'; an empty key gives "addr". Plus ".bmp".
std::string thumbnailFileName(std::string_view key);
std::filesystem::path thumbnailPath(std::string_view key);

// The whole BMP file: the screen (B G R A, stride width * 4) scaled to 320 x 180 by nearest
// neighbour, alpha 255.
Bytes buildThumbnailBmp(const uint8_t* pixels, int width, int height);

// The pixels of a thumbnail file (320 x 180 B G R A, top-down, alpha forced to 255), or false for
// any file that is not exactly what buildThumbnailBmp writes.
bool decodeThumbnailBmp(ByteView file, Bytes& pixels);

// Writes the thumbnail for `key`; nothing for an empty key, no pixels or a side below 2. True when
// the file was written (the caller then tells the main window), false on any failure, which is
// otherwise silent. Runs on the receive thread from a private copy of the image.
bool saveThumbnail(std::string_view key, const uint8_t* pixels, int width, int height);

}  // namespace px
