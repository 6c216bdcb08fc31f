#include "viewer/view_mouse.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(ViewerViewMouseTest, MessagesBecomeMouseInput) {
  struct Case {
    const char* what;
    uint32_t message;
    uint64_t wParam;
    ViewMouseInput expected;
  };
  using C = MouseCapture;
  const Case cases[] = {
      {"move", kMsgMouseMove, 0x0001, {kMouseMove, 0, 0, C::kKeep, false, false}},
      {"left down", kMsgLeftDown, 0x0001, {kMousePress, kButtonLeft, 0, C::kTake, false, false}},
      {"left up", kMsgLeftUp, 0, {kMouseRelease, kButtonLeft, 0, C::kRelease, false, false}},
      {"right down", kMsgRightDown, 0x0002, {kMousePress, kButtonRight, 0, C::kTake, false, false}},
      {"right up", kMsgRightUp, 0, {kMouseRelease, kButtonRight, 0, C::kRelease, false, false}},
      {"middle down", kMsgMiddleDown, 0x0010,
       {kMousePress, kButtonMiddle, 0, C::kTake, false, false}},
      {"middle up", kMsgMiddleUp, 0, {kMouseRelease, kButtonMiddle, 0, C::kRelease, false, false}},
      {"first extra down", kMsgExtraDown, 0x0001'0020,
       {kMousePress, kButtonX1, 0, C::kTake, false, true}},
      {"second extra up", kMsgExtraUp, 0x0002'0000,
       {kMouseRelease, kButtonX2, 0, C::kRelease, false, true}},
      {"wheel away", kMsgWheel, 0x0078'0000, {kMouseWheel, 0, 120, C::kKeep, true, false}},
      {"wheel toward", kMsgWheel, 0xFF88'0008, {kMouseWheel, 0, -120, C::kKeep, true, false}},
      {"wheel, 64-bit parameter with high bits", kMsgWheel, 0xFFFF'FFFF'FFC4'0000,
       {kMouseWheel, 0, -60, C::kKeep, true, false}},
      {"horizontal wheel", kMsgHorizontalWheel, 0x00F0'0000,
       {kMouseHWheel, 0, 240, C::kKeep, true, false}},
  };
  for (const Case& c : cases) {
    const auto got = viewMouseInput(c.message, c.wParam);
    ASSERT_TRUE(got) << c.what;
    EXPECT_EQ(got->action, c.expected.action) << c.what;
    EXPECT_EQ(got->button, c.expected.button) << c.what;
    EXPECT_EQ(got->wheelDelta, c.expected.wheelDelta) << c.what;
    EXPECT_EQ(got->capture, c.expected.capture) << c.what;
    EXPECT_EQ(got->screenPosition, c.expected.screenPosition) << c.what;
    EXPECT_EQ(got->returnsTrue, c.expected.returnsTrue) << c.what;
  }
}

TEST(ViewerViewMouseTest, OtherMessagesSendNothing) {
  const std::pair<uint32_t, uint64_t> cases[] = {
      {0x0203, 0},            // left double click: the system makes it only with CS_DBLCLKS
      {0x020D, 0x0002'0000},  // extra double click
      {kMsgExtraDown, 0},     // names neither extra button
      {kMsgExtraUp, 0x0003'0000},
      {0x0100, 0},
  };
  for (const auto& [message, wParam] : cases) {
    EXPECT_FALSE(viewMouseInput(message, wParam)) << std::hex << message;
  }
}

}  // namespace
}  // namespace px
