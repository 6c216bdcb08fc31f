#include "viewer/texture_upload.h"

#include <algorithm>
#include <cstring>

namespace px {

UploadAction planUpload(bool changed, const TextureState& texture, int imageWidth,
                        int imageHeight, size_t pixelBytes) {
  if (imageWidth < 1 || imageHeight < 1) return UploadAction::kSkip;
  if (pixelBytes < size_t(imageWidth) * size_t(imageHeight) * 4) return UploadAction::kSkip;
  if (!changed && texture.written) return UploadAction::kSkip;
  // A missing texture (0 x 0) differs from every acceptable image size.
  const bool sizeDiffers = texture.width != imageWidth || texture.height != imageHeight;
  return sizeDiffers ? UploadAction::kReplace : UploadAction::kWrite;
}

void copyImageRows(const uint8_t* image, int imageWidth, int imageHeight, uint8_t* texture,
                   size_t pitch, int textureWidth, int textureHeight) {
  const int rows = std::min(imageHeight, textureHeight);
  const size_t rowBytes = size_t(std::max(std::min(imageWidth, textureWidth), 0)) * 4;
  for (int r = 0; r < rows; ++r) {
    std::memcpy(texture + size_t(r) * pitch, image + size_t(r) * size_t(imageWidth) * 4, rowBytes);
  }
}

}  // namespace px
