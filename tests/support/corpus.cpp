#include "support/corpus.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "support/test_paths.h"

namespace px::test {

std::filesystem::path corpusDir() {
  if (const char* env = std::getenv("PX_CORPUS"); env && *env) return env;
  return sharedDir() / "corpus";
}

bool loadPngAsBgra(const std::filesystem::path& file, BgraImage& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.string().c_str())) return false;
  image.format = PNG_FORMAT_BGRA;
  BgraImage result;
  result.width = int(image.width);
  result.height = int(image.height);
  result.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  out = std::move(result);
  return true;
}

bool saveBgraAsPng(const std::filesystem::path& file, const BgraImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_BGR;
  // libpng takes BGR rows: the fourth byte of each pixel goes.
  Bytes bgr(size_t(image.width) * image.height * 3);
  for (size_t i = 0, o = 0; o < bgr.size(); i += 4, o += 3) std::copy_n(&image.pixels[i], 3, &bgr[o]);
  return png_image_write_to_file(&png, file.string().c_str(), 0, bgr.data(), 0, nullptr) != 0;
}

static std::vector<std::filesystem::path> pngsIn(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
    if (entry.is_regular_file() && entry.path().extension() == ".png") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::filesystem::path> corpusKeyFrames(const std::filesystem::path& dir) {
  return pngsIn(dir);
}

std::vector<std::filesystem::path> corpusSequence(const std::filesystem::path& dir,
                                                  const std::string& name) {
  return pngsIn(dir / name);
}

std::vector<Bytes> splitIntoTiles(const BgraImage& image, int tileSize) {
  std::vector<Bytes> tiles;
  for (int ty = 0; ty < image.height; ty += tileSize) {
    for (int tx = 0; tx < image.width; tx += tileSize) {
      const int w = std::min(tileSize, image.width - tx), h = std::min(tileSize, image.height - ty);
      Bytes tile(size_t(w) * h * 4);
      for (int y = 0; y < h; ++y)
        std::copy_n(&image.pixels[(size_t(ty + y) * image.width + tx) * 4], size_t(w) * 4,
                    &tile[size_t(y) * w * 4]);
      tiles.push_back(std::move(tile));
    }
  }
  return tiles;
}

}  // namespace px::test
