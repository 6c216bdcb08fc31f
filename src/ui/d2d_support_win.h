// The Direct2D / DirectWrite side of the theme: conversions from our portable geometry and
// colours, text formats built from their data, and the small drawing steps every painted window
// shares. Brushes are made per call, as the windows draw little.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <span>
#include <string>
#include <string_view>

#include "ui/frame_layout.h"
#include "ui/geometry.h"
#include "ui/rgb.h"
#include "ui/theme.h"

namespace px {

D2D1_COLOR_F toD2D(Rgb colour);
D2D1_RECT_F toD2D(const RectF& rect);
D2D1_POINT_2F toD2D(PointF point);

// UTF-8 to UTF-16 through the platform's conversion; invalid input becomes U+FFFD.
std::wstring widen(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string narrow(std::wstring_view utf16);
// The portable UTF-16 text as the platform's wide string (the same code units).
inline std::wstring wide(std::u16string_view text) { return {text.begin(), text.end()}; }

// Null on failure (the caller then draws without that text).
Microsoft::WRL::ComPtr<IDWriteTextFormat> createTextFormat(IDWriteFactory* factory,
                                                           const TextStyle& style);

// WM_NCHITTEST code for a frame answer.
LRESULT toHitTestCode(FrameHit hit);

// Size of `text` laid out in `format` within `maxWidth` × `maxHeight` DIPs (wrapping as the
// format says); zero when it cannot be measured.
SizeF measureText(IDWriteFactory* factory, IDWriteTextFormat* format, std::wstring_view text,
                  float maxWidth, float maxHeight);
// Width of `text` laid out on one line in `format`, in DIPs; 0 when it cannot be measured.
float measureTextWidth(IDWriteFactory* factory, IDWriteTextFormat* format, std::wstring_view text);
void fillRect(ID2D1RenderTarget* target, const RectF& rect, Rgb colour);
void fillRoundedRect(ID2D1RenderTarget* target, const RectF& rect, float radius, Rgb colour);
void outlineRoundedRect(ID2D1RenderTarget* target, const RectF& rect, float radius, Rgb colour,
                        float width);
void drawLine(ID2D1RenderTarget* target, const LineF& line, Rgb colour, float width);
void fillDisc(ID2D1RenderTarget* target, PointF centre, float radius, Rgb colour);
// A closed polygon: filled when `strokeWidth` is 0, else outlined with that width.
void drawPolygon(ID2D1RenderTarget* target, std::span<const PointF> points, Rgb colour,
                 float strokeWidth = 0);
void drawText(ID2D1RenderTarget* target, std::wstring_view text, IDWriteTextFormat* format,
              const RectF& rect, Rgb colour);
// The application mark: an accent rounded square with a white dot, `size` DIPs wide.
void drawAppMark(ID2D1RenderTarget* target, PointF origin, float size);

// Rounded corners, dark mode, and the background colour as DWM border and caption colour.
// Failures are ignored (older systems, Wine).
void applyDarkCorners(HWND window);
// The borderless painted frame: the frame extended by a bottom margin of 1, dark corners, and
// optionally non-client rendering disabled.
void applyDarkFrame(HWND window, bool disableNonClientRendering);

}  // namespace px
