// When and how the renderer writes the screen image into its texture. The receive thread marks
// the image changed; the session thread uploads only then, so an unchanged screen costs no copy.
#pragma once

#include <cstddef>
#include <cstdint>

namespace px {

struct TextureState {
  int width = 0;   // 0 while there is no texture
  int height = 0;
  bool written = false;  // false until the first upload: its contents are undefined
};

enum class UploadAction {
  kSkip,     // nothing to do, or nothing valid to copy
  kWrite,    // copy into the texture as it is
  kReplace,  // the image changed size: a new texture of the image's size first, then copy
};

// `pixelBytes` is the size of the image's pixel buffer (4 bytes per pixel). A texture that was
// never written is filled even without a mark, so the view never shows undefined memory. A size
// change waits for the next mark, as the image's new pixels arrive with it.
UploadAction planUpload(bool changed, const TextureState& texture, int imageWidth,
                        int imageHeight, size_t pixelBytes);

// Copies the top-left min(sizes) pixels of a tightly packed 4-byte image into a mapped texture
// whose rows are `pitch` bytes apart; bytes beyond each copied row are left alone.
void copyImageRows(const uint8_t* image, int imageWidth, int imageHeight, uint8_t* texture,
                   size_t pitch, int textureWidth, int textureHeight);

}  // namespace px
