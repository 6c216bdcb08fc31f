#include "ui/main_controls_layout.h"

#include "ui/compact_layout.h"
#include "ui/home_layout.h"
#include "ui/main_mouse.h"
#include "ui/theme.h"

namespace px {
namespace {

constexpr int kIdLimit = 255;
constexpr int kLoginLimit = 64;
constexpr int kPasswordLimit = 128;

constexpr std::array<MainControlInfo, kMainControlCount> kControlInfo{{
    {kIdEditCommand, true, "Código do computador", kIdLimit},
    {kConnectCommand, false, "Conectar"},
    {kDisconnectCommand, false, kDisconnectButtonText},
    {kRemotePasswordEditCommand, true, "Senha, se o remoto exigir", kPasswordLimit, true},
    {kNewPasswordEditCommand, true, "Definir senha de acesso", kPasswordLimit, true},
    {kNewPasswordEditCommand, true, "Repita a senha", kPasswordLimit, true},
    {kSavePasswordCommand, false, "Salvar"},
    {kChatCommand, false, kChatButtonText},
    {kLoginEditCommand, true, "Login", kLoginLimit, false, true},
    {kLoginPasswordEditCommand, true, "Senha", kPasswordLimit, true},
}};

void show(ControlPlacement& control, const RectF& rect) {
  control.shown = true;
  control.rect = rect;
}

void placeHome(const MainControlsInput& in, MainControlsPlacement& out) {
  HomeScreenInput homeInput;
  homeInput.client = in.client;
  const HomeLayout home = layoutHomeScreen(homeInput);
  // The buttons share the connect panel with the ID edit, which ends before the first of them.
  float buttonsLeft = home.connectButton.left;
  if (in.hostActive) {
    show(out[MainControl::kDisconnect], home.connectButton);
    if (in.chatWindowOpen) {
      show(out[MainControl::kChat], home.chatButton);
      buttonsLeft = home.chatButton.left;
    }
  } else {
    show(out[MainControl::kConnect], home.connectButton);
  }
  RectF idEdit = editInField(home.connectPanel);
  idEdit.right = buttonsLeft - kEditInset;
  show(out[MainControl::kIdEdit], idEdit);
  show(out[MainControl::kRemotePasswordEdit], editInField(home.remotePasswordPanel));
  show(out[MainControl::kNewPasswordEdit], editInField(home.newPasswordField));
  show(out[MainControl::kSavePassword], home.saveButton);
}

void placeCompactOverlay(const MainControlsInput& in, MainControlsPlacement& out) {
  CompactViewInput compact;
  compact.client = in.client;
  const CompactOverlayRects overlay = layoutCompactView(compact).overlay;
  if (in.loginShown) {
    show(out[MainControl::kLoginEdit], editInField(overlay.firstField));
    show(out[MainControl::kLoginPasswordEdit], editInField(overlay.secondField));
  } else if (in.passwordScreenShown) {
    show(out[MainControl::kNewPasswordEdit], editInField(overlay.firstField));
    show(out[MainControl::kRepeatPasswordEdit], editInField(overlay.secondField));
  }
}

}  // namespace

const MainControlInfo& mainControlInfo(MainControl control) { return kControlInfo[size_t(control)]; }

RectF editInField(const RectF& field) {
  const float top = field.top + (field.height() - kEditHeight) / 2;
  return {field.left + kEditInset, top, field.right - kEditInset, top + kEditHeight};
}

MainControlsPlacement placeMainControls(const MainControlsInput& in) {
  MainControlsPlacement out;
  // A technician being helped keeps what was typed, but cannot change it or connect out.
  out[MainControl::kIdEdit].readOnly = in.hostActive;
  out[MainControl::kRemotePasswordEdit].readOnly = in.hostActive;
  out[MainControl::kConnect].enabled = in.hostIdle;
  if (in.homeShown) {
    placeHome(in, out);
  } else {
    placeCompactOverlay(in, out);
  }
  return out;
}

EditKeyAction editKeyAction(MainControl edit, EditKey key, bool connectShown,
                            bool passwordScreenShown) {
  EditKeyAction action;
  auto focus = [&action](MainControl target) {
    action.moveFocus = true;
    action.focus = target;
  };
  if (key == EditKey::kEnter) {
    switch (edit) {
      case MainControl::kLoginEdit:
      case MainControl::kLoginPasswordEdit: action.command = kLoginCommand; break;
      case MainControl::kNewPasswordEdit:
      case MainControl::kRepeatPasswordEdit: action.command = kSavePasswordCommand; break;
      case MainControl::kIdEdit:
      case MainControl::kRemotePasswordEdit:
        if (connectShown) action.command = kConnectCommand;
        break;
      default: break;
    }
    return action;
  }
  switch (edit) {
    case MainControl::kLoginEdit: focus(MainControl::kLoginPasswordEdit); break;
    case MainControl::kLoginPasswordEdit: focus(MainControl::kLoginEdit); break;
    case MainControl::kRepeatPasswordEdit: focus(MainControl::kNewPasswordEdit); break;
    case MainControl::kNewPasswordEdit:
      if (passwordScreenShown) focus(MainControl::kRepeatPasswordEdit);
      break;
    default: break;
  }
  return action;
}

OwnerButtonLook ownerButtonLook(MainControl button, bool hovered, bool pressed) {
  switch (button) {
    case MainControl::kDisconnect:
      return {hovered ? kSecondaryButtonHoverColour : kSecondaryButtonColour, kNegativeColour};
    case MainControl::kChat:
      return {hovered ? kSecondaryButtonHoverColour : kSecondaryButtonColour, kTextColour};
    default: {
      const Rgb fill = pressed ? kAccentDarkColour : hovered ? kAccentHoverColour : kAccentColour;
      return {fill, kWhiteColour};
    }
  }
}

}  // namespace px
