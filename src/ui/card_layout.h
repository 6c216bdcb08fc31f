// The cards section of the home screen: heading, the cards flowed into rows above the status
// strip, each card's parts and colours, and their hit regions. The drawing code only draws what
// this gives it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "ui/card_list.h"
#include "ui/geometry.h"
#include "ui/hit_regions.h"
#include "ui/main_mouse.h"
#include "ui/rgb.h"
#include "ui/theme.h"

namespace px {

inline constexpr float kCardsSectionTop = 370;
inline constexpr float kCardsTop = 400;  // first row of cards, under the heading
inline constexpr float kCardWidth = 176;
inline constexpr float kCardHeight = 136;  // 100 thumbnail area over a 36 caption
inline constexpr float kCardThumbnailAreaHeight = 100;
inline constexpr float kCardPitchX = 190;
inline constexpr float kCardPitchY = 154;
inline constexpr float kCardsBottomMargin = 40;  // the status strip
inline constexpr float kCardRadius = 8;
inline constexpr float kCardPlaceholderRadius = 2;
inline constexpr float kCardStarSize = 32;
inline constexpr float kCardStarRadius = 7;
inline constexpr const char* kFavouriteStarGlyph = "★";
inline constexpr const char* kPlainStarGlyph = "☆";

// Name and age: `smallFormat` kept on one line and trimmed, so a long name cannot spill into the
// age line below it.
inline constexpr TextStyle kCardTextFormat{12.5f,  kNormalWeight, TextAlign::kLeading, false,
                                           ParagraphAlign::kCentre, true};

// A decoded thumbnail: `width` × `height` B G R A pixels, rows top-down, stride width × 4. The
// drawing code may keep one device bitmap per object and make a new one when the pointer changes.
struct CardThumbnail {
  int width = 0, height = 0;
  Bytes pixels;
};

struct CardLayout {
  std::string id;  // key of both hit regions
  RectF frame;     // corner radius 8, field background
  Rgb border;      // accent while hovered, else the separator colour
  RectF picture;   // the thumbnail stretched into it, or the placeholder panel
  std::shared_ptr<const CardThumbnail> thumbnail;  // null: placeholder, separator colour, radius 2
  RectF nameRect;
  std::string name;  // `kCardTextFormat`, text colour
  RectF ageRect;
  std::string age;   // `kCardTextFormat`, secondary text
  RectF star;        // radius 7
  Rgb starFill;      // background, or the secondary-button hover colour while hovered
  const char* starGlyph = kPlainStarGlyph;  // `buttonFormat`
  Rgb starGlyphColour;                      // accent for a favourite, else the text colour
};

struct CardSectionLayout {
  RectF heading;  // `smallFormat`, text colour
  const char* headingText = kCardsHeadingRecentOnly;
  bool showNoCardsHint = false;
  RectF noCardsHint;  // `hintFormat`, secondary text
  std::vector<CardLayout> cards;  // only those that fit above the status strip
};

// Frames of the first `count` cards that fit: rows from x = 28 wrapping before the right margin,
// stopping at the first card that would reach below the status strip.
std::vector<RectF> cardFrames(SizeF client, size_t count);

// `now` is the current time in seconds since 1970; `hover` the main window's hover state.
// Thumbnails are left null; the caller fills them for the cards laid out.
CardSectionLayout layoutCardSection(SizeF client, const std::vector<Card>& cards, int64_t now,
                                    const HoverState& hover);

// Per card in paint order: the star (kind 14) before the card (kind 2), so the star wins where
// they overlap; both keyed by the ID.
void addCardRegions(const CardSectionLayout& layout, HitRegionList& regions);

}  // namespace px
