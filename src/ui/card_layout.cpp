#include "ui/card_layout.h"

namespace px {
namespace {

constexpr float kSideMargin = 28;
constexpr float kHeadingHeight = 22;
constexpr float kHintTop = 396;
constexpr float kHintHeight = 24;
constexpr float kPictureInset = 6;  // keeps the picture inside the frame's rounded corners
constexpr float kPictureBottomGap = 2;
constexpr float kTextInset = 10;
constexpr float kNameHeight = 18;
constexpr float kStarInset = 4;

CardLayout layoutCard(const RectF& frame, const Card& card, int64_t now, const HoverState& hover) {
  const bool hovered = hover.hoverCardKey == card.id;
  const float captionTop = frame.top + kCardThumbnailAreaHeight;
  CardLayout out;
  out.id = card.id;
  out.frame = frame;
  out.border = hovered ? kAccentColour : kSeparatorColour;
  out.picture = {frame.left + kPictureInset, frame.top + kPictureInset,
                 frame.right - kPictureInset, captionTop - kPictureBottomGap};
  out.nameRect = {frame.left + kTextInset, captionTop, frame.right - kTextInset,
                  captionTop + kNameHeight};
  out.name = card.name;
  out.ageRect = {frame.left + kTextInset, captionTop + kNameHeight, frame.right - kTextInset,
                 frame.bottom - 2};
  out.age = cardAgeText(card.time, now);
  out.star = {frame.right - kStarInset - kCardStarSize, frame.top + kStarInset,
              frame.right - kStarInset, frame.top + kStarInset + kCardStarSize};
  const bool starHovered = hovered && hover.hoverKind == HitKind::kCardStar;
  out.starFill = starHovered ? kSecondaryButtonHoverColour : kBackgroundColour;
  out.starGlyph = card.favourite ? kFavouriteStarGlyph : kPlainStarGlyph;
  out.starGlyphColour = card.favourite ? kAccentColour : kTextColour;
  return out;
}

}  // namespace

std::vector<RectF> cardFrames(SizeF client, size_t count) {
  const float rightLimit = client.width - kSideMargin;
  const float bottomLimit = client.height - kCardsBottomMargin;
  std::vector<RectF> frames;
  float x = kSideMargin, y = kCardsTop;
  for (size_t i = 0; i < count; ++i) {
    // The first card of a row stays even when the window is too narrow for it.
    if (x > kSideMargin && x + kCardWidth > rightLimit) {
      x = kSideMargin;
      y += kCardPitchY;
    }
    if (y + kCardHeight > bottomLimit) break;
    frames.push_back({x, y, x + kCardWidth, y + kCardHeight});
    x += kCardPitchX;
  }
  return frames;
}

CardSectionLayout layoutCardSection(SizeF client, const std::vector<Card>& cards, int64_t now,
                                    const HoverState& hover) {
  const float w = client.width;
  CardSectionLayout out;
  out.heading = {kSideMargin, kCardsSectionTop, w - kSideMargin, kCardsSectionTop + kHeadingHeight};
  out.headingText = cardsHeading(cards);
  if (cards.empty()) {
    out.showNoCardsHint = true;
    out.noCardsHint = {kSideMargin, kHintTop, w - kSideMargin, kHintTop + kHintHeight};
    return out;
  }
  const std::vector<RectF> frames = cardFrames(client, cards.size());
  out.cards.reserve(frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    out.cards.push_back(layoutCard(frames[i], cards[i], now, hover));
  }
  return out;
}

void addCardRegions(const CardSectionLayout& layout, HitRegionList& regions) {
  for (const CardLayout& card : layout.cards) {
    regions.add(HitKind::kCardStar, card.star, card.id);
    regions.add(HitKind::kCard, card.frame, card.id);
  }
}

}  // namespace px
