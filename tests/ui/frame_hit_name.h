// Frame hit answers by name, so a failed hit-test row says which region it got.
#pragma once

#include "ui/frame_layout.h"

namespace px {

inline const char* frameHitName(FrameHit h) {
  switch (h) {
    case FrameHit::kClient: return "client";
    case FrameHit::kCaption: return "caption";
    case FrameHit::kTopLeft: return "top-left";
    case FrameHit::kTopRight: return "top-right";
    case FrameHit::kBottomLeft: return "bottom-left";
    case FrameHit::kBottomRight: return "bottom-right";
    case FrameHit::kBottom: return "bottom";
    case FrameHit::kLeft: return "left";
    case FrameHit::kRight: return "right";
    case FrameHit::kTop: return "top";
  }
  return "?";
}

}  // namespace px
