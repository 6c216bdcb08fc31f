// Draws the chat message list (message_list_layout.h) with Direct2D: the host chat window's
// history and, later, the viewer's chat panel.
#pragma once

#include <d2d1.h>
#include <dwrite.h>

#include <deque>

#include "ui/chat_entry.h"
#include "ui/geometry.h"

namespace px {

// `lineFormat` wraps and is top-aligned; `dwrite` measures with it. Nothing is drawn outside
// `area` (DIPs).
void drawMessageList(ID2D1RenderTarget* target, IDWriteFactory* dwrite,
                     IDWriteTextFormat* lineFormat, const std::deque<ChatEntry>& entries,
                     const RectF& area);

}  // namespace px
