#include "ui/login_screen_layout.h"

#include <algorithm>

#include "ui/compact_layout.h"

namespace px {
namespace {

constexpr float kSideMargin = 28;
constexpr float kLabelGap = 8;    // between the box and its label
constexpr float kLabelClear = 10;  // kept free left of "Voltar"

}  // namespace

LoginScreenLayout layoutLoginScreen(SizeF client, bool loginInProgress, float rememberLabelWidth) {
  CompactViewInput compact;
  compact.client = client;
  const CompactOverlayRects overlay = layoutCompactView(compact).overlay;
  const float w = client.width;
  LoginScreenLayout l;
  l.heading = {kSideMargin, 58, w - kSideMargin, 80};
  l.loginField = overlay.firstField;
  l.passwordField = overlay.secondField;
  l.checkBox = overlay.checkBox;
  const PointF c{(l.checkBox.left + l.checkBox.right) / 2, (l.checkBox.top + l.checkBox.bottom) / 2};
  l.checkMark = {LineF{{c.x - 4, c.y}, {c.x - 1, c.y + 3}},
                 LineF{{c.x - 1, c.y + 3}, {c.x + 4, c.y - 3}}};
  l.backButton = overlay.secondaryButton;
  l.submitButton = overlay.primaryButton;
  const float labelLeft = l.checkBox.right + kLabelGap;
  const float labelRight =
      std::max(labelLeft, std::min(labelLeft + std::max(rememberLabelWidth, 0.0f),
                                   l.backButton.left - kLabelClear));
  l.rememberLabel = {labelLeft, l.checkBox.top, labelRight, l.checkBox.bottom};
  l.rememberRegion = {l.checkBox.left, l.checkBox.top, labelRight, l.checkBox.bottom};
  l.submitText = loginInProgress ? kLoginBusyText : kLoginSubmitText;
  l.submitClickable = !loginInProgress;
  l.error = {kSideMargin, l.submitButton.bottom + 6, w - kSideMargin, l.submitButton.bottom + 28};
  return l;
}

void addLoginRegions(const LoginScreenLayout& layout, HitRegionList& regions) {
  regions.add(HitKind::kRememberLogin, layout.rememberRegion);
  regions.add(HitKind::kLoginBack, layout.backButton);
  if (layout.submitClickable) regions.add(HitKind::kLoginSubmit, layout.submitButton);
}

}  // namespace px
