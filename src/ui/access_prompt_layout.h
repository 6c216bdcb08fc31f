// The access prompt's fixed geometry (460 × 360 DIPs), its text formats and texts, and where it
// opens. Coordinates are DIPs relative to the window, whose client area is the whole window.
#pragma once

#include <string>
#include <string_view>

#include "ui/frame_layout.h"
#include "ui/geometry.h"
#include "ui/theme.h"

namespace px {

inline constexpr SizeF kPromptSize{460, 360};
inline constexpr int kPromptSeconds = 45;
inline constexpr unsigned kPromptTimerMs = 1000;

inline constexpr const char* kPromptWindowClass = "ParvolexPrompt";
inline constexpr const char* kPromptHeading = "Pedido de acesso remoto";
inline constexpr const char* kPromptUnknownName = "Desconhecido";
inline constexpr const char* kPromptWantsAccess = "quer acessar este computador.";
inline constexpr const char* kPromptWarning =
    "Aceite apenas se você conhece e confia nessa pessoa. Ela poderá ver tudo que está na sua "
    "tela.";
inline constexpr const char* kPromptControlLabel = "Permitir controlar mouse e teclado";
inline constexpr const char* kPromptRefuseText = "Recusar";
inline constexpr const char* kPromptAcceptText = "Aceitar";

// Hit-test regions; the numbers are the prompt's own region codes.
enum class PromptRegion : int { kNone = 0, kAccept = 1, kRefuse = 2, kControl = 3, kClose = 4 };

inline constexpr RectF kPromptCloseBox{412, 0, 460, 48};
inline constexpr RectF kPromptAcceptBox{300, 304, 432, 344};
inline constexpr RectF kPromptRefuseBox{168, 304, 288, 344};
inline constexpr RectF kPromptControlRow{28, 230, 432, 256};

inline constexpr TextStyle kPromptTitleFormat{13.5f, kSemiBoldWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kPromptHeadingFormat{20, kSemiBoldWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kPromptNameFormat{16, kSemiBoldWeight, TextAlign::kLeading, true,
                                                  ParagraphAlign::kCentre, true};
inline constexpr TextStyle kPromptBodyFormat{13.5f, kNormalWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kPromptSmallFormat{12.5f, kNormalWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kPromptButtonFormat{14, kSemiBoldWeight, TextAlign::kCentre, true};

PromptRegion promptRegionAt(PointF point);
// WM_NCHITTEST: the top 48 DIPs outside the regions drag the window; the rest is client.
FrameHit promptFrameHit(PointF point);

// The prompt's DPI: the main window's (0 when there is none), else the system's, else 96.
int promptDpi(int mainWindowDpi, int systemDpi);
// The window in screen pixels, centred in the work area of the chosen monitor.
RectPx promptWindowRect(const RectPx& workArea, int dpi);

// "Desconhecido" for an empty name.
std::string promptDisplayName(std::string_view name);
// "ID 123456789"; empty when there is no ID (the line is then not drawn).
std::string promptIdLine(std::string_view id);
// "Recusa automática em 45 s".
std::string promptCountdownText(int secondsLeft);

struct PromptLayout {
  RectF title;
  LineF separator;
  LineF closeGlyph[2];
  RectF heading, name;
  bool showIdLine = false;
  RectF idLine;
  RectF wantsAccess, warning;
  RectF checkBox;  // corner radius 4
  LineF checkMark[2];
  RectF controlLabel;
  RectF countdown;
  RectF refuse, accept;  // corner radius 8
  RectF frame;           // 1-DIP border, on half pixels
};

PromptLayout layoutPrompt(bool hasId);

}  // namespace px
