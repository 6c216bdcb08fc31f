// The access prompt window as the local user meets it: real window messages on the prompt's own
// thread, answered by the clicks and keys a user gives.
#include "ui/access_prompt_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

namespace px {
namespace {

HWND waitForPrompt() {
  for (int i = 0; i < 100; ++i) {
    if (HWND w = FindWindowW(L"ParvolexPrompt", nullptr); w && IsWindowVisible(w)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

// Client pixels of a point given in DIPs, at the prompt's DPI.
LPARAM at(HWND prompt, int xDip, int yDip) {
  const UINT dpi = GetDpiForWindow(prompt) ? GetDpiForWindow(prompt) : 96;
  return MAKELPARAM(MulDiv(xDip, int(dpi), 96), MulDiv(yDip, int(dpi), 96));
}

void click(HWND prompt, int xDip, int yDip) {
  PostMessageW(prompt, WM_LBUTTONDOWN, MK_LBUTTON, at(prompt, xDip, yDip));
  PostMessageW(prompt, WM_LBUTTONUP, 0, at(prompt, xDip, yDip));
}

struct PromptCase {
  const char* name;
  std::function<void(HWND)> gesture;
  bool accepted;
  bool control;
};

TEST(AccessPromptWindow, AnswersWhatTheUserGave) {
  const PromptCase cases[] = {
      {"accept", [](HWND p) { click(p, 366, 324); }, true, true},
      {"view only", [](HWND p) { click(p, 100, 243); click(p, 366, 324); }, true, false},
      {"refuse", [](HWND p) { click(p, 228, 324); }, false, false},
      {"close region", [](HWND p) { click(p, 436, 24); }, false, false},
      {"Enter refuses", [](HWND p) { PostMessageW(p, WM_KEYDOWN, VK_RETURN, 0); }, false, false},
      {"window close refuses", [](HWND p) { PostMessageW(p, WM_CLOSE, 0, 0); }, false, false},
      {"press on accept, release on refuse, then Escape",
       [](HWND p) {
         PostMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, at(p, 366, 324));
         PostMessageW(p, WM_LBUTTONUP, 0, at(p, 228, 324));
         PostMessageW(p, WM_KEYDOWN, VK_ESCAPE, 0);
       },
       false, false},
  };
  for (const PromptCase& c : cases) {
    auto answer = std::async(std::launch::async,
                             [] { return showAccessPrompt("Ana", "123456789", nullptr); });
    const HWND prompt = waitForPrompt();
    if (!prompt) {
      // Refused at once when nothing can be drawn; the answer must still come back.
      ASSERT_FALSE(answer.get().accepted);
      GTEST_SKIP() << "the prompt window did not appear (no desktop or no Direct2D here)";
    }
    RECT r{};
    GetWindowRect(prompt, &r);
    const UINT dpi = GetDpiForWindow(prompt) ? GetDpiForWindow(prompt) : 96;
    EXPECT_EQ(r.right - r.left, MulDiv(460, int(dpi), 96)) << c.name;
    EXPECT_EQ(r.bottom - r.top, MulDiv(360, int(dpi), 96)) << c.name;
    c.gesture(prompt);
    if (answer.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << c.name << ": the prompt did not close";
      PostMessageW(prompt, WM_CLOSE, 0, 0);  // so that the prompt's thread can end
    }
    const PromptAnswer got = answer.get();
    EXPECT_EQ(got.accepted, c.accepted) << c.name;
    if (got.accepted) EXPECT_EQ(got.allowControl, c.control) << c.name;
    // The next case must not find this window.
    for (int i = 0; i < 100 && FindWindowW(L"ParvolexPrompt", nullptr); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}

}  // namespace
}  // namespace px
