// The ID card: this computer's ID in three digit groups, the hint and the relay indicator.
// Text widths come from the drawing code's measurement, so the layout stays pure.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ui/geometry.h"

namespace px {

inline constexpr const char* kIdCardLabel = "Este dispositivo";
inline constexpr const char* kIdUnknownText = "Conectando...";
inline constexpr const char* kIdCopyHint = "Clique no código para copiar.";
inline constexpr float kIdCardHeight = 76;
inline constexpr float kIdGroupGap = 12;  // DIPs between digit groups
// Used when measuring a group failed (a width of 0 or less).
inline constexpr float kIdGroupFallbackWidth = 62;

// Characters 0–2, 3–5 and 6–8 of the ID; shorter IDs give shorter or empty groups.
std::array<std::string, 3> idDigitGroups(std::string_view id);
// "123 456 789" for nine characters; anything else is returned unchanged.
std::string formatIdForDisplay(std::string_view id);

struct IdCardMeasures {
  std::array<float, 3> groupWidths{};  // each group in `idFormat`
  float unknownWidth = 0;              // "Conectando..." in `bodyFormat`
};

struct IdCardLayout {
  RectF card;   // the whole card, 28 DIPs in from both sides
  RectF label;  // "Este dispositivo", `hintFormat`, secondary text
  bool showDigits = false;
  std::array<std::string, 3> groupTexts;
  std::array<RectF, 3> groups;  // `idFormat`, accent colour
  RectF digits;                 // hit region of kind 1 (only with digits)
  RectF unknown;                // "Conectando...", `bodyFormat`, secondary text (without digits)
  RectF hint;                   // `hintFormat`, secondary text
  PointF indicatorCentre;
  float indicatorRadius = 0;
  bool indicatorPositive = false;  // positive disc with a white check mark, else secondary text
  std::vector<LineF> checkMark;    // only on the positive disc
};

// `top` is the card's top T; `width` the client width in DIPs. An empty ID shows "Conectando...".
IdCardLayout layoutIdCard(float top, float width, std::string_view id, bool relayRegistered,
                          const IdCardMeasures& measures);

}  // namespace px
