// The home screen of a logged-in user (920 × 700 DIPs at first, resizable): "Sair" and the
// display name in the caption strip, the connect panel, the remote-password panel, this
// computer's ID card, the unattended-access section and where the cards begin. Plain values in,
// rectangles out.
#pragma once

#include <string_view>

#include "ui/geometry.h"
#include "ui/hit_regions.h"
#include "ui/id_card_layout.h"
#include "ui/status_line_layout.h"

namespace px {

inline constexpr const char* kLogoutButtonText = "Sair";
inline constexpr const char* kUnattendedHeading = "Acesso não supervisionado";
inline constexpr const char* kUnattendedSetHint =
    "Senha definida. Quem tiver o ID e a senha entra sem aceitar.";
inline constexpr const char* kUnattendedUnsetHint = "Sem senha. O acesso pede aceitação nesta tela.";
inline constexpr float kHomeCardTop = 184;
inline constexpr float kHomeCardsTop = 370;

struct HomeScreenInput {
  SizeF client;  // DIPs
  std::string_view id;  // this computer's ID; empty while unknown
  bool relayRegistered = false;
  IdCardMeasures measures;
};

struct HomeLayout {
  RectF logoutButton;         // "Sair", hit region of kind 9
  RectF displayName;          // `smallRightFormat`, secondary text
  RectF connectPanel;         // holds the ID edit
  RectF connectButton;        // native "Conectar", and "Desconectar" in its place
  RectF chatButton;           // native "Chat", left of "Desconectar"
  RectF remotePasswordPanel;  // holds the remote-password edit
  IdCardLayout card;
  RectF unattendedHeading;    // `smallFormat`, text colour
  RectF newPasswordField;     // field frame of the new-password edit
  RectF saveButton;           // native "Salvar"
  RectF unattendedHint;       // `hintFormat`, secondary text
  float cardsTop = kHomeCardsTop;
  StatusLineLayout statusLine;
};

HomeLayout layoutHomeScreen(const HomeScreenInput& input);

// Registers the screen's own regions in paint order: "Sair", then the ID digits (with the ID as
// key). The cards add theirs after these.
void addHomeRegions(const HomeLayout& layout, std::string_view id, HitRegionList& regions);

}  // namespace px
