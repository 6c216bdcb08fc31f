// The login screen, an overlay of the compact view: the heading, the two field frames, the
// "Lembrar neste computador" check box, "Voltar", "Entrar" and the error line. Plain values in,
// rectangles and regions out.
#pragma once

#include <array>

#include "ui/geometry.h"
#include "ui/hit_regions.h"

namespace px {

inline constexpr const char* kLoginHeading = "Entre com o seu login para acessar outros computadores";
inline constexpr const char* kRememberLoginText = "Lembrar neste computador";
inline constexpr const char* kLoginBackText = "Voltar";
inline constexpr const char* kLoginSubmitText = "Entrar";
inline constexpr const char* kLoginBusyText = "Entrando...";

struct LoginScreenLayout {
  RectF heading;        // `smallFormat`, text colour
  RectF loginField;     // field frame of the login edit
  RectF passwordField;  // field frame of the login-password edit
  RectF checkBox;       // corner radius 4
  std::array<LineF, 2> checkMark;  // white, drawn only while checked
  RectF rememberLabel;  // `smallFormat`, right of the box
  RectF rememberRegion;  // kind 8: box and label
  RectF backButton;     // "Voltar", kind 7
  RectF submitButton;   // "Entrar", kind 6 unless a login is in progress
  const char* submitText = kLoginSubmitText;
  bool submitClickable = true;
  RectF error;  // `smallFormat`, negative colour
};

// `rememberLabelWidth`: the label measured in `smallFormat`.
LoginScreenLayout layoutLoginScreen(SizeF client, bool loginInProgress, float rememberLabelWidth);

// In paint order: the check box with its label, "Voltar", then "Entrar" (not while a login runs,
// so a second click cannot start a second login).
void addLoginRegions(const LoginScreenLayout& layout, HitRegionList& regions);

}  // namespace px
