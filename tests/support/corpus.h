// Real screen captures for tests and benchmarks: PNG files read with libpng into BGRA images
// (and screenshots written back).
// A corpus folder holds key frames (PNG files at its top level) and sequences (subfolders of
// 000.png, 001.png, ...). The folder is $PX_CORPUS when set, else the shared corpus.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/bytes.h"

namespace px::test {

struct BgraImage {
  int width = 0;
  int height = 0;
  Bytes pixels;  // width * height * 4 bytes, rows top to bottom, B G R A, alpha 255
};

std::filesystem::path corpusDir();
// False when the file is missing or is not a PNG libpng can read.
bool loadPngAsBgra(const std::filesystem::path& file, BgraImage& out);
// An RGB PNG (alpha dropped); false when the file cannot be written.
bool saveBgraAsPng(const std::filesystem::path& file, const BgraImage& image);

// Top-level PNGs, sorted by name.
std::vector<std::filesystem::path> corpusKeyFrames(const std::filesystem::path& dir);
// The frames of one sequence subfolder ("scroll", "typing"), in order; empty when absent.
std::vector<std::filesystem::path> corpusSequence(const std::filesystem::path& dir,
                                                  const std::string& name);

// Every 64 x 64 tile (edge tiles smaller) of `image`, each as tightly packed BGRA rows.
std::vector<Bytes> splitIntoTiles(const BgraImage& image, int tileSize = 64);

}  // namespace px::test
