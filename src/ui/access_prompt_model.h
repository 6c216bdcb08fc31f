// The access prompt's behaviour without the window: hover and press, the countdown, the
// checkbox, and the single close with its result. The Win32 window feeds it events (positions in
// DIPs) and does what the returned reaction says. Owned by the prompt's thread.
#pragma once

#include "ui/access_prompt_layout.h"
#include "ui/rgb.h"

namespace px {

enum class PromptReaction { kNone, kRepaint, kClose };

class AccessPromptModel {
 public:
  PromptReaction onTimer();
  // A changed hover region asks for a repaint (and, in the window, a mouse-leave notification).
  PromptReaction onMouseMove(PointF point);
  PromptReaction onMouseLeave();
  // Remembers the pressed region; the window captures the mouse.
  PromptReaction onButtonDown(PointF point);
  // Acts only when released over the region pressed; the window releases the capture.
  PromptReaction onButtonUp(PointF point);
  // Escape, Enter, the close message and Alt+F4 all refuse.
  PromptReaction onRefuseKeyOrClose();

  bool closed() const { return closed_; }
  bool accepted() const { return accepted_; }
  bool allowControl() const { return allowControl_; }
  int secondsLeft() const { return secondsLeft_; }
  PromptRegion hover() const { return hover_; }
  PromptRegion pressed() const { return pressed_; }

  // Fills as drawn now.
  Rgb acceptFill() const;
  Rgb refuseFill() const;
  bool closeHovered() const { return hover_ == PromptRegion::kClose; }

 private:
  PromptReaction close(bool accepted);

  bool allowControl_ = true;
  bool accepted_ = false;
  bool closed_ = false;
  int secondsLeft_ = kPromptSeconds;
  PromptRegion hover_ = PromptRegion::kNone;
  PromptRegion pressed_ = PromptRegion::kNone;
};

}  // namespace px
