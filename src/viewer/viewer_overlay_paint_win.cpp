#include "viewer/viewer_overlay_paint_win.h"

#include "ui/caption_strip_paint_win.h"
#include "ui/d2d_support_win.h"
#include "ui/message_list_win.h"
#include "ui/password_settings_layout.h"
#include "ui/theme.h"

namespace px {
namespace {

constexpr float kOverlayButtonRadius = 6;
constexpr float kPanelRadius = 10;

void drawOverlayButton(ID2D1RenderTarget* rt, IDWriteTextFormat* format, const RectF& box,
                       const std::string& label, OverlayButtonColours colours) {
  fillRoundedRect(rt, box, kOverlayButtonRadius, colours.fill);
  drawText(rt, widen(label), format, box, colours.text);
}

void drawBar(ID2D1RenderTarget* rt, const ViewerOverlayFormats& f, const ViewerOverlayLayout& l,
             const ViewerOverlayPaint& in) {
  fillRoundedRect(rt, l.bar, kPanelRadius, kFieldColour);
  drawText(rt, wide(in.remoteName), f.name, l.remoteName, kTextColour);
  drawText(rt, wide(in.status), f.status, l.statusText, kSecondaryTextColour);
  drawOverlayButton(rt, f.tab, l.chatToggle, kChatToggleText,
                    overlayButtonColours(l.chatShown, in.hover.chatToggle));
  for (size_t i = 0; i < l.tabs.size(); ++i) {
    const int index = int(i);
    drawOverlayButton(rt, f.tab, l.tabs[i], monitorTabLabel(index),
                      overlayButtonColours(index == in.currentMonitor, in.hover.tab == index));
  }
}

void drawChatPanel(ID2D1RenderTarget* rt, IDWriteFactory* dwrite, const ViewerOverlayFormats& f,
                   const ChatPanelLayout& c, const std::deque<ChatEntry>* chat) {
  fillRoundedRect(rt, c.panel, kPanelRadius, kFieldColour);
  outlineRoundedRect(rt, c.panel, kPanelRadius, kSeparatorColour, 1);
  if (!chat || chat->empty()) {
    drawText(rt, widen(kChatPanelEmptyText), f.chatLine, c.emptyText, kSecondaryTextColour);
  } else {
    drawMessageList(rt, dwrite, f.chatLine, *chat, c.messages);
  }
  // The native edit box sits inside this frame, as on the main window's fields.
  const RectF frame{c.edit.left - 4, c.edit.top - 4, c.edit.right + 4, c.edit.bottom + 4};
  outlineRoundedRect(rt, frame, kFieldFrameRadius, kSeparatorColour, 1);
}

}  // namespace

void paintViewerOverlay(ID2D1RenderTarget* rt, IDWriteFactory* dwrite,
                        const ViewerOverlayFormats& f, const ViewerOverlayLayout& l,
                        const ViewerOverlayPaint& in) {
  rt->Clear(toD2D(kBackgroundColour));
  drawCaptionStrip(rt, f.title, {in.client.width, in.hover.caption, in.maximised, true});
  drawBar(rt, f, l, in);
  if (l.chatShown) drawChatPanel(rt, dwrite, f, l.chat, in.chat);
}

}  // namespace px
