// Painting of the home screen's cards with Direct2D: frame, picture or placeholder, name, age and
// star, with the thumbnails turned into device bitmaps once.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <map>
#include <memory>

#include "ui/card_layout.h"

namespace px {

// One device bitmap per decoded thumbnail, for the render target that made them; cleared with
// the target. A thumbnail object is kept alive by its entry, so its address cannot be reused.
class CardBitmaps {
 public:
  ID2D1Bitmap* bitmapFor(ID2D1RenderTarget* target,
                         const std::shared_ptr<const CardThumbnail>& thumbnail);
  void clear() { entries_.clear(); }

 private:
  struct Entry {
    std::shared_ptr<const CardThumbnail> thumbnail;
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
  };
  std::map<const CardThumbnail*, Entry> entries_;
};

struct CardFormats {
  IDWriteTextFormat* heading = nullptr;
  IDWriteTextFormat* hint = nullptr;
  IDWriteTextFormat* card = nullptr;
};

// The heading, the hint when there are no cards, and every card of the section.
void drawCards(ID2D1RenderTarget* rt, const CardFormats& f, const CardSectionLayout& cards,
               CardBitmaps& bitmaps);

}  // namespace px
