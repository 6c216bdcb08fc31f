#include "ui/card_paint_win.h"

#include <string_view>

#include "ui/d2d_support_win.h"
#include "ui/star_shape.h"
#include "ui/theme.h"

namespace px {
namespace {

void drawCard(ID2D1RenderTarget* rt, const CardFormats& f, const CardLayout& card,
              CardBitmaps& bitmaps) {
  fillRoundedRect(rt, card.frame, kCardRadius, kFieldColour);
  outlineRoundedRect(rt, card.frame, kCardRadius, card.border, 1);
  ID2D1Bitmap* bitmap = card.thumbnail ? bitmaps.bitmapFor(rt, card.thumbnail) : nullptr;
  if (bitmap) {
    rt->DrawBitmap(bitmap, toD2D(card.picture), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
  } else {
    fillRoundedRect(rt, card.picture, kCardPlaceholderRadius, kSeparatorColour);
  }
  drawText(rt, widen(card.name), f.card, card.nameRect, kTextColour);
  drawText(rt, widen(card.age), f.card, card.ageRect, kSecondaryTextColour);
  fillRoundedRect(rt, card.star, kCardStarRadius, card.starFill);
  const auto star = starOutline(card.star);
  const bool filled = std::string_view(card.starGlyph) == kFavouriteStarGlyph;
  drawPolygon(rt, star, card.starGlyphColour, filled ? 0.0f : 1.25f);
}

}  // namespace

void drawCards(ID2D1RenderTarget* rt, const CardFormats& f, const CardSectionLayout& cards,
               CardBitmaps& bitmaps) {
  drawText(rt, widen(cards.headingText), f.heading, cards.heading, kTextColour);
  if (cards.showNoCardsHint) {
    drawText(rt, widen(kNoCardsHint), f.hint, cards.noCardsHint, kSecondaryTextColour);
  }
  for (const CardLayout& card : cards.cards) drawCard(rt, f, card, bitmaps);
}

ID2D1Bitmap* CardBitmaps::bitmapFor(ID2D1RenderTarget* target,
                                    const std::shared_ptr<const CardThumbnail>& thumbnail) {
  const auto found = entries_.find(thumbnail.get());
  if (found != entries_.end()) return found->second.bitmap.Get();
  // Cards come and go with the lists; a cache of many stale pictures is simply dropped.
  constexpr size_t kMostEntries = 64;
  if (entries_.size() >= kMostEntries) entries_.clear();
  const CardThumbnail& t = *thumbnail;
  if (t.width <= 0 || t.height <= 0 || t.pixels.size() < size_t(t.width) * size_t(t.height) * 4) {
    return nullptr;
  }
  const auto props = D2D1::BitmapProperties(
      D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE));
  Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
  if (FAILED(target->CreateBitmap(D2D1::SizeU(UINT32(t.width), UINT32(t.height)), t.pixels.data(),
                                  UINT32(t.width) * 4, props, &bitmap))) {
    return nullptr;
  }
  entries_[thumbnail.get()] = {thumbnail, bitmap};
  return bitmap.Get();
}

}  // namespace px
