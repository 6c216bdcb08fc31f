#include "ui/theme.h"

namespace px {

Rgb primaryButtonFill(bool hovered, bool pressed) {
  if (pressed) return kAccentDarkColour;
  return hovered ? kAccentHoverColour : kAccentColour;
}

Rgb secondaryButtonFill(bool hoveredOrPressed) {
  return hoveredOrPressed ? kSecondaryButtonHoverColour : kSecondaryButtonColour;
}

}  // namespace px
