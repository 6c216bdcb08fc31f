#include "ui/main_controls_layout.h"

#include <gtest/gtest.h>

#include <map>

#include "geometry_print.h"
#include "ui/main_mouse.h"
#include "ui/theme.h"

namespace px {
namespace {

enum class Host { kIdle, kPending, kActive };

MainControlsInput input(SizeF client, bool home, bool login, bool password, Host host,
                        bool chat = false) {
  MainControlsInput in;
  in.client = client;
  in.homeShown = home;
  in.loginShown = login;
  in.passwordScreenShown = password;
  in.hostIdle = host == Host::kIdle;
  in.hostActive = host == Host::kActive;
  in.chatWindowOpen = chat;
  return in;
}

using M = MainControl;

TEST(UiMainControlsTest, EachScreenShowsItsControlsInTheirFrames) {
  constexpr SizeF compact{560, 300}, home{920, 700}, smallest{720, 640};
  struct Case {
    const char* name;
    MainControlsInput in;
    std::map<MainControl, RectF> shown;  // every other control is hidden
  };
  const Case cases[] = {
      {"compact", input(compact, false, false, false, Host::kIdle), {}},
      {"compact, host session", input(compact, false, false, false, Host::kActive, true), {}},
      {"login screen",
       input(compact, false, true, false, Host::kIdle),
       {{M::kLoginEdit, {42, 96, 518, 116}}, {M::kLoginPasswordEdit, {42, 142, 518, 162}}}},
      {"password screen",
       input(compact, false, false, true, Host::kIdle),
       {{M::kNewPasswordEdit, {42, 96, 518, 116}}, {M::kRepeatPasswordEdit, {42, 142, 518, 162}}}},
      {"home",
       input(home, true, false, false, Host::kIdle),
       {{M::kIdEdit, {42, 78, 754, 98}},
        {M::kConnect, {768, 70, 886, 106}},
        {M::kRemotePasswordEdit, {42, 132, 878, 152}},
        {M::kNewPasswordEdit, {42, 306, 754, 326}},
        {M::kSavePassword, {782, 296, 892, 336}}}},
      {"home at its smallest",
       input(smallest, true, false, false, Host::kPending),
       {{M::kIdEdit, {42, 78, 554, 98}},
        {M::kConnect, {568, 70, 686, 106}},
        {M::kRemotePasswordEdit, {42, 132, 678, 152}},
        {M::kNewPasswordEdit, {42, 306, 554, 326}},
        {M::kSavePassword, {582, 296, 692, 336}}}},
      {"home, host session",
       input(home, true, false, false, Host::kActive),
       {{M::kIdEdit, {42, 78, 754, 98}},
        {M::kDisconnect, {768, 70, 886, 106}},
        {M::kRemotePasswordEdit, {42, 132, 878, 152}},
        {M::kNewPasswordEdit, {42, 306, 754, 326}},
        {M::kSavePassword, {782, 296, 892, 336}}}},
      {"home, host session with chat",
       input(home, true, false, false, Host::kActive, true),
       {{M::kIdEdit, {42, 78, 660, 98}},
        {M::kChat, {674, 70, 758, 106}},
        {M::kDisconnect, {768, 70, 886, 106}},
        {M::kRemotePasswordEdit, {42, 132, 878, 152}},
        {M::kNewPasswordEdit, {42, 306, 754, 326}},
        {M::kSavePassword, {782, 296, 892, 336}}}},
      // The chat window outlives nothing here: without a session there is no "Chat".
      {"home, chat flag without a session",
       input(home, true, false, false, Host::kIdle, true),
       {{M::kIdEdit, {42, 78, 754, 98}},
        {M::kConnect, {768, 70, 886, 106}},
        {M::kRemotePasswordEdit, {42, 132, 878, 152}},
        {M::kNewPasswordEdit, {42, 306, 754, 326}},
        {M::kSavePassword, {782, 296, 892, 336}}}},
  };
  for (const Case& c : cases) {
    const MainControlsPlacement p = placeMainControls(c.in);
    for (MainControl control : kAllMainControls) {
      const auto expected = c.shown.find(control);
      const bool shown = expected != c.shown.end();
      EXPECT_EQ(p[control].shown, shown) << c.name << ", control " << int(control);
      if (shown) {
        EXPECT_EQ(p[control].rect, expected->second) << c.name << ", control " << int(control)
                                                     << ": " << p[control].rect;
      }
    }
  }
}

TEST(UiMainControlsTest, HostStateSetsReadOnlyAndConnectEnabled) {
  struct Case {
    Host host;
    bool readOnly, connectEnabled;
  };
  const Case cases[] = {{Host::kIdle, false, true}, {Host::kPending, false, false},
                        {Host::kActive, true, false}};
  for (const Case& c : cases) {
    for (bool home : {true, false}) {
      const MainControlsPlacement p = placeMainControls(input({920, 700}, home, false, false, c.host));
      EXPECT_EQ(p[M::kIdEdit].readOnly, c.readOnly) << int(c.host);
      EXPECT_EQ(p[M::kRemotePasswordEdit].readOnly, c.readOnly) << int(c.host);
      EXPECT_EQ(p[M::kConnect].enabled, c.connectEnabled) << int(c.host);
      for (M other : {M::kLoginEdit, M::kLoginPasswordEdit, M::kNewPasswordEdit}) {
        EXPECT_FALSE(p[other].readOnly);
        EXPECT_TRUE(p[other].enabled);
      }
    }
  }
}

TEST(UiMainControlsTest, EditsSitInsideTheirFieldsCentredVertically) {
  struct Case {
    RectF field, edit;
  };
  const Case cases[] = {{{28, 88, 532, 124}, {42, 96, 518, 116}},
                        {{28, 122, 892, 162}, {42, 132, 878, 152}},
                        {{0, 0, 100, 21}, {14, 0.5f, 86, 20.5f}}};
  for (const Case& c : cases) EXPECT_EQ(editInField(c.field), c.edit) << editInField(c.field);
}

TEST(UiMainControlsTest, ControlsCarryTheirIdentifiersTextsAndLimits) {
  struct Case {
    MainControl control;
    int id;
    bool edit;
    const char* text;
    int limit;
    bool hidden, lower;
  };
  const Case cases[] = {
      {M::kIdEdit, 101, true, "Código do computador", 255, false, false},
      {M::kConnect, 102, false, "Conectar", 0, false, false},
      {M::kDisconnect, 103, false, "Desconectar", 0, false, false},
      {M::kRemotePasswordEdit, 105, true, "Senha, se o remoto exigir", 128, true, false},
      {M::kNewPasswordEdit, 106, true, "Definir senha de acesso", 128, true, false},
      {M::kRepeatPasswordEdit, 106, true, "Repita a senha", 128, true, false},
      {M::kSavePassword, 107, false, "Salvar", 0, false, false},
      {M::kChat, 108, false, "Chat", 0, false, false},
      {M::kLoginEdit, 109, true, "Login", 64, false, true},
      {M::kLoginPasswordEdit, 110, true, "Senha", 128, true, false},
  };
  for (const Case& c : cases) {
    const MainControlInfo& s = mainControlInfo(c.control);
    EXPECT_EQ(s.commandId, c.id);
    EXPECT_EQ(s.edit, c.edit) << c.id;
    EXPECT_STREQ(s.text, c.text) << c.id;
    EXPECT_EQ(s.limit, c.limit) << c.id;
    EXPECT_EQ(s.hiddenCharacters, c.hidden) << c.id;
    EXPECT_EQ(s.lowerCase, c.lower) << c.id;
  }
}

TEST(UiMainControlsTest, EnterAndTabInTheEdits) {
  struct Case {
    MainControl edit;
    EditKey key;
    bool connectShown, passwordScreen;
    EditKeyAction expected;
  };
  const EditKeyAction none{};
  auto post = [](int command) { return EditKeyAction{command, false, M::kIdEdit}; };
  auto focus = [](MainControl c) { return EditKeyAction{0, true, c}; };
  const Case cases[] = {
      {M::kLoginEdit, EditKey::kEnter, false, false, post(kLoginCommand)},
      {M::kLoginPasswordEdit, EditKey::kEnter, false, false, post(kLoginCommand)},
      {M::kNewPasswordEdit, EditKey::kEnter, true, false, post(kSavePasswordCommand)},
      {M::kRepeatPasswordEdit, EditKey::kEnter, false, true, post(kSavePasswordCommand)},
      {M::kIdEdit, EditKey::kEnter, true, false, post(kConnectCommand)},
      {M::kRemotePasswordEdit, EditKey::kEnter, true, false, post(kConnectCommand)},
      {M::kIdEdit, EditKey::kEnter, false, false, none},
      {M::kRemotePasswordEdit, EditKey::kEnter, false, false, none},
      {M::kLoginEdit, EditKey::kTab, false, false, focus(M::kLoginPasswordEdit)},
      {M::kLoginPasswordEdit, EditKey::kTab, false, false, focus(M::kLoginEdit)},
      {M::kRepeatPasswordEdit, EditKey::kTab, false, true, focus(M::kNewPasswordEdit)},
      {M::kNewPasswordEdit, EditKey::kTab, false, true, focus(M::kRepeatPasswordEdit)},
      {M::kNewPasswordEdit, EditKey::kTab, true, false, none},
      {M::kIdEdit, EditKey::kTab, true, false, none},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(editKeyAction(c.edit, c.key, c.connectShown, c.passwordScreen), c.expected)
        << int(c.edit) << " key " << int(c.key);
  }
}

TEST(MainControlsLayout, OwnerButtonLooks) {
  using M = MainControl;
  struct Case {
    MainControl button;
    bool hovered, pressed;
    OwnerButtonLook expected;
  };
  const Case cases[] = {
      {M::kConnect, false, false, {kAccentColour, kWhiteColour}},
      {M::kConnect, true, false, {kAccentHoverColour, kWhiteColour}},
      {M::kSavePassword, true, true, {kAccentDarkColour, kWhiteColour}},
      {M::kDisconnect, false, false, {kSecondaryButtonColour, kNegativeColour}},
      {M::kDisconnect, true, true, {kSecondaryButtonHoverColour, kNegativeColour}},
      {M::kChat, false, false, {kSecondaryButtonColour, kTextColour}},
      {M::kChat, true, false, {kSecondaryButtonHoverColour, kTextColour}},
  };
  for (const Case& c : cases) {
    const OwnerButtonLook look = ownerButtonLook(c.button, c.hovered, c.pressed);
    EXPECT_TRUE(look == c.expected) << int(c.button) << " hovered " << c.hovered << " pressed "
                                    << c.pressed;
  }
}

}  // namespace
}  // namespace px
