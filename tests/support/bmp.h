// 32-bit BMP files: how the Linux side of the Wine end-to-end test hands a picture to the Windows
// fixture, which can paint the rows as they stand with SetDIBitsToDevice. Only uncompressed
// 32 bits per pixel; rows are written top to bottom.
#pragma once

#include <filesystem>

#include "base/bytes.h"
#include "support/corpus.h"

namespace px::test {

Bytes encodeBmp(const BgraImage& image);
// False unless `file` is an uncompressed 32-bit BMP (top-down or bottom-up) of sane size. The
// fourth byte of each pixel is ignored: the image comes back opaque.
bool decodeBmp(ByteView file, BgraImage& out);

bool saveBmp(const std::filesystem::path& file, const BgraImage& image);
bool loadBmp(const std::filesystem::path& file, BgraImage& out);

}  // namespace px::test
