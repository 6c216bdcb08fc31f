#include "ui/d2d_support_win.h"

#include <dwmapi.h>

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

// Newer DWM attributes than the mingw headers know.
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr DWORD kDwmWindowCornerPreference = 33;
constexpr DWORD kDwmBorderColour = 34;
constexpr DWORD kDwmCaptionColour = 35;
constexpr DWORD kDwmCornerRound = 2;

ComPtr<ID2D1SolidColorBrush> brush(ID2D1RenderTarget* target, Rgb colour) {
  ComPtr<ID2D1SolidColorBrush> b;
  target->CreateSolidColorBrush(toD2D(colour), &b);
  return b;
}

DWRITE_TEXT_ALIGNMENT textAlignment(TextAlign align) {
  switch (align) {
    case TextAlign::kCentre: return DWRITE_TEXT_ALIGNMENT_CENTER;
    case TextAlign::kTrailing: return DWRITE_TEXT_ALIGNMENT_TRAILING;
    case TextAlign::kLeading: break;
  }
  return DWRITE_TEXT_ALIGNMENT_LEADING;
}

}  // namespace

D2D1_COLOR_F toD2D(Rgb c) { return D2D1::ColorF(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f); }
D2D1_RECT_F toD2D(const RectF& r) { return D2D1::RectF(r.left, r.top, r.right, r.bottom); }
D2D1_POINT_2F toD2D(PointF p) { return D2D1::Point2F(p.x, p.y); }

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
  return out;
}

std::string narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

ComPtr<IDWriteTextFormat> createTextFormat(IDWriteFactory* factory, const TextStyle& style) {
  ComPtr<IDWriteTextFormat> format;
  const std::wstring family = widen(kFontFamily);
  if (FAILED(factory->CreateTextFormat(family.c_str(), nullptr, DWRITE_FONT_WEIGHT(style.weight),
                                       DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                       style.size, L"", &format))) {
    return nullptr;
  }
  format->SetTextAlignment(textAlignment(style.align));
  format->SetParagraphAlignment(style.paragraph == ParagraphAlign::kCentre
                                    ? DWRITE_PARAGRAPH_ALIGNMENT_CENTER
                                    : DWRITE_PARAGRAPH_ALIGNMENT_NEAR);
  // A wrapped text breaks inside a word too long for its line (a chat line of one long word),
  // instead of running out of its box.
  format->SetWordWrapping(style.wrap ? DWRITE_WORD_WRAPPING_EMERGENCY_BREAK
                                     : DWRITE_WORD_WRAPPING_NO_WRAP);
  if (style.ellipsis) {
    ComPtr<IDWriteInlineObject> sign;
    factory->CreateEllipsisTrimmingSign(format.Get(), &sign);
    const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
    format->SetTrimming(&trimming, sign.Get());
  }
  return format;
}

SizeF measureText(IDWriteFactory* factory, IDWriteTextFormat* format, std::wstring_view text,
                  float maxWidth, float maxHeight) {
  if (!factory || !format) return {};
  ComPtr<IDWriteTextLayout> layout;
  if (FAILED(factory->CreateTextLayout(text.data(), UINT32(text.size()), format, maxWidth,
                                       maxHeight, &layout))) {
    return {};
  }
  DWRITE_TEXT_METRICS metrics{};
  if (FAILED(layout->GetMetrics(&metrics))) return {};
  return {metrics.widthIncludingTrailingWhitespace, metrics.height};
}

float measureTextWidth(IDWriteFactory* factory, IDWriteTextFormat* format, std::wstring_view text) {
  // Wide enough that no text of ours wraps.
  return measureText(factory, format, text, 100000.0f, 1000.0f).width;
}

LRESULT toHitTestCode(FrameHit hit) {
  switch (hit) {
    case FrameHit::kClient: return HTCLIENT;
    case FrameHit::kCaption: return HTCAPTION;
    case FrameHit::kTopLeft: return HTTOPLEFT;
    case FrameHit::kTopRight: return HTTOPRIGHT;
    case FrameHit::kBottomLeft: return HTBOTTOMLEFT;
    case FrameHit::kBottomRight: return HTBOTTOMRIGHT;
    case FrameHit::kBottom: return HTBOTTOM;
    case FrameHit::kLeft: return HTLEFT;
    case FrameHit::kRight: return HTRIGHT;
    case FrameHit::kTop: return HTTOP;
  }
  return HTCLIENT;
}

void fillRect(ID2D1RenderTarget* target, const RectF& rect, Rgb colour) {
  if (auto b = brush(target, colour)) target->FillRectangle(toD2D(rect), b.Get());
}

void fillRoundedRect(ID2D1RenderTarget* target, const RectF& rect, float radius, Rgb colour) {
  if (auto b = brush(target, colour)) {
    target->FillRoundedRectangle(D2D1::RoundedRect(toD2D(rect), radius, radius), b.Get());
  }
}

void outlineRoundedRect(ID2D1RenderTarget* target, const RectF& rect, float radius, Rgb colour,
                        float width) {
  if (auto b = brush(target, colour)) {
    target->DrawRoundedRectangle(D2D1::RoundedRect(toD2D(rect), radius, radius), b.Get(), width);
  }
}

void drawLine(ID2D1RenderTarget* target, const LineF& line, Rgb colour, float width) {
  if (auto b = brush(target, colour)) {
    target->DrawLine(toD2D(line.from), toD2D(line.to), b.Get(), width);
  }
}

void fillDisc(ID2D1RenderTarget* target, PointF centre, float radius, Rgb colour) {
  if (auto b = brush(target, colour)) {
    target->FillEllipse(D2D1::Ellipse(toD2D(centre), radius, radius), b.Get());
  }
}

void drawPolygon(ID2D1RenderTarget* target, std::span<const PointF> points, Rgb colour,
                 float strokeWidth) {
  if (points.size() < 3) return;
  Microsoft::WRL::ComPtr<ID2D1Factory> factory;
  target->GetFactory(&factory);
  Microsoft::WRL::ComPtr<ID2D1PathGeometry> path;
  Microsoft::WRL::ComPtr<ID2D1GeometrySink> sink;
  if (!factory || FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
  sink->BeginFigure(toD2D(points[0]), D2D1_FIGURE_BEGIN_FILLED);
  for (size_t i = 1; i < points.size(); ++i) sink->AddLine(toD2D(points[i]));
  sink->EndFigure(D2D1_FIGURE_END_CLOSED);
  if (FAILED(sink->Close())) return;
  if (auto b = brush(target, colour)) {
    if (strokeWidth > 0) {
      target->DrawGeometry(path.Get(), b.Get(), strokeWidth);
    } else {
      target->FillGeometry(path.Get(), b.Get());
    }
  }
}

void drawText(ID2D1RenderTarget* target, std::wstring_view text, IDWriteTextFormat* format,
              const RectF& rect, Rgb colour) {
  if (!format || text.empty()) return;
  if (auto b = brush(target, colour)) {
    target->DrawText(text.data(), UINT32(text.size()), format, toD2D(rect), b.Get());
  }
}

void drawAppMark(ID2D1RenderTarget* target, PointF origin, float size) {
  const RectF square{origin.x, origin.y, origin.x + size, origin.y + size};
  fillRoundedRect(target, square, size / 4, kAccentColour);
  fillDisc(target, {origin.x + size / 2, origin.y + size / 2}, size / 6, kWhiteColour);
}

void applyDarkCorners(HWND window) {
  const DWORD corner = kDwmCornerRound;
  DwmSetWindowAttribute(window, kDwmWindowCornerPreference, &corner, sizeof corner);
  const BOOL dark = TRUE;
  DwmSetWindowAttribute(window, kDwmUseImmersiveDarkMode, &dark, sizeof dark);
  const COLORREF colour = RGB(kBackgroundColour.r, kBackgroundColour.g, kBackgroundColour.b);
  DwmSetWindowAttribute(window, kDwmBorderColour, &colour, sizeof colour);
  DwmSetWindowAttribute(window, kDwmCaptionColour, &colour, sizeof colour);
}

void applyDarkFrame(HWND window, bool disableNonClientRendering) {
  const MARGINS margins{0, 0, 0, 1};
  DwmExtendFrameIntoClientArea(window, &margins);
  applyDarkCorners(window);
  if (disableNonClientRendering) {
    const DWORD policy = DWMNCRP_DISABLED;
    DwmSetWindowAttribute(window, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy);
  }
}

}  // namespace px
