#include "viewer/receive_handlers.h"

#include <gtest/gtest.h>

#include <string>

#include "base/data_folder.h"
#include "protocol/session_messages.h"
#include "support/frame_payload.h"

namespace px {
namespace {

void prepare(ScreenImage& image, int w, int h) {
  std::lock_guard lock(image.lock);
  ASSERT_TRUE(image.resetLocked(w, h));
}

Bytes solidFrame(int w, int h, uint32_t colour) {
  return test::FrameBuilder(w, h, w, h).solid(0, 0, w, h, colour).bytes();
}

TEST(ReceiveHandlersTest, MonitorSwitchKeepsOrBlanksThePicture) {
  ScreenImage image;
  OverlayState overlay;
  prepare(image, 64, 64);
  FrameReceiver receiver;
  std::optional<ThumbnailCopy> thumb;
  ASSERT_TRUE(receiver.handleFrameUpdate(image, solidFrame(64, 64, 0xFFFF0000), thumb));

  ASSERT_TRUE(handleMonitorSelected(image, overlay, true, buildMonitorSelected({1, 64, 64})));
  EXPECT_EQ(loadLe32(image.pixels.data()), 0xFFFF0000u) << "same size keeps the picture";
  EXPECT_EQ(overlay.currentMonitor, 1);
  EXPECT_EQ(overlay.statusText, u"64 \u00d7 64    Controle");

  ASSERT_TRUE(handleMonitorSelected(image, overlay, false, buildMonitorSelected({0, 32, 16})));
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.publishedHeight.load(), 16);
  EXPECT_EQ(image.pixels, Bytes(32 * 16 * 4, 0)) << "another size turns the image black";
  EXPECT_EQ(overlay.statusText, u"32 \u00d7 16    Somente visualiza\u00e7\u00e3o");

  // A frame made for the old size is refused whole.
  EXPECT_FALSE(receiver.handleFrameUpdate(image, solidFrame(64, 64, 0xFFFF0000), thumb));
  EXPECT_EQ(image.pixels, Bytes(32 * 16 * 4, 0));

  // Sizes a hostile host might announce to make the viewer allocate gigabytes.
  EXPECT_FALSE(
      handleMonitorSelected(image, overlay, false, buildMonitorSelected({0, 65535, 65535})));
  EXPECT_EQ(image.width, 32);
}

TEST(ReceiveHandlersTest, MonitorList) {
  OverlayState overlay;
  struct Case {
    Bytes payload;
    bool applied;
    int count, current;
  } cases[] = {
      {{2, 1, 0, 0, 0, 0, 0, 0, 0, 0}, true, 2, 1},
      {{2, 2, 0, 0, 0, 0, 0, 0, 0, 0}, true, 2, 0},  // current equal to count becomes 0
      {Bytes(2 + 36, 0), false, 2, 0},               // count 9 is ignored
      {{0, 0}, true, 0, 0},                          // no monitors: no tabs, nothing to pick
  };
  cases[2].payload[0] = 9;
  for (const auto& c : cases) {
    EXPECT_EQ(handleMonitorList(overlay, c.payload), c.applied);
    EXPECT_EQ(overlay.monitorCount, c.count);
    EXPECT_EQ(overlay.currentMonitor, c.current);
  }
}

TEST(ReceiveHandlersTest, ChatLinesAreCleanedAndCapped) {
  ChatLog chat;
  struct Case {
    std::string text;
    bool added;
    std::u16string stored;
  } cases[] = {
      {" \r\n\t ", false, u""},
      {"  ol\xC3\xA1\r\nmundo\t", true, u"ol\u00e1  mundo"},
      {"bad \xFF byte", true, u"bad \ufffd byte"},
      {std::string(600, 'x'), true, std::u16string(500, u'x')},
      {std::string(8001, 'x'), false, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    const size_t before = chat.entries.size();
    EXPECT_EQ(handleChatText(chat, asBytes(c.text)), c.added);
    ASSERT_EQ(chat.entries.size(), before + (c.added ? 1 : 0));
    if (c.added) {
      EXPECT_EQ(chat.entries.back().text, c.stored);
      EXPECT_FALSE(chat.entries.back().local);
    }
  }
  chat.entries.clear();
  for (int i = 1; i <= 201; ++i) handleChatText(chat, asBytes(std::to_string(i)));
  ASSERT_EQ(chat.entries.size(), 200u);
  EXPECT_EQ(chat.entries.front().text, u"2") << "the 201st line drops the oldest";
}

TEST(ReceiveHandlersTest, TwelfthGoodFrameGivesTheThumbnail) {
  ScreenImage image;
  prepare(image, 64, 64);
  image.thumbnailKey = "123456789";
  image.thumbnailCountdown = 12;
  FrameReceiver receiver;
  std::optional<ThumbnailCopy> thumb;
  const Bytes good = solidFrame(64, 64, 0xFF00FF00);
  const Bytes bad = solidFrame(32, 32, 0xFF00FF00);
  int copies = 0;
  for (int i = 1; i <= 20; ++i) {
    EXPECT_FALSE(receiver.handleFrameUpdate(image, bad, thumb)) << "failed frames do not count";
    EXPECT_FALSE(thumb);
    image.frameReady = false;
    ASSERT_TRUE(receiver.handleFrameUpdate(image, good, thumb));
    EXPECT_TRUE(image.frameReady.load());
    if (thumb) {
      ++copies;
      EXPECT_EQ(i, 12);
      EXPECT_EQ(thumb->key, "123456789");
      EXPECT_EQ(thumb->pixels, image.pixels);
    }
  }
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(image.thumbnailCountdown.load(), 0);
}

TEST(ReceiveHandlersTest, EmptyFrameSucceedsAndLegacyGarbageFails) {
  ScreenImage image;
  prepare(image, 16, 16);
  FrameReceiver receiver;
  std::optional<ThumbnailCopy> thumb;
  EXPECT_TRUE(receiver.handleFrameUpdate(image, test::FrameBuilder(16, 16, 16, 16).bytes(), thumb));
  EXPECT_TRUE(image.frameReady.load());
  image.frameReady = false;
  for (const Bytes& junk : {Bytes{}, Bytes{1, 2, 3}, Bytes{0xFF, 0xFF, 0xFF, 0x0F, 1, 2}}) {
    EXPECT_FALSE(receiver.handleFrameUpdate(image, junk, thumb));
  }
  EXPECT_FALSE(image.frameReady.load());
}

}  // namespace
}  // namespace px
