#include "viewer/texture_upload.h"

#include <gtest/gtest.h>

#include <vector>

namespace px {
namespace {

struct PlanCase {
  const char* what;
  bool changed;
  TextureState texture;
  int width, height;
  size_t bytes;
  UploadAction action;
};

TEST(TextureUpload, UploadsOnlyWhenMarkedOrNeverWritten) {
  const PlanCase cases[] = {
      {"first draw fills the new texture", false, {4, 2, false}, 4, 2, 32, UploadAction::kWrite},
      {"unchanged image", false, {4, 2, true}, 4, 2, 32, UploadAction::kSkip},
      {"changed image", true, {4, 2, true}, 4, 2, 32, UploadAction::kWrite},
      {"new screen size", true, {4, 2, true}, 2, 4, 32, UploadAction::kReplace},
      {"new size waits for its frame", false, {4, 2, true}, 2, 4, 32, UploadAction::kSkip},
      {"never written, other size", false, {4, 2, false}, 8, 2, 64, UploadAction::kReplace},
      {"no texture yet", true, {0, 0, false}, 4, 2, 32, UploadAction::kReplace},
      {"pixels shorter than the size", true, {4, 2, true}, 4, 2, 31, UploadAction::kSkip},
      {"empty image", true, {4, 2, true}, 0, 0, 0, UploadAction::kSkip},
  };
  for (const PlanCase& c : cases) {
    EXPECT_EQ(planUpload(c.changed, c.texture, c.width, c.height, c.bytes), c.action) << c.what;
  }
}

std::vector<uint8_t> numbered(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i + 1);
  return v;
}

TEST(TextureUpload, CopiesRowsAtThePitchAndLeavesPaddingAlone) {
  const std::vector<uint8_t> image = numbered(3 * 2 * 4);  // 3 x 2 pixels
  std::vector<uint8_t> texture(16 * 3, 0xEE);              // 3 rows, pitch 16
  copyImageRows(image.data(), 3, 2, texture.data(), 16, 3, 3);
  for (int r = 0; r < 3; ++r) {
    for (int b = 0; b < 16; ++b) {
      const uint8_t expected = (r < 2 && b < 12) ? image[size_t(r) * 12 + b] : 0xEE;
      EXPECT_EQ(texture[size_t(r) * 16 + b], expected) << "row " << r << " byte " << b;
    }
  }
}

TEST(TextureUpload, CopiesOnlyWhatFitsASmallerTexture) {
  const std::vector<uint8_t> image = numbered(3 * 2 * 4);
  std::vector<uint8_t> texture(8 * 2, 0xEE);  // 2 x 1 pixels, pitch 8, one spare row
  copyImageRows(image.data(), 3, 2, texture.data(), 8, 2, 1);
  for (int b = 0; b < 8; ++b) EXPECT_EQ(texture[b], image[b]) << b;
  for (int b = 8; b < 16; ++b) EXPECT_EQ(texture[b], 0xEE) << b;
}

}  // namespace
}  // namespace px
