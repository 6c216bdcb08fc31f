// What the main window does with the mouse over its painted content: hover state, the cursor and
// the action of a click, decided from the last paint's hit regions. Main thread only.
#pragma once

#include <string>
#include <string_view>

#include "ui/frame_layout.h"
#include "ui/hit_regions.h"

namespace px {

// Native control command identifiers.
inline constexpr int kIdEditCommand = 101;
inline constexpr int kConnectCommand = 102;
inline constexpr int kDisconnectCommand = 103;
inline constexpr int kRemotePasswordEditCommand = 105;
inline constexpr int kNewPasswordEditCommand = 106;  // the new-password and the repeat edit
inline constexpr int kSavePasswordCommand = 107;
inline constexpr int kChatCommand = 108;
inline constexpr int kLoginEditCommand = 109;
inline constexpr int kLoginPasswordEditCommand = 110;
inline constexpr int kLoginCommand = 111;  // no control carries it

inline constexpr const char* kIdCopiedStatus = "ID copiado";

struct HoverState {
  CaptionButton captionHover = CaptionButton::kNone;
  HitKind hoverKind = HitKind::kNone;  // hovered region other than ID digits and cards
  std::string hoverCardKey;            // key of the hovered card, empty if none
  friend bool operator==(const HoverState&, const HoverState&) = default;
};

HoverState hoverAt(PointF point, float width, bool homeShown, const HitRegionList& regions);

enum class Repaint { kNone, kCaptionStrip, kWholeWindow };

// Stores `next` and says what to repaint: only the 48-DIP caption strip when only the caption
// hover changed, everything when the hovered region or card changed.
Repaint updateHover(HoverState& state, const HoverState& next);

// Over any hit region the hand cursor, elsewhere the default arrow.
bool handCursorAt(PointF point, const HitRegionList& regions);

enum class ClickAction {
  kNone,
  kPressCaptionButton,  // remember it in `pressedCaption` and capture the mouse
  kCopyId,              // key to the clipboard, then `status` (also when the clipboard failed)
  kConnectToCard,       // connect to `key`
  kEnterHomeScreen,
  kCommand,             // post `command` to the main window
  kLeaveLoginScreen,
  kToggleRememberLogin,
  kLogout,
  kOpenPasswordScreen,
  kClosePasswordScreen,
  kRemovePassword,
  kToggleFavourite,     // of `key`
};

struct ClickDecision {
  ClickAction action = ClickAction::kNone;
  CaptionButton captionButton = CaptionButton::kNone;  // for kPressCaptionButton
  int command = 0;                                     // for kCommand
  std::string key;
  std::string_view status;  // status text to set after the action; empty for none
  friend bool operator==(const ClickDecision&, const ClickDecision&) = default;
};

// Left button down in the client area: caption buttons first, else the first region.
ClickDecision clickAt(PointF point, float width, bool homeShown, const HitRegionList& regions);
// The action of a region, from its kind.
ClickDecision regionClick(const HitRegion& region);

}  // namespace px
