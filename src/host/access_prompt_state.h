// The access prompt's behaviour apart from its window: where the pointer is (regions in DIPs),
// what each mouse, key and timer event does, and the answer once it closes. The Win32 window
// only feeds it events and repaints when asked. Owned by the host connection thread that shows
// the prompt.
#pragma once

#include <string>

namespace px {

inline constexpr int kPromptSeconds = 45;
inline constexpr float kPromptWidthDip = 460;
inline constexpr float kPromptHeightDip = 360;
inline constexpr float kPromptCaptionDip = 48;

enum class PromptRegion { kNone = 0, kAccept = 1, kRefuse = 2, kControl = 3, kClose = 4 };

struct DipRect {
  float left, top, right, bottom;
  bool contains(float x, float y) const { return x >= left && x < right && y >= top && y < bottom; }
};

DipRect promptRegionBox(PromptRegion region);
// The region under a point given in DIPs from the window's top-left corner.
PromptRegion promptRegionAt(float x, float y);
// What the window answers to a hit test: the caption strip drags the window, except over a region.
bool promptDragsAt(float x, float y);

enum class PromptKey { kEscape, kEnter, kOther };

class AccessPromptState {
 public:
  // Each event returns true when the window must repaint. Once closed, events change nothing.
  bool tick();  // the one-second timer
  bool mouseMove(PromptRegion region);
  bool mouseLeave();
  bool buttonDown(PromptRegion region);
  bool buttonUp(PromptRegion region);
  void key(PromptKey key);
  void closeRequested();

  bool closed() const { return closed_; }
  bool accepted() const { return accepted_; }
  bool allowControl() const { return allowControl_; }
  int secondsLeft() const { return secondsLeft_; }
  PromptRegion hover() const { return hover_; }
  PromptRegion pressed() const { return pressed_; }

 private:
  void close(bool accepted);

  bool allowControl_ = true;
  bool accepted_ = false;
  bool closed_ = false;
  int secondsLeft_ = kPromptSeconds;
  PromptRegion hover_ = PromptRegion::kNone;
  PromptRegion pressed_ = PromptRegion::kNone;
};

// "Desconhecido" for an empty name; the ID line ("ID 123456789") is empty without an ID.
std::string promptRequesterName(const std::string& name);
std::string promptIdLine(const std::string& id);
// "Recusa automática em 45 s".
std::string promptCountdownText(int secondsLeft);

}  // namespace px
