#include "ui/access_prompt_model.h"

#include "ui/theme.h"

namespace px {

PromptReaction AccessPromptModel::close(bool accepted) {
  // The first close wins; later events on a closing window change nothing.
  if (closed_) return PromptReaction::kNone;
  closed_ = true;
  accepted_ = accepted;
  return PromptReaction::kClose;
}

PromptReaction AccessPromptModel::onTimer() {
  if (closed_) return PromptReaction::kNone;
  --secondsLeft_;
  if (secondsLeft_ < 1) return close(false);
  return PromptReaction::kRepaint;
}

PromptReaction AccessPromptModel::onMouseMove(PointF point) {
  const PromptRegion region = promptRegionAt(point);
  if (closed_ || region == hover_) return PromptReaction::kNone;
  hover_ = region;
  return PromptReaction::kRepaint;
}

PromptReaction AccessPromptModel::onMouseLeave() {
  if (closed_) return PromptReaction::kNone;
  hover_ = PromptRegion::kNone;
  return PromptReaction::kRepaint;
}

PromptReaction AccessPromptModel::onButtonDown(PointF point) {
  if (closed_) return PromptReaction::kNone;
  pressed_ = promptRegionAt(point);
  return PromptReaction::kRepaint;
}

PromptReaction AccessPromptModel::onButtonUp(PointF point) {
  if (closed_) return PromptReaction::kNone;
  const PromptRegion pressed = pressed_;
  pressed_ = PromptRegion::kNone;
  if (pressed == PromptRegion::kNone || promptRegionAt(point) != pressed) {
    return PromptReaction::kRepaint;
  }
  switch (pressed) {
    case PromptRegion::kAccept: return close(true);
    case PromptRegion::kRefuse:
    case PromptRegion::kClose: return close(false);
    case PromptRegion::kControl: allowControl_ = !allowControl_; break;
    case PromptRegion::kNone: break;
  }
  return PromptReaction::kRepaint;
}

PromptReaction AccessPromptModel::onRefuseKeyOrClose() { return close(false); }

Rgb AccessPromptModel::acceptFill() const {
  return primaryButtonFill(hover_ == PromptRegion::kAccept, pressed_ == PromptRegion::kAccept);
}

Rgb AccessPromptModel::refuseFill() const {
  return secondaryButtonFill(hover_ == PromptRegion::kRefuse || pressed_ == PromptRegion::kRefuse);
}

}  // namespace px
