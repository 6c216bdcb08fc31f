// Where the access-password settings are drawn: the two-field screen over the compact view and
// the one-field section of the home screen, with their colours and the screen's hit regions.
// The link that opens the screen is part of the compact view (compact_layout.h).
#pragma once

#include <optional>

#include "ui/compact_layout.h"
#include "ui/geometry.h"
#include "ui/hit_regions.h"
#include "ui/rgb.h"

namespace px {

inline constexpr float kFieldFrameRadius = 10;
inline constexpr float kPaintedButtonRadius = 8;

// A painted edit frame: field background, border by focus.
struct FieldFrameLayout {
  RectF rect;
  Rgb border;               // accent for the focused edit, else the separator colour
  float borderWidth = 1;    // 1.5 for the focused edit
};

// A painted button: `buttonFormat` text centred.
struct PaintedButtonLayout {
  RectF rect;
  const char* text = "";
  Rgb fill;
  Rgb textColour;
};

enum class PasswordEditFocus { kNone, kNewPassword, kRepeat };

struct PasswordScreenLayout {
  RectF heading;  // `smallFormat`, text colour
  const char* headingText = "";
  FieldFrameLayout newPassword, repeat;  // the edits sit inside, inset 14 DIPs
  PaintedButtonLayout save;              // kind 11
  PaintedButtonLayout back;              // kind 12
  std::optional<PaintedButtonLayout> remove;  // kind 13, only while a password is set
  RectF error;  // the password-screen error, `smallFormat`, negative colour
};

// `overlay` are the compact view's overlay frames for the client width `width`.
PasswordScreenLayout layoutPasswordScreen(const CompactOverlayRects& overlay, float width,
                                          bool passwordSet, HitKind hoverKind,
                                          PasswordEditFocus focus);

// "Salvar", "Voltar", then "Remover" when offered.
void addPasswordScreenRegions(const PasswordScreenLayout& layout, HitRegionList& regions);

struct UnattendedSectionLayout {
  RectF heading;  // "Acesso não supervisionado", `smallFormat`, text colour
  FieldFrameLayout field;  // holds the new-password edit
  RectF saveButton;        // the native "Salvar" (command 107), owner-drawn
  RectF hint;              // `hintFormat`, secondary text
  const char* hintText = "";
};

// The home screen's section below the ID card; `width` is the client width in DIPs.
UnattendedSectionLayout layoutUnattendedSection(float width, bool passwordSet, bool fieldFocused);

}  // namespace px
