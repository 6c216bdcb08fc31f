// A running host session over a real loopback channel with the fake capturer: the hello
// exchange, the send loop (key frames, dirty rectangles, backpressure, pointer shapes, monitor
// switches) and the input thread (view-only, Ping, chat, Bye).
#include <gtest/gtest.h>

#include "host/frame_encoder.h"
#include "host/host_session.h"
#include "host/host_test_support.h"
#include "host/recording_input_injector.h"
#include "net/channel_pair.h"
#include "protocol/frame_format.h"
#include "protocol/session_messages.h"
#include "viewer/frame_decoder.h"

namespace px {
namespace {

using test::Message;
using test::paintStep;
using test::receiveMessage;
using test::receiveUntil;
using test::sendMessage;

const std::vector<MonitorInfo> kMonitors = {
    {0, 0, 320, 200, {0, 0, 320, 200}},
    {0, 1, 160, 128, {320, 0, 480, 128}},
};

struct FrameInfo {
  uint32_t index = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  uint32_t tiles = 0;
  int64_t area = 0;  // summed tile areas
  std::vector<TileRect> rects;
};

FrameInfo frameInfo(const Bytes& p) {
  FrameInfo f;
  FrameHeader header;
  EXPECT_TRUE(readFrameHeader(p, header));
  f.index = header.frameIndex;
  f.screenWidth = header.screenWidth;
  f.screenHeight = header.screenHeight;
  f.tiles = header.tileCount;
  size_t at = kFrameHeaderSize;
  for (uint32_t i = 0; i < f.tiles && at + kTileHeaderSize <= p.size(); ++i) {
    const TileHeader tile = readTileHeader(p.data() + at);
    const TileRect r{tile.x, tile.y, tile.w, tile.h};
    f.rects.push_back(r);
    f.area += int64_t(r.w) * r.h;
    at += kTileHeaderSize + tile.length;
  }
  return f;
}

class HostSessionTest : public testing::Test {
 protected:
  void start(bool control) {
    capturer_ = new test::ScriptedCapturer(kMonitors);
    HostDependencies deps;
    deps.events = &events_;
    deps.appRunning = &appRunning_;
    deps.createCapturer = [this]() -> std::unique_ptr<ScreenCapturer> {
      return std::unique_ptr<ScreenCapturer>(capturer_);
    };
    deps.writableNow = [this](SecureChannel& c) { return !stalled_.load() && canSendNow(c); };
    deps.createInjector = [this]() -> std::unique_ptr<InputInjector> {
      auto injector = std::make_unique<RecordingInputInjector>(VirtualScreen{0, 0, 480, 200});
      injector_ = injector.get();
      return injector;
    };
    host_ = std::make_unique<HostService>(std::move(deps));
    SecureChannel hostEnd;
    test::connectPair(viewer_, hostEnd);
    test::installTestKeys(viewer_, hostEnd, test::filledKey(1), test::filledKey(2));
    host_->startHostSession({std::make_unique<SecureChannel>(std::move(hostEnd)), control, "tecnico"});
  }

  // The viewer's side of the hello exchange; then the first key frame after one paint.
  void hello() {
    auto hostHello = receiveMessage(viewer_);
    ASSERT_TRUE(hostHello);
    ASSERT_EQ(hostHello->type, uint8_t(MessageType::kHostHello));
    auto size = parseHostHello(hostHello->payload);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 320);
    EXPECT_EQ(size->height, 200);
    ASSERT_TRUE(sendMessage(viewer_, MessageType::kViewerReady));
    auto list = receiveMessage(viewer_);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->type, uint8_t(MessageType::kMonitorList));
    auto monitors = parseMonitorList(list->payload);
    ASSERT_TRUE(monitors);
    ASSERT_EQ(monitors->monitors.size(), 2u);
    EXPECT_EQ(monitors->current, 0);
    EXPECT_EQ(monitors->monitors[1].width, 160);
    auto selected = receiveMessage(viewer_);
    ASSERT_TRUE(selected);
    ASSERT_EQ(selected->type, uint8_t(MessageType::kMonitorSelected));
  }

  Bytes nextFrame() {
    auto m = receiveUntil(viewer_, MessageType::kFrameUpdate);
    EXPECT_TRUE(m);
    return m ? m->payload : Bytes{};
  }

  // Nothing but `type` arrives next: a Ping answered in order proves nothing was sent before.
  void expectNothingPendingBut(MessageType) {
    ASSERT_TRUE(sendMessage(viewer_, MessageType::kPing));
    auto m = receiveMessage(viewer_);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->type, uint8_t(MessageType::kPong));
  }

  void TearDown() override {
    if (host_) {
      host_->disconnect();
      host_->joinSession();
    }
  }

  std::atomic<bool> appRunning_{true};
  std::atomic<bool> stalled_{false};
  test::RecordingHostEvents events_;
  test::ScriptedCapturer* capturer_ = nullptr;  // owned by the capture thread
  RecordingInputInjector* injector_ = nullptr;  // owned by the input thread
  SecureChannel viewer_;
  std::unique_ptr<HostService> host_;
};

TEST_F(HostSessionTest, FirstFrameIsAKeyFrameOfTheWholeMonitorThenOnlyChanges) {
  start(true);
  hello();
  EXPECT_EQ(host_->state(), HostState::kActive);
  EXPECT_EQ(events_.statusesCopy().at(0), "Sessao ativa: tecnico");
  capturer_->push(paintStep({10, 10, 20, 20}, 0xFF0000FF));
  const FrameInfo key = frameInfo(nextFrame());
  EXPECT_EQ(key.index, 0u);
  EXPECT_EQ(key.area, 320 * 200);

  capturer_->push(paintStep({200, 130, 210, 140}, 0xFF00FF00));
  const FrameInfo change = frameInfo(nextFrame());
  EXPECT_EQ(change.index, 1u);
  ASSERT_EQ(change.rects.size(), 1u);
  EXPECT_EQ(change.rects[0].x, 192);
  EXPECT_EQ(change.rects[0].y, 128);
}

TEST_F(HostSessionTest, AnUnchangedScreenSendsNothing) {
  start(true);
  hello();
  capturer_->push(paintStep({0, 0, 8, 8}, 0xFF112233));
  nextFrame();
  capturer_->push(paintStep({0, 0, 8, 8}, 0xFF112233));  // same pixels again
  capturer_->waitDrained();
  expectNothingPendingBut(MessageType::kPong);
}

TEST_F(HostSessionTest, MoreThan48PendingRectanglesBecomeTheWholeScreen) {
  start(true);
  hello();
  capturer_->push(paintStep({0, 0, 8, 8}, 0xFF112233));
  nextFrame();
  // A change in the lower right, reported only by rectangles elsewhere: with 48 of them the
  // encoder looks only there and finds nothing; with 49 it looks at the whole screen.
  const std::vector<PixelRect> elsewhere48(48, PixelRect{0, 0, 8, 8});
  capturer_->push({paintStep({300, 180, 310, 190}, 0xFF445566), {}, elsewhere48});
  capturer_->waitDrained();
  expectNothingPendingBut(MessageType::kPong);

  std::vector<PixelRect> elsewhere49(49, PixelRect{0, 0, 8, 8});
  capturer_->push({paintStep({300, 180, 310, 190}, 0xFF778899), {}, elsewhere49});
  const FrameInfo f = frameInfo(nextFrame());
  ASSERT_EQ(f.rects.size(), 1u);
  EXPECT_EQ(f.rects[0].x, 256);
  EXPECT_EQ(f.rects[0].y, 128);
}

TEST_F(HostSessionTest, ABusyChannelHoldsFramesAndOneLaterFrameCarriesEverything) {
  start(true);
  hello();
  capturer_->push(paintStep({0, 0, 4, 4}, 0xFF0000FF));
  nextFrame();
  stalled_ = true;
  const PixelRect places[] = {{70, 5, 80, 15}, {140, 70, 150, 80}, {300, 150, 310, 160}};
  uint32_t colour = 0xFF102030;
  for (const PixelRect& r : places) capturer_->push(paintStep(r, colour += 0x10101));
  capturer_->waitDrained();
  expectNothingPendingBut(MessageType::kPong);

  stalled_ = false;
  const Bytes payload = nextFrame();
  const FrameInfo f = frameInfo(payload);
  ASSERT_EQ(f.rects.size(), 3u);
  EXPECT_EQ(f.index, 1u);
  Bytes image(size_t(320) * 200 * 4, 0);
  FrameDecoder decoder;
  ASSERT_TRUE(decoder.decodeTiledFrame(payload, image.data(), 320, 200));
  const Bytes truth = capturer_->screen();
  for (const PixelRect& r : places) {
    const size_t at = (size_t(r.top) * 320 + r.left) * 4;
    EXPECT_EQ(loadLe32(&image[at]), loadLe32(&truth[at]));
  }
  expectNothingPendingBut(MessageType::kPong);
}

TEST_F(HostSessionTest, PointerShapeIsSentWhenItChanges) {
  start(true);
  hello();
  CursorImage cursor{2, 3, 1, 2, Bytes(2 * 3 * 4, 0x7F)};
  capturer_->push({paintStep({0, 0, 4, 4}, 0xFF000000), cursor, {}});
  auto m = receiveMessage(viewer_);
  ASSERT_TRUE(m);
  ASSERT_EQ(m->type, uint8_t(MessageType::kCursorShape));
  auto shape = parseCursorShape(m->payload);
  ASSERT_TRUE(shape);
  EXPECT_EQ(shape->width, 2);
  EXPECT_EQ(shape->height, 3);
  EXPECT_EQ(shape->hotX, 1);
  EXPECT_EQ(shape->hotY, 2);
  EXPECT_EQ(shape->pixels, cursor.pixels);
  nextFrame();
  capturer_->push(paintStep({0, 0, 4, 4}, 0xFF0000FF));  // no new shape
  m = receiveMessage(viewer_);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->type, uint8_t(MessageType::kFrameUpdate));
}

TEST_F(HostSessionTest, ACaptureGenerationChangeSendsAFullKeyFrame) {
  start(true);
  hello();
  capturer_->push(paintStep({0, 0, 4, 4}, 0xFF0000FF));
  nextFrame();
  FakeScreenCapturer::Step lost;
  lost.kind = FakeScreenCapturer::Step::kAccessLost;
  capturer_->push(lost);
  capturer_->push(paintStep({0, 0, 4, 4}, 0xFF00FF00));
  const FrameInfo f = frameInfo(nextFrame());
  EXPECT_EQ(f.area, 320 * 200);
}

TEST_F(HostSessionTest, MonitorSwitchRequestsInRangeSwitchAndOthersDoNothing) {
  start(false);  // allowed in view-only sessions
  hello();
  for (uint8_t index : {uint8_t(0), uint8_t(2), uint8_t(255)}) {
    ASSERT_TRUE(sendMessage(viewer_, MessageType::kSelectMonitor, buildSelectMonitor({index})));
  }
  capturer_->waitDrained();
  expectNothingPendingBut(MessageType::kPong);

  ASSERT_TRUE(sendMessage(viewer_, MessageType::kSelectMonitor, buildSelectMonitor({1})));
  auto m = receiveUntil(viewer_, MessageType::kMonitorSelected);
  ASSERT_TRUE(m);
  auto selected = parseMonitorSelected(m->payload);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->index, 1);
  EXPECT_EQ(selected->width, 160);
  EXPECT_EQ(selected->height, 128);
  capturer_->push(paintStep({0, 0, 4, 4}, 0xFF00FF00));
  const FrameInfo f = frameInfo(nextFrame());
  EXPECT_EQ(f.screenWidth, 160);
  EXPECT_EQ(f.area, 160 * 128);
}

TEST_F(HostSessionTest, ViewOnlyDropsInputButControlInjectsIt) {
  for (bool control : {false, true}) {
    SCOPED_TRACE(control ? "control" : "view only");
    start(control);
    hello();
    ASSERT_TRUE(sendMessage(viewer_, MessageType::kMouseInput, buildMouseInput({5, 6, 0, 0, 0})));
    const Bytes shortMouse(16, 0);
    ASSERT_TRUE(sendMessage(viewer_, MessageType::kMouseInput, shortMouse));
    ASSERT_TRUE(sendMessage(viewer_, MessageType::kKeyInput, buildKeyInput({0x41, 0, true, false})));
    expectNothingPendingBut(MessageType::kPong);  // the input thread has handled all three
    if (control) {
      ASSERT_NE(injector_, nullptr);
      EXPECT_EQ(injector_->mouse.size(), 1u);
      EXPECT_EQ(injector_->keys.size(), 1u);
    } else {
      EXPECT_EQ(injector_, nullptr);
      EXPECT_TRUE(events_.statusesCopy().at(0).ends_with(" (somente visualizacao)"));
    }
    host_->disconnect();
    host_->joinSession();
    closeChannel(viewer_);
    injector_ = nullptr;
  }
}

TEST_F(HostSessionTest, ChatTextWithinLimitsReachesTheShell) {
  start(false);
  hello();
  Bytes chat;
  ASSERT_TRUE(buildChatText(std::string(8000, 'a'), chat));
  ASSERT_TRUE(sendMessage(viewer_, MessageType::kChatText, chat));
  ASSERT_TRUE(sendMessage(viewer_, MessageType::kChatText, Bytes(8001, 'b')));
  ASSERT_TRUE(sendMessage(viewer_, MessageType::kChatText, asBytes("ola")));
  expectNothingPendingBut(MessageType::kPong);
  const auto chats = events_.chatsCopy();
  ASSERT_EQ(chats.size(), 2u);
  EXPECT_EQ(chats[0].size(), 8000u);
  EXPECT_EQ(chats[1], "ola");
}

TEST_F(HostSessionTest, ChatTypedHereReachesTheViewerOnlyWhileTheSessionRuns) {
  start(false);
  // Before the hello exchange a chat line would reach the viewer ahead of HostHello and break
  // the handshake: it is refused, and the hello still comes first.
  EXPECT_FALSE(host_->sendChat("cedo demais"));
  hello();
  EXPECT_FALSE(host_->sendChat(""));
  EXPECT_FALSE(host_->sendChat(std::string(8001, 'x')));
  ASSERT_TRUE(host_->sendChat("oi, pode entrar"));
  auto chat = receiveUntil(viewer_, MessageType::kChatText);
  ASSERT_TRUE(chat);
  EXPECT_EQ(parseChatText(chat->payload), "oi, pode entrar");
  host_->disconnect();
  host_->joinSession();
  EXPECT_FALSE(host_->sendChat("tarde demais"));
}

TEST_F(HostSessionTest, ByeFromTheViewerEndsTheSession) {
  start(true);
  hello();
  ASSERT_TRUE(sendMessage(viewer_, MessageType::kBye));
  ASSERT_TRUE(events_.waitEnded(1));
  EXPECT_EQ(events_.ended, std::vector<bool>{false});
  host_->joinSession();
  EXPECT_EQ(host_->state(), HostState::kIdle);
  auto bye = receiveUntil(viewer_, MessageType::kBye);
  EXPECT_TRUE(bye);
  EXPECT_FALSE(receiveMessage(viewer_));
}

TEST_F(HostSessionTest, DisconnectEndsAnIdleViewOnlySessionWithBye) {
  start(false);
  hello();
  host_->disconnect();
  ASSERT_TRUE(events_.waitEnded(1));
  EXPECT_TRUE(receiveUntil(viewer_, MessageType::kBye));
}

TEST_F(HostSessionTest, AViewerThatNeverSaysReadyEndsTheSession) {
  start(true);
  auto hostHello = receiveMessage(viewer_);
  ASSERT_TRUE(hostHello);
  ASSERT_TRUE(sendMessage(viewer_, MessageType::kPing));  // anything but ViewerReady
  ASSERT_TRUE(events_.waitEnded(1));
  const auto statuses = events_.statusesCopy();
  EXPECT_EQ(statuses.back(), "Erro: Handshake falhou");
}

}  // namespace
}  // namespace px
