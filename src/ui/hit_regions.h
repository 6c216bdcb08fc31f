// Painted, clickable rectangles of the main window. Painting registers them in paint order; the
// mouse handlers look them up. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/geometry.h"

namespace px {

enum class HitKind : int {
  kNone = 0,
  kIdDigits = 1,         // copy the key (this computer's ID)
  kCard = 2,             // connect to the card's ID
  kAccessButton = 3,     // "Acessar": enter the home screen
  kDisconnect = 4,       // painted "Desconectar": command 103
  kChat = 5,             // painted "Chat": command 108
  kLoginSubmit = 6,      // "Entrar": command 111
  kLoginBack = 7,        // "Voltar" on the login screen
  kRememberLogin = 8,    // "Lembrar neste computador"
  kLogout = 9,           // "Sair"
  kPasswordLink = 10,    // opens the access-password screen
  kPasswordSave = 11,    // "Salvar" on the password screen: command 107
  kPasswordBack = 12,    // "Voltar" on the password screen
  kPasswordRemove = 13,  // "Remover"
  kCardStar = 14,        // toggle favourite
};

struct HitRegion {
  HitKind kind = HitKind::kNone;
  RectF rect;        // DIPs, client coordinates
  std::string key;   // UTF-8 ID or address the region acts on; empty for buttons
};

class HitRegionList {
 public:
  // At the start of every paint.
  void clear() { regions_.clear(); }
  void add(HitKind kind, const RectF& rect, std::string key = {});

  // The first region in paint order that contains the point, or null.
  const HitRegion* at(PointF point) const;
  // The same, skipping regions whose kind is `skipA` or `skipB`.
  const HitRegion* atExcept(PointF point, HitKind skipA, HitKind skipB) const;
  // The first region of exactly this kind that contains the point, or null.
  const HitRegion* atKind(PointF point, HitKind kind) const;

  const std::vector<HitRegion>& regions() const { return regions_; }

 private:
  std::vector<HitRegion> regions_;
};

}  // namespace px
