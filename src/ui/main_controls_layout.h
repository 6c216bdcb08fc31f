// The main window's native controls: what each one is (command identifier, cue or caption,
// length limit) and, for the current layout and screen, whether it is shown, where (DIPs) and
// whether it takes input. Plain values in; the window only carries the answer out.
#pragma once

#include <array>
#include <cstddef>

#include "ui/geometry.h"
#include "ui/rgb.h"

namespace px {

enum class MainControl : int {
  kIdEdit,
  kConnect,
  kDisconnect,
  kRemotePasswordEdit,
  kNewPasswordEdit,
  kRepeatPasswordEdit,
  kSavePassword,
  kChat,
  kLoginEdit,
  kLoginPasswordEdit,
};
inline constexpr size_t kMainControlCount = 10;
inline constexpr std::array<MainControl, kMainControlCount> kAllMainControls{
    MainControl::kIdEdit,           MainControl::kConnect,
    MainControl::kDisconnect,       MainControl::kRemotePasswordEdit,
    MainControl::kNewPasswordEdit,  MainControl::kRepeatPasswordEdit,
    MainControl::kSavePassword,     MainControl::kChat,
    MainControl::kLoginEdit,        MainControl::kLoginPasswordEdit,
};

struct MainControlInfo {
  int commandId = 0;   // the control identifier; the new-password and repeat edits share 106
  bool edit = false;   // an edit box, else an owner-drawn button
  const char* text = "";  // the button's caption or the edit's cue banner
  int limit = 0;          // UTF-16 units an edit takes; 0 for buttons
  bool hiddenCharacters = false;
  bool lowerCase = false;  // the edit turns what is typed into lower case
};
const MainControlInfo& mainControlInfo(MainControl control);

inline constexpr float kEditInset = 14;   // from each side of the edit's field frame
inline constexpr float kEditHeight = 20;  // one line of the 15-DIP edit font

// An edit inside its painted field frame: inset horizontally, centred vertically.
RectF editInField(const RectF& field);

struct MainControlsInput {
  SizeF client;  // DIPs
  bool homeShown = false;
  bool loginShown = false;
  bool passwordScreenShown = false;
  bool hostIdle = true;     // `HostState` is `Idle`
  bool hostActive = false;  // `HostState` is `Active`
  bool chatWindowOpen = false;
};

struct ControlPlacement {
  bool shown = false;
  RectF rect;  // DIPs, client coordinates; meaningful only when shown
  bool enabled = true;
  bool readOnly = false;  // edits only
  friend bool operator==(const ControlPlacement&, const ControlPlacement&) = default;
};

struct MainControlsPlacement {
  std::array<ControlPlacement, kMainControlCount> controls{};
  const ControlPlacement& operator[](MainControl c) const { return controls[size_t(c)]; }
  ControlPlacement& operator[](MainControl c) { return controls[size_t(c)]; }
};

// The compact view shows no home control: the login edits only on the login screen, the two
// new-password edits only on the password screen. The home screen shows the ID and
// remote-password edits, "Conectar" (or "Desconectar" and "Chat" during a host session), the
// new-password edit and "Salvar".
MainControlsPlacement placeMainControls(const MainControlsInput& input);

// An owner-drawn button's look: "Conectar" and "Salvar" in the accent colours (dark while
// pressed), "Desconectar" and "Chat" in the secondary-button colours; white text on the accent
// buttons, the negative colour for "Desconectar".
struct OwnerButtonLook {
  Rgb fill;
  Rgb text;
  friend bool operator==(const OwnerButtonLook&, const OwnerButtonLook&) = default;
};
OwnerButtonLook ownerButtonLook(MainControl button, bool hovered, bool pressed);

// Keys the edit boxes handle themselves (their characters are swallowed, never typed).
enum class EditKey { kEnter, kTab };

struct EditKeyAction {
  int command = 0;                        // posted to the main window; 0 for none
  bool moveFocus = false;
  MainControl focus = MainControl::kIdEdit;  // with moveFocus
  friend bool operator==(const EditKeyAction&, const EditKeyAction&) = default;
};

// Enter submits the edit's screen (the connect command only while "Conectar" is shown); Tab
// moves between the two login edits and between the two new-password edits.
EditKeyAction editKeyAction(MainControl edit, EditKey key, bool connectShown,
                            bool passwordScreenShown);

}  // namespace px
