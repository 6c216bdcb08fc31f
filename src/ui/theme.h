// The dark theme shared by the main window, the access prompt and the host chat: colours and
// text formats as data, turned into brushes and DirectWrite formats by the drawing code.
#pragma once

#include "ui/rgb.h"

namespace px {

inline constexpr Rgb kBackgroundColour{30, 30, 33};  // also the DWM border and caption colour
inline constexpr Rgb kFieldColour{16, 16, 18};       // edit frames and native edit background
inline constexpr Rgb kSeparatorColour{54, 54, 60};   // separator lines and field borders
inline constexpr Rgb kAccentColour{227, 82, 5};
inline constexpr Rgb kAccentHoverColour{240, 107, 36};
inline constexpr Rgb kAccentDarkColour{196, 70, 4};  // accent while pressed
inline constexpr Rgb kTextColour{244, 244, 246};
inline constexpr Rgb kSecondaryTextColour{154, 156, 166};
inline constexpr Rgb kWhiteColour{255, 255, 255};
inline constexpr Rgb kSecondaryButtonColour{42, 42, 48};
inline constexpr Rgb kSecondaryButtonHoverColour{72, 40, 42};
inline constexpr Rgb kCaptionButtonHoverColour{48, 48, 54};  // minimise and maximise
inline constexpr Rgb kCloseHoverColour{232, 17, 35};
inline constexpr Rgb kPositiveColour{48, 209, 88};
inline constexpr Rgb kNegativeColour{255, 95, 86};

inline constexpr const char* kFontFamily = "Segoe UI";

enum class TextAlign { kLeading, kCentre, kTrailing };
enum class ParagraphAlign { kNear, kCentre };

// Normal style and stretch, empty locale.
struct TextStyle {
  float size;  // DIPs
  int weight;  // 400 normal, 600 semi-bold, 700 bold
  TextAlign align;
  bool wrap;
  ParagraphAlign paragraph = ParagraphAlign::kCentre;
  bool ellipsis = false;  // trim overflowing text with an ellipsis at character granularity
};

inline constexpr int kNormalWeight = 400;
inline constexpr int kSemiBoldWeight = 600;
inline constexpr int kBoldWeight = 700;

// The main window's formats.
inline constexpr TextStyle kTitleFormat{13.5f, kSemiBoldWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kBodyFormat{16, kNormalWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kIdFormat{34, kBoldWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kHintFormat{13, kNormalWeight, TextAlign::kCentre, true};
inline constexpr TextStyle kButtonFormat{13.5f, kSemiBoldWeight, TextAlign::kCentre, true};
inline constexpr TextStyle kSmallFormat{12.5f, kNormalWeight, TextAlign::kLeading, true};
inline constexpr TextStyle kSmallRightFormat{12.5f, kNormalWeight, TextAlign::kTrailing,
                                                  false};

// Native edit font: character height in DIPs at the window's DPI.
inline constexpr float kEditFontHeight = 15;

// Fills of the painted buttons (hover and pressed state decide).
Rgb primaryButtonFill(bool hovered, bool pressed);
Rgb secondaryButtonFill(bool hoveredOrPressed);

}  // namespace px
