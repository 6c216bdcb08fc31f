#include "protocol/session_messages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace px {
namespace {

// Every parser with the shortest payload it accepts: one byte less is refused, and nothing is
// read past the span (the sanitizers see to that; the span is cut from a larger buffer).
struct MinimumCase {
  const char* name;
  size_t minimum;
  std::function<bool(ByteView)> parses;
  uint8_t fill = 1;  // zero sizes and counts make the shortest valid payloads for some types
};

TEST(SessionMessagesTest, EveryParserRefusesPayloadsShorterThanItsLayout) {
  const MinimumCase cases[] = {
      {"HostHello", 5, [](ByteView b) { return parseHostHello(b).has_value(); }},
      {"AccessRequest", 112, [](ByteView b) { return parseAccessRequest(b).has_value(); }},
      {"AccessReply", 2, [](ByteView b) { return parseAccessReply(b).has_value(); }},
      {"PasswordParams", 20, [](ByteView b) { return parsePasswordParams(b).has_value(); }},
      {"CursorShape", 8, [](ByteView b) { return parseCursorShape(b).has_value(); }, 0},
      {"MonitorList", 2, [](ByteView b) { return parseMonitorList(b).has_value(); }, 0},
      {"MonitorSelected", 5, [](ByteView b) { return parseMonitorSelected(b).has_value(); }},
      {"MouseInput", 17, [](ByteView b) { return parseMouseInput(b).has_value(); }},
      {"KeyInput", 6, [](ByteView b) { return parseKeyInput(b).has_value(); }},
      {"SelectMonitor", 1, [](ByteView b) { return parseSelectMonitor(b).has_value(); }},
      {"ChatText", 1, [](ByteView b) { return parseChatText(b).has_value(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes backing(200, c.fill);
    EXPECT_TRUE(c.parses(ByteView(backing).first(c.minimum)));
    EXPECT_TRUE(c.parses(ByteView(backing).first(c.minimum + 7))) << "trailing bytes are ignored";
    EXPECT_FALSE(c.parses(ByteView(backing).first(c.minimum - 1)));
  }
}

TEST(SessionMessagesTest, FixedLayoutsRoundTrip) {
  const auto hello = parseHostHello(buildHostHello({1366, 768}));
  ASSERT_TRUE(hello);
  EXPECT_EQ(hello->width, 1366);
  EXPECT_EQ(hello->height, 768);
  EXPECT_EQ(buildHostHello({1, 2})[4], 32);

  MouseInput mouse{-5, 70000, 1 | 16, -120, kMouseWheel};
  const Bytes mouseBytes = buildMouseInput(mouse);
  ASSERT_EQ(mouseBytes.size(), 17u);
  const auto back = parseMouseInput(mouseBytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->x, -5);
  EXPECT_EQ(back->y, 70000);
  EXPECT_EQ(back->buttons, 17u);
  EXPECT_EQ(back->wheelDelta, -120);
  EXPECT_EQ(back->action, 3);

  const auto key = parseKeyInput(buildKeyInput({0x5B, 0x15B, true, true}));
  ASSERT_TRUE(key);
  EXPECT_EQ(key->virtualKey, 0x5B);
  EXPECT_EQ(key->scanCode, 0x15B);
  EXPECT_TRUE(key->down && key->extended);

  PasswordParams params;
  params.salt.fill(0xA5);
  params.iterations = 100000;
  const auto p = parsePasswordParams(buildPasswordParams(params));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->salt, params.salt);
  EXPECT_EQ(p->iterations, 100000u);

  const auto selected = parseMonitorSelected(buildMonitorSelected({2, 2560, 1440}));
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->index, 2);
  EXPECT_EQ(selected->width, 2560);
}

TEST(SessionMessagesTest, AccessRequestTextFieldsAreCutAndNulPadded) {
  AccessRequest request;
  request.computerId = "123456789";
  request.displayName = std::string(70, 'n');  // longer than the 63 bytes that travel
  request.proof.fill(7);
  const Bytes bytes = buildAccessRequest(request);
  ASSERT_EQ(bytes.size(), 112u);
  EXPECT_EQ(bytes[16 + 63], 0) << "the name field always ends with a NUL";
  const auto parsed = parseAccessRequest(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->computerId, "123456789");
  EXPECT_EQ(parsed->displayName, std::string(63, 'n'));
  EXPECT_EQ(parsed->proof, request.proof);

  Bytes full(112, 'x');  // no NUL at all: read to the field's end, never beyond
  const auto unterminated = parseAccessRequest(full);
  ASSERT_TRUE(unterminated);
  EXPECT_EQ(unterminated->computerId.size(), 16u);
  EXPECT_EQ(unterminated->displayName.size(), 64u);
}

TEST(SessionMessagesTest, RefusedReplyNeverGrantsControl) {
  const auto reply = parseAccessReply(Bytes{0, 1});
  ASSERT_TRUE(reply);
  EXPECT_FALSE(reply->accepted);
  EXPECT_FALSE(reply->control);
  EXPECT_EQ(buildAccessReply({false, true}), (Bytes{0, 0}));
  EXPECT_EQ(buildAccessReply({true, true}), (Bytes{1, 1}));
}

TEST(SessionMessagesTest, ChatTextLimits) {
  struct Case {
    size_t size;
    bool accepted;
  } cases[] = {{0, false}, {1, true}, {8000, true}, {8001, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string text(c.size, 'a');
    EXPECT_EQ(parseChatText(asBytes(text)).has_value(), c.accepted);
    Bytes payload;
    EXPECT_EQ(buildChatText(text, payload), c.accepted);
  }
}

TEST(SessionMessagesTest, MonitorListLimits) {
  struct Case {
    Bytes payload;
    bool accepted;
  } cases[] = {
      {{1, 0, 0x80, 7, 0x38, 4}, true},
      {{2, 0, 0x80, 7, 0x38, 4}, false},  // second entry missing
      {Bytes(2 + 4 * 9, 1), false},       // count 9
      {Bytes{9, 0}, false},
      {Bytes{0, 0}, true},  // an empty list is harmless
  };
  cases[2].payload[0] = 9;
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(parseMonitorList(cases[i].payload).has_value(), cases[i].accepted);
  }
  MonitorList list;
  list.current = 1;
  list.monitors = {{1920, 1080}, {1280, 1024}};
  Bytes payload;
  ASSERT_TRUE(buildMonitorList(list, payload));
  const auto parsed = parseMonitorList(payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->current, 1);
  ASSERT_EQ(parsed->monitors.size(), 2u);
  EXPECT_EQ(parsed->monitors[1].height, 1024);
  list.monitors.resize(9);
  EXPECT_FALSE(buildMonitorList(list, payload));
}

TEST(SessionMessagesTest, MonitorSelectedWithZeroSizeIsIgnored) {
  EXPECT_FALSE(parseMonitorSelected(buildMonitorSelected({0, 0, 1080})));
  EXPECT_FALSE(parseMonitorSelected(buildMonitorSelected({0, 1920, 0})));
}

TEST(SessionMessagesTest, CursorShapeNeedsAllItsPixels) {
  CursorShape shape;
  shape.width = 2;
  shape.height = 3;
  shape.hotX = 1;
  shape.pixels.assign(2 * 3 * 4, 0x42);
  Bytes payload;
  ASSERT_TRUE(buildCursorShape(shape, payload));
  ASSERT_EQ(payload.size(), 8u + 24u);
  const auto parsed = parseCursorShape(payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->pixels, shape.pixels);
  EXPECT_EQ(parsed->hotX, 1);

  payload.pop_back();
  EXPECT_FALSE(parseCursorShape(payload));
  // A huge announced size must be refused from the length alone, not allocated.
  Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 2, 3, 4};
  EXPECT_FALSE(parseCursorShape(huge));
  shape.pixels.pop_back();
  EXPECT_FALSE(buildCursorShape(shape, payload));
}

}  // namespace
}  // namespace px
