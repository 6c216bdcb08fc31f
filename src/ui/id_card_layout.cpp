#include "ui/id_card_layout.h"

namespace px {
namespace {

constexpr float kSideMargin = 28;
constexpr float kLabelHeight = 18;
constexpr float kDigitRowHeight = 40;
constexpr float kIndicatorGap = 14;  // from the digits' right end to the indicator's disc
constexpr float kPositiveRadius = 7.5f;
constexpr float kIdleRadius = 4.5f;

float usableWidth(float measured) { return measured > 0 ? measured : kIdGroupFallbackWidth; }

}  // namespace

std::array<std::string, 3> idDigitGroups(std::string_view id) {
  std::array<std::string, 3> groups;
  for (size_t i = 0; i < 3; ++i) {
    if (i * 3 < id.size()) groups[i] = std::string(id.substr(i * 3, 3));
  }
  return groups;
}

std::string formatIdForDisplay(std::string_view id) {
  if (id.size() != 9) return std::string(id);
  const auto g = idDigitGroups(id);
  return g[0] + " " + g[1] + " " + g[2];
}

IdCardLayout layoutIdCard(float top, float width, std::string_view id, bool relayRegistered,
                          const IdCardMeasures& measures) {
  IdCardLayout out;
  const float right = width - kSideMargin;
  const float rowTop = top + kLabelHeight, rowBottom = rowTop + kDigitRowHeight;
  const float centreX = width / 2;
  out.card = {kSideMargin, top, right, top + kIdCardHeight};
  out.label = {kSideMargin, top, right, rowTop};
  out.hint = {kSideMargin, rowBottom, right, top + kIdCardHeight};
  out.showDigits = !id.empty();
  float contentRight = 0;
  if (out.showDigits) {
    out.groupTexts = idDigitGroups(id);
    float total = 2 * kIdGroupGap;
    for (float w : measures.groupWidths) total += usableWidth(w);
    float x = centreX - total / 2;
    for (size_t i = 0; i < 3; ++i) {
      const float w = usableWidth(measures.groupWidths[i]);
      out.groups[i] = {x, rowTop, x + w, rowBottom};
      x += w + kIdGroupGap;
    }
    out.digits = {out.groups[0].left, rowTop, out.groups[2].right, rowBottom};
    contentRight = out.digits.right;
  } else {
    const float w = usableWidth(measures.unknownWidth);
    out.unknown = {centreX - w / 2, rowTop, centreX + w / 2, rowBottom};
    contentRight = out.unknown.right;
  }
  // The indicator hangs right of the digits, so the digits themselves stay centred.
  out.indicatorPositive = relayRegistered;
  out.indicatorRadius = relayRegistered ? kPositiveRadius : kIdleRadius;
  out.indicatorCentre = {contentRight + kIndicatorGap + kPositiveRadius, (rowTop + rowBottom) / 2};
  if (relayRegistered) {
    const PointF c = out.indicatorCentre;
    out.checkMark = {{{c.x - 3.5f, c.y}, {c.x - 1, c.y + 2.5f}},
                     {{c.x - 1, c.y + 2.5f}, {c.x + 3.5f, c.y - 2.5f}}};
  }
  return out;
}

}  // namespace px
