// The compact view of the main window (560 × 300 DIPs): the "Acessar" button, the overlay
// frames of the login and password screens, the ID card, the access-password link, the painted
// session buttons and the status line. Plain values in, rectangles and decisions out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/geometry.h"
#include "ui/hit_regions.h"
#include "ui/id_card_layout.h"
#include "ui/rgb.h"
#include "ui/status_line_layout.h"

namespace px {

inline constexpr const char* kAccessButtonText = "Acessar";
inline constexpr const char* kChatButtonText = "Chat";
inline constexpr const char* kDisconnectButtonText = "Desconectar";
inline constexpr const char* kPasswordLinkUnsetText = "Definir senha de acesso";
inline constexpr const char* kPasswordLinkSetText = "Senha de acesso definida · alterar";

struct CompactViewInput {
  SizeF client;                 // DIPs
  bool sessionActive = false;   // `HostState` is `Active`
  bool chatWindowOpen = false;  // the host chat window exists
  bool overlayOpen = false;     // the login or the password screen is shown instead of the card
  std::string_view id;          // this computer's ID; empty while unknown
  bool relayRegistered = false;  // `RelayStatus` is 2
  bool passwordSet = false;      // an unattended-access password is stored
  IdCardMeasures measures;
  float passwordLinkTextWidth = 0;  // the link's text in `buttonFormat`, for the hover pill
};

// The frames shared by the login and the password screen.
struct CompactOverlayRects {
  RectF firstField;       // login or new password
  RectF secondField;      // password or repeat
  RectF primaryButton;    // "Entrar" or "Salvar"
  RectF secondaryButton;  // "Voltar"
  RectF checkBox;         // "Lembrar neste computador"
};

struct PasswordLinkLayout {
  RectF line;  // hit region of kind 10
  RectF pill;  // drawn behind the text only while hovered
  const char* text = "";
  bool accentText = false;  // accent colour while no password is set, else the text colour
};

struct CompactLayout {
  RectF accessButton;  // hit region of kind 3
  CompactOverlayRects overlay;
  float cardTop = 0;
  bool showCard = false;
  IdCardLayout card;
  std::optional<PasswordLinkLayout> passwordLink;
  std::optional<RectF> chatButton;        // painted, kind 5
  std::optional<RectF> disconnectButton;  // painted, kind 4
  StatusLineLayout statusLine;
};

// Top T of the ID card, vertically centred between the caption strip and the status line.
float compactCardTop(float height, bool sessionActive);

CompactLayout layoutCompactView(const CompactViewInput& input);

// Registers the view's regions in paint order: "Acessar", the ID digits (with the ID as key), the
// password link, "Chat", "Desconectar". The overlay screens add their own.
void addCompactRegions(const CompactLayout& layout, std::string_view id, HitRegionList& regions);

// "Acessar": accent, accent hover while hovered, the secondary-button fill while an overlay is
// open.
Rgb accessButtonFill(bool overlayOpen, bool hovered);
// Text colour of a painted session button: the text colour for "Chat", negative for
// "Desconectar".
Rgb sessionButtonTextColour(HitKind kind);

}  // namespace px
