#include "host/access_prompt_state.h"

namespace px {

DipRect promptRegionBox(PromptRegion region) {
  switch (region) {
    case PromptRegion::kClose: return {412, 0, 460, 48};
    case PromptRegion::kAccept: return {300, 304, 432, 344};
    case PromptRegion::kRefuse: return {168, 304, 288, 344};
    case PromptRegion::kControl: return {28, 230, 432, 256};
    case PromptRegion::kNone: break;
  }
  return {0, 0, 0, 0};
}

PromptRegion promptRegionAt(float x, float y) {
  for (PromptRegion region : {PromptRegion::kClose, PromptRegion::kAccept, PromptRegion::kRefuse,
                              PromptRegion::kControl}) {
    if (promptRegionBox(region).contains(x, y)) return region;
  }
  return PromptRegion::kNone;
}

bool promptDragsAt(float x, float y) {
  return y >= 0 && y < kPromptCaptionDip && promptRegionAt(x, y) == PromptRegion::kNone;
}

bool AccessPromptState::tick() {
  if (closed_) return false;
  if (--secondsLeft_ < 1) {
    close(false);
    return false;
  }
  return true;
}

bool AccessPromptState::mouseMove(PromptRegion region) {
  if (closed_ || region == hover_) return false;
  hover_ = region;
  return true;
}

bool AccessPromptState::mouseLeave() {
  if (closed_) return false;
  hover_ = PromptRegion::kNone;
  return true;
}

bool AccessPromptState::buttonDown(PromptRegion region) {
  if (closed_) return false;
  pressed_ = region;
  return true;
}

// A click counts only where it started, so sliding from one button to another does nothing.
bool AccessPromptState::buttonUp(PromptRegion region) {
  if (closed_) return false;
  const PromptRegion pressed = pressed_;
  pressed_ = PromptRegion::kNone;
  if (region != pressed) return true;
  switch (region) {
    case PromptRegion::kAccept:
      close(true);
      return false;
    case PromptRegion::kRefuse:
    case PromptRegion::kClose:
      close(false);
      return false;
    case PromptRegion::kControl:
      allowControl_ = !allowControl_;
      return true;
    case PromptRegion::kNone:
      return true;
  }
  return true;
}

// Enter refuses too: a keystroke meant for another window must never let someone in.
void AccessPromptState::key(PromptKey key) {
  if (key != PromptKey::kOther) close(false);
}

void AccessPromptState::closeRequested() { close(false); }

void AccessPromptState::close(bool accepted) {
  if (closed_) return;
  closed_ = true;
  accepted_ = accepted;
}

std::string promptRequesterName(const std::string& name) {
  return name.empty() ? "Desconhecido" : name;
}

std::string promptIdLine(const std::string& id) { return id.empty() ? "" : "ID " + id; }

std::string promptCountdownText(int secondsLeft) {
  return "Recusa automática em " + std::to_string(secondsLeft) + " s";
}

}  // namespace px
