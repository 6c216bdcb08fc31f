#include "ui/password_settings_layout.h"

#include "ui/password_settings.h"
#include "ui/theme.h"

namespace px {
namespace {

constexpr float kSideMargin = 28;
constexpr float kRemoveWidth = 96;
constexpr float kRemoveGap = 10;  // between "Remover" and "Voltar"
constexpr float kFocusedBorderWidth = 1.5f;

FieldFrameLayout fieldFrame(const RectF& rect, bool focused) {
  if (focused) return {rect, kAccentColour, kFocusedBorderWidth};
  return {rect, kSeparatorColour, 1};
}

}  // namespace

PasswordScreenLayout layoutPasswordScreen(const CompactOverlayRects& overlay, float width,
                                          bool passwordSet, HitKind hoverKind,
                                          PasswordEditFocus focus) {
  PasswordScreenLayout out;
  out.heading = {kSideMargin, 58, width - kSideMargin, 80};
  out.headingText = passwordScreenHeading(passwordSet);
  out.newPassword = fieldFrame(overlay.firstField, focus == PasswordEditFocus::kNewPassword);
  out.repeat = fieldFrame(overlay.secondField, focus == PasswordEditFocus::kRepeat);
  out.save = {overlay.primaryButton, kSavePasswordButtonText,
              primaryButtonFill(hoverKind == HitKind::kPasswordSave, false), kWhiteColour};
  out.back = {overlay.secondaryButton, kPasswordBackButtonText,
              secondaryButtonFill(hoverKind == HitKind::kPasswordBack), kTextColour};
  if (passwordSet) {
    const RectF& back = overlay.secondaryButton;
    const float right = back.left - kRemoveGap;
    out.remove = PaintedButtonLayout{{right - kRemoveWidth, back.top, right, back.bottom},
                                     kRemovePasswordButtonText,
                                     secondaryButtonFill(hoverKind == HitKind::kPasswordRemove),
                                     kNegativeColour};
  }
  const float below = overlay.primaryButton.bottom + 8;
  out.error = {kSideMargin, below, width - kSideMargin, below + 24};
  return out;
}

void addPasswordScreenRegions(const PasswordScreenLayout& layout, HitRegionList& regions) {
  regions.add(HitKind::kPasswordSave, layout.save.rect);
  regions.add(HitKind::kPasswordBack, layout.back.rect);
  if (layout.remove) regions.add(HitKind::kPasswordRemove, layout.remove->rect);
}

UnattendedSectionLayout layoutUnattendedSection(float width, bool passwordSet, bool fieldFocused) {
  UnattendedSectionLayout out;
  out.heading = {kSideMargin, 268, width - kSideMargin, 290};
  out.field = fieldFrame({kSideMargin, 296, width - 152, 336}, fieldFocused);
  out.saveButton = {width - 138, 296, width - kSideMargin, 336};
  out.hint = {kSideMargin, 340, width - kSideMargin, 362};
  out.hintText = unattendedHint(passwordSet);
  return out;
}

}  // namespace px
