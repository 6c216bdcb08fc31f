#include "viewer/key_hook_decision.h"

#include <gtest/gtest.h>

namespace px {
namespace {

const char* name(KeyHookVerdict v) {
  switch (v) {
    case KeyHookVerdict::kPassOn: return "pass on";
    case KeyHookVerdict::kSendAndPassOn: return "send, pass on";
    case KeyHookVerdict::kSendAndSwallow: return "send, swallow";
  }
  return "?";
}

constexpr KeyHookContext kViewerInFront{true, false, false};
constexpr uint16_t kVkA = 0x41, kVkF4 = 0x73, kVkMenu = 0x12, kVkDelete = 0x2E;

TEST(ViewerKeyHookTest, WhatIsSentAndWhatTheLocalSystemSees) {
  struct Case {
    const char* what;
    KeyHookEvent event;
    KeyHookContext context;
    KeyHookVerdict verdict;
  };
  const Case cases[] = {
      {"letter", {true, kMsgKeyDown, kVkA, 0x1E, 0}, kViewerInFront,
       KeyHookVerdict::kSendAndPassOn},
      {"left Windows down", {true, kMsgKeyDown, kVkLeftWindows, 0x5B, kKeyFlagExtended},
       kViewerInFront, KeyHookVerdict::kSendAndSwallow},
      {"left Windows up", {true, kMsgKeyUp, kVkLeftWindows, 0x5B, kKeyFlagExtended},
       kViewerInFront, KeyHookVerdict::kSendAndSwallow},
      {"right Windows", {true, kMsgKeyDown, kVkRightWindows, 0x5C, kKeyFlagExtended},
       kViewerInFront, KeyHookVerdict::kSendAndSwallow},
      {"Applications", {true, kMsgKeyDown, kVkApplications, 0x5D, kKeyFlagExtended},
       kViewerInFront, KeyHookVerdict::kSendAndSwallow},
      {"Alt+Tab", {true, kMsgSysKeyDown, kVkTab, 0x0F, kKeyFlagAltDown}, kViewerInFront,
       KeyHookVerdict::kSendAndSwallow},
      {"Tab alone", {true, kMsgKeyDown, kVkTab, 0x0F, 0}, kViewerInFront,
       KeyHookVerdict::kSendAndPassOn},
      {"Alt+Esc", {true, kMsgSysKeyDown, kVkEscape, 0x01, kKeyFlagAltDown}, kViewerInFront,
       KeyHookVerdict::kSendAndSwallow},
      {"Ctrl+Esc", {true, kMsgKeyDown, kVkEscape, 0x01, 0}, {true, false, true},
       KeyHookVerdict::kSendAndSwallow},
      {"Esc alone", {true, kMsgKeyDown, kVkEscape, 0x01, 0}, kViewerInFront,
       KeyHookVerdict::kSendAndPassOn},
      {"Alt itself", {true, kMsgSysKeyDown, kVkMenu, 0x38, kKeyFlagAltDown}, kViewerInFront,
       KeyHookVerdict::kSendAndPassOn},
      {"Alt+F4 reaches the window, which swallows it",
       {true, kMsgSysKeyDown, kVkF4, 0x3E, kKeyFlagAltDown}, kViewerInFront,
       KeyHookVerdict::kSendAndPassOn},
      {"Ctrl+Tab", {true, kMsgKeyDown, kVkTab, 0x0F, 0}, {true, false, true},
       KeyHookVerdict::kSendAndPassOn},
      {"another window in front", {true, kMsgKeyDown, kVkLeftWindows, 0x5B, 0},
       {false, false, false}, KeyHookVerdict::kPassOn},
      {"typing in the chat", {true, kMsgKeyDown, kVkA, 0x1E, 0}, {true, true, false},
       KeyHookVerdict::kPassOn},
      {"Windows key while typing in the chat", {true, kMsgKeyDown, kVkLeftWindows, 0x5B, 0},
       {true, true, false}, KeyHookVerdict::kPassOn},
      {"not HC_ACTION", {false, kMsgKeyDown, kVkLeftWindows, 0x5B, 0}, kViewerInFront,
       KeyHookVerdict::kPassOn},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(name(decideKeyHook(c.event, c.context).verdict), name(c.verdict)) << c.what;
  }
}

TEST(ViewerKeyHookTest, KeyInputFields) {
  struct Case {
    KeyHookEvent event;
    KeyEvent key;
  };
  const Case cases[] = {
      {{true, kMsgKeyDown, kVkA, 0x1E, 0}, {kVkA, 0x1E, true, false}},
      {{true, kMsgKeyUp, kVkA, 0x1E, 0}, {kVkA, 0x1E, false, false}},
      {{true, kMsgSysKeyDown, kVkF4, 0x3E, kKeyFlagAltDown}, {kVkF4, 0x3E, true, false}},
      {{true, kMsgSysKeyUp, kVkTab, 0x0F, kKeyFlagAltDown}, {kVkTab, 0x0F, false, false}},
      {{true, kMsgKeyDown, kVkDelete, 0x53, kKeyFlagExtended}, {kVkDelete, 0x53, true, true}},
      {{true, kMsgKeyUp, kVkDelete, 0x53, kKeyFlagExtended | kKeyFlagAltDown},
       {kVkDelete, 0x53, false, true}},
  };
  for (const Case& c : cases) {
    const KeyEvent got = decideKeyHook(c.event, kViewerInFront).key;
    EXPECT_EQ(got.virtualKey, c.key.virtualKey);
    EXPECT_EQ(got.scanCode, c.key.scanCode);
    EXPECT_EQ(got.down, c.key.down) << std::hex << c.event.message;
    EXPECT_EQ(got.extended, c.key.extended) << std::hex << c.event.flags;
  }
}

TEST(ViewerKeyHookTest, FocusLossReleasesHeldKeysUnlessItStaysInTheViewer) {
  int viewer = 0, view = 0, other = 0;
  EXPECT_FALSE(focusLossReleasesKeys(&view, &viewer, &view));
  EXPECT_FALSE(focusLossReleasesKeys(&viewer, &viewer, &view));
  EXPECT_TRUE(focusLossReleasesKeys(&other, &viewer, &view));
  EXPECT_TRUE(focusLossReleasesKeys(nullptr, &viewer, &view)) << "focus left this program";
  EXPECT_TRUE(focusLossReleasesKeys(&other, &viewer, nullptr));
}

}  // namespace
}  // namespace px
