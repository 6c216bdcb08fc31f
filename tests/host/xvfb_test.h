// The fixture of the X11 backend tests.
#pragma once

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "xvfb_server.h"

namespace px::test {

// A test suite sharing one private server; each test gets its own connection to it and is
// skipped, with the reason, where the server could not start.
class XvfbTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new XvfbServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (!server_->running()) GTEST_SKIP() << server_->failure();
    display_ = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(display_, nullptr);
    root_ = DefaultRootWindow(display_);
  }
  void TearDown() override {
    if (display_) XCloseDisplay(display_);
  }

  static inline XvfbServer* server_ = nullptr;
  Display* display_ = nullptr;
  Window root_ = 0;
};

}  // namespace px::test
