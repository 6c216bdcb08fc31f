// The host chat window as the person being helped meets it: a real window on the test's thread,
// driven with the messages that typing, clicking and closing produce.
#include "ui/host_chat_window_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/chat_send_message.h"

namespace px {
namespace {

int dpiOf(HWND hwnd) {
  const UINT dpi = GetDpiForWindow(hwnd);
  return dpi ? int(dpi) : 96;
}

int px(HWND hwnd, int dips) { return MulDiv(dips, dpiOf(hwnd), 96); }

LPARAM clientAt(HWND hwnd, int xDip, int yDip) {
  return MAKELPARAM(px(hwnd, xDip), px(hwnd, yDip));
}

LPARAM screenAt(HWND hwnd, int xDip, int yDip) {
  POINT p{px(hwnd, xDip), px(hwnd, yDip)};
  ClientToScreen(hwnd, &p);
  return MAKELPARAM(p.x, p.y);
}

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::wstring textOf(HWND edit) {
  wchar_t buffer[600] = {};
  GetWindowTextW(edit, buffer, 600);
  return buffer;
}

// The colour the screen shows at a client point of `hwnd` (DIPs), once painting has reached it:
// drawing may land on the screen a little after EndDraw.
COLORREF screenColourAt(HWND hwnd, int xDip, int yDip, COLORREF expected) {
  POINT p{px(hwnd, xDip), px(hwnd, yDip)};
  ClientToScreen(hwnd, &p);
  COLORREF got = CLR_INVALID;
  for (int i = 0; i < 50 && got != expected; ++i) {
    UpdateWindow(hwnd);
    pump();
    HDC screen = GetDC(nullptr);
    got = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    if (got != expected) Sleep(20);
  }
  return got;
}

class HostChatWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    // Stands in for the main window, which owns the chat window.
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    chat_ = std::make_unique<HostChatWindow>(owner_, history_, [this](const std::string& utf8) {
      sent_.push_back(utf8);
      return sendSucceeds_;
    });
  }
  void TearDown() override {
    chat_.reset();
    if (owner_) DestroyWindow(owner_);
    pump();
  }

  // Opens the window or skips the test where no window can be made.
  HWND openChat() {
    if (!chat_->open(u"Técnico Ana")) return nullptr;
    pump();
    return chat_->hwnd();
  }

  HWND editOf(HWND chat) { return FindWindowExW(chat, nullptr, L"EDIT", nullptr); }

  // What a user's typing reaches the edit box as: characters, then Enter as key and character.
  void typeAndEnter(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(edit, WM_CHAR, L'\r', 1);
    pump();
  }

  HWND owner_ = nullptr;
  ChatHistory history_;
  std::vector<std::string> sent_;
  bool sendSucceeds_ = true;
  std::unique_ptr<HostChatWindow> chat_;
};

TEST_F(HostChatWindowTest, OpensTopRightAt340By480DipsWithItsEditBox) {
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  EXPECT_TRUE(IsWindowVisible(chat));
  wchar_t name[64] = {}, title[64] = {};
  GetClassNameW(chat, name, 64);
  GetWindowTextW(chat, title, 64);
  EXPECT_STREQ(name, L"ParvolexHostChat");
  EXPECT_STREQ(title, L"Chat");
  EXPECT_EQ(GetWindow(chat, GW_OWNER), owner_);
  const LONG_PTR exStyle = GetWindowLongPtrW(chat, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);

  const int dpi = int(GetDpiForSystem());
  RECT r{};
  GetWindowRect(chat, &r);
  EXPECT_EQ(r.right - r.left, MulDiv(340, dpi, 96));
  EXPECT_EQ(r.bottom - r.top, MulDiv(480, dpi, 96));
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &info);
  EXPECT_EQ(r.right, info.rcWork.right - MulDiv(16, dpi, 96));
  EXPECT_EQ(r.top, info.rcWork.top + MulDiv(16, dpi, 96));

  const HWND edit = editOf(chat);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 500);
  EXPECT_FALSE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE);
  RECT e{};
  GetWindowRect(edit, &e);
  EXPECT_EQ(e.bottom, r.bottom - px(chat, 12));
  EXPECT_EQ(e.bottom - e.top, px(chat, 34));
}

TEST_F(HostChatWindowTest, ReceivedLinesOpenTheWindowCleanedUpAndBlankOnesAreDropped) {
  chat_->addReceived(u" \t  \t");
  EXPECT_FALSE(chat_->exists()) << "a blank line must not open the window";
  EXPECT_TRUE(history_.entries().empty());

  chat_->addReceived(u"\tolá\r\nmundo\x01 ");
  pump();
  if (!chat_->exists()) GTEST_SKIP() << "no window can be made here";
  EXPECT_TRUE(IsWindowVisible(chat_->hwnd()));
  EXPECT_EQ(GetForegroundWindow(), chat_->hwnd());
  ASSERT_EQ(history_.entries().size(), 1u);
  EXPECT_FALSE(history_.entries()[0].local);
  EXPECT_EQ(history_.entries()[0].text, u"olá  mundo\x01");
  EXPECT_TRUE(sent_.empty());
}

TEST_F(HostChatWindowTest, ALineArrivingWhileHiddenShowsTheWindowWithoutTakingTheFocus) {
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  SendMessageW(chat, WM_CLOSE, 0, 0);
  SetForegroundWindow(owner_);
  pump();
  ASSERT_NE(GetForegroundWindow(), chat);

  chat_->addReceived(u"ainda está aí?");
  pump();
  EXPECT_TRUE(IsWindowVisible(chat));
  EXPECT_NE(GetForegroundWindow(), chat);
  EXPECT_NE(GetFocus(), editOf(chat));
  EXPECT_EQ(history_.entries().size(), 1u);

  chat_->showAgain(true);  // the main window's "Chat" button
  pump();
  EXPECT_EQ(GetForegroundWindow(), chat);
}

TEST_F(HostChatWindowTest, EnterSendsTheCleanedUpLineOnlyWhenThereIsOne) {
  struct Case {
    const char* name;
    std::wstring typed;  // put in the edit box as a paste would
    bool sendSucceeds;
    std::vector<std::string> sent;
    std::u16string entry;  // empty: no entry added
    std::wstring editAfter;
  };
  const Case cases[] = {
      {"spaces at both ends, a tab inside", L"  bom\tdia  ", true, {"bom dia"}, u"bom dia", L""},
      {"accents reach the channel as UTF-8", L"sim, é isso", true, {"sim, \xC3\xA9 isso"},
       u"sim, é isso", L""},
      {"a failed send keeps the text", L"oi", false, {"oi"}, u"", L"oi"},
      {"only blanks send nothing", L" \t ", true, {}, u"", L" \t "},
      {"an empty box sends nothing", L"", true, {}, u"", L""},
  };
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  const HWND edit = editOf(chat);
  ASSERT_NE(edit, nullptr);
  for (const Case& c : cases) {
    history_.clear();
    sent_.clear();
    sendSucceeds_ = c.sendSucceeds;
    SetWindowTextW(edit, c.typed.c_str());
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(edit, WM_CHAR, L'\r', 1);
    pump();
    EXPECT_EQ(sent_, c.sent) << c.name;
    const auto& entries = history_.entries();
    EXPECT_EQ(entries.size(), c.entry.empty() ? 0u : 1u) << c.name;
    if (!c.entry.empty() && entries.size() == 1) {
      EXPECT_TRUE(entries[0].local) << c.name;
      EXPECT_EQ(entries[0].text, c.entry) << c.name;
    }
    EXPECT_EQ(textOf(edit), c.editAfter) << c.name;
  }
}

TEST_F(HostChatWindowTest, TypedCharactersAndEnterSendWithoutANewlineInTheBox) {
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  const HWND edit = editOf(chat);
  ASSERT_NE(edit, nullptr);
  typeAndEnter(edit, L"tudo certo");
  EXPECT_EQ(sent_, std::vector<std::string>{"tudo certo"});
  EXPECT_EQ(textOf(edit), L"");
  // The chat window answers the edit box's message itself, whoever sends it.
  SetWindowTextW(edit, L"de novo");
  SendMessageW(chat, WM_APP_CHAT_SEND, 0, 0);
  EXPECT_EQ(sent_.size(), 2u);
  EXPECT_EQ(history_.entries().size(), 2u);
}

TEST_F(HostChatWindowTest, TheCloseCornerAndWindowCloseOnlyHide) {
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  // The header drags; the close corner and the rest of the window are client.
  EXPECT_EQ(SendMessageW(chat, WM_NCHITTEST, 0, screenAt(chat, 100, 20)), HTCAPTION);
  EXPECT_EQ(SendMessageW(chat, WM_NCHITTEST, 0, screenAt(chat, 170, 60)), HTCAPTION);
  EXPECT_EQ(SendMessageW(chat, WM_NCHITTEST, 0, screenAt(chat, 325, 20)), HTCLIENT);
  EXPECT_EQ(SendMessageW(chat, WM_NCHITTEST, 0, screenAt(chat, 170, 200)), HTCLIENT);

  SendMessageW(chat, WM_LBUTTONDOWN, MK_LBUTTON, clientAt(chat, 170, 200));
  SendMessageW(chat, WM_LBUTTONUP, 0, clientAt(chat, 170, 200));
  EXPECT_TRUE(IsWindowVisible(chat)) << "a click in the message area does nothing";

  SendMessageW(chat, WM_LBUTTONDOWN, MK_LBUTTON, clientAt(chat, 325, 20));
  SendMessageW(chat, WM_LBUTTONUP, 0, clientAt(chat, 325, 20));
  pump();
  EXPECT_TRUE(IsWindow(chat));
  EXPECT_FALSE(IsWindowVisible(chat)) << "the close corner hides";

  chat_->open();
  pump();
  EXPECT_EQ(chat_->hwnd(), chat) << "opening again shows the same window";
  EXPECT_TRUE(IsWindowVisible(chat));
  SendMessageW(chat, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();
  EXPECT_TRUE(IsWindow(chat));
  EXPECT_TRUE(chat_->exists());
  EXPECT_FALSE(IsWindowVisible(chat)) << "system close hides";

  chat_->destroy();
  EXPECT_FALSE(IsWindow(chat));
  EXPECT_FALSE(chat_->exists());
}

TEST_F(HostChatWindowTest, PaintsTheThemeTheEditColoursAndBothKindsOfLine) {
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  const COLORREF background = RGB(30, 30, 33), field = RGB(16, 16, 18);
  const COLORREF accent = RGB(227, 82, 5), received = RGB(42, 42, 48);
  if (screenColourAt(chat, 200, 20, background) != background) {
    GTEST_SKIP() << "nothing drawn reaches the screen here (no Direct2D)";
  }
  EXPECT_EQ(screenColourAt(chat, 300, 451, field), field) << "edit box background";
  typeAndEnter(editOf(chat), L"olá");
  // The newest line sits at the bottom of the message area (72 to 422): sent lines on the right.
  EXPECT_EQ(screenColourAt(chat, 324, 408, accent), accent);
  EXPECT_EQ(screenColourAt(chat, 16, 408, background), background);
  chat_->addReceived(u"oi");
  EXPECT_EQ(screenColourAt(chat, 16, 408, received), received);
  EXPECT_EQ(screenColourAt(chat, 324, 408, background), background);
}

TEST_F(HostChatWindowTest, AFloodOfLinesKeepsTheNewest200AndTheWindowAnswers) {
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  for (int i = 0; i < 1000; ++i) chat_->addReceived(u"linha " + std::u16string(1, char16_t(u'a' + i % 26)));
  UpdateWindow(chat);  // paints the full list now
  pump();
  EXPECT_EQ(history_.entries().size(), 200u);
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutW(chat, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
  EXPECT_TRUE(IsWindowVisible(chat));
}

TEST_F(HostChatWindowTest, TheOwnerGoingTakesTheWindowWithIt) {
  const HWND chat = openChat();
  ASSERT_NE(chat, nullptr);
  DestroyWindow(owner_);
  owner_ = nullptr;
  EXPECT_FALSE(IsWindow(chat));
  EXPECT_FALSE(chat_->exists());
}

}  // namespace
}  // namespace px
