// Browser controls in skinned windows over the real browser: what a user sees of a page in
// a layout, the page's calls to the window, and a page whose renderer dies.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

#include "browser_host/cef_manager.h"
#include "browser_host/control_fixture.h"
#include "browser_host/real_engine.h"
#include "browser_host/ui_thread.h"
#include "engine/http_test_server.h"
#include "runtime/string_util.h"
#include "runtime/thread_registry.h"

namespace browser_host_test {
namespace {

using vok_comp::CefNativeControl;

constexpr unsigned kPageMs = 30000;

// A page of one colour that can call the window's host function.
constexpr char kBluePage[] = R"page(<html><head><title>Blue</title></head>
<body style="margin:0; background: rgb(48,128,192)"><script>
function callHost() {
  VokCefWebInstance.call('Echo', {greeting: 'hello'}, (e, r) => {
    document.title = 'reply ' + e + ':' + r.message;
  });
}
</script></body></html>)page";

struct Rgb {
  int r, g, b;
};

// What the screen shows at a point of the window's client area.
Rgb OnScreen(HWND window, int x, int y) {
  POINT point{x, y};
  ::ClientToScreen(window, &point);
  HDC dc = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(dc, point.x, point.y);
  ::ReleaseDC(nullptr, dc);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

bool IsBlue(const Rgb& c) {
  // The frames are JPEG.
  return std::abs(c.r - 48) <= 40 && std::abs(c.g - 128) <= 40 && std::abs(c.b - 192) <= 40;
}

class RealControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Started());
    server_.Set("/blue", {200, kBluePage, ""});
    std::string skip;
    if (!engine_.Start(&skip)) {
      if (!skip.empty()) GTEST_SKIP() << skip;
      FAIL() << "the engine did not start";
    }
    windows_.Start();
  }

  void TearDown() override {
    if (!engine_.Started()) return;
    windows_.Stop();
    EXPECT_TRUE(WaitFor([&] { return BrowserCount() <= 0; }, kPageMs));
    EXPECT_TRUE(engine_.Stop()) << "a browser process was left running";
  }

  int BrowserCount() {
    int count = -1;
    if (!ui_.Run([&] { count = vok_comp::CefManager::GetInstance()->BrowserCount(); })) return 0;
    return count;
  }

  // A window whose page loads the blue page and counts its loads.
  BrowserWindow* OpenBlue() {
    return windows_.Open([this](BrowserWindow& w) {
      w.page->SetLoadEndCallback([this](int status) {
        if (status == 200) ++loads_;
      });
      w.page->SetTitleChangeCallback([this](const std::wstring& title) {
        std::lock_guard<std::mutex> hold(lock_);
        title_ = title;
      });
      w.page->LoadURL(server_.Url("/blue"));
    });
  }

  bool ShowsBlueAt(BrowserWindow* window, int x, int y) {
    return WaitFor([&] { return IsBlue(OnScreen(window->GetHWND(), x, y)); }, kPageMs);
  }

  std::wstring Title() {
    std::lock_guard<std::mutex> hold(lock_);
    return title_;
  }

  RealEngine engine_;
  engine_test::HttpTestServer server_;
  UiThread ui_{kbase::kUILoop};
  WindowHost windows_{ui_};
  std::atomic<int> loads_{0};
  std::mutex lock_;
  std::wstring title_;
};

TEST_F(RealControlTest, ThePageShowsInTheControlAndFollowsTheWindow) {
  BrowserWindow* window = OpenBlue();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return loads_ >= 1; }, kPageMs));
  // Below the bar, across the control, and the bar itself not covered.
  EXPECT_TRUE(ShowsBlueAt(window, 200, 170));
  EXPECT_TRUE(ShowsBlueAt(window, 395, 295));
  EXPECT_FALSE(IsBlue(OnScreen(window->GetHWND(), 200, 20)));
  ui_.Run([&] {
    ::SetWindowPos(window->GetHWND(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    ::UpdateWindow(window->GetHWND());
  });
  EXPECT_TRUE(ShowsBlueAt(window, 630, 470));
  HWND page = nullptr;
  windows_.WithPage(window, [&](CefNativeControl& c) {
    page = c.GetCefHandle();
    c.SetFadeVisible(false);
  });
  ASSERT_TRUE(page);
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 0, 40}));
  windows_.WithPage(window, [](CefNativeControl& c) { c.SetFadeVisible(true); });
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 640, 480}));
  EXPECT_TRUE(ShowsBlueAt(window, 630, 470));
}

TEST_F(RealControlTest, APageCallsAHostFunctionTheWindowRegisteredAndGetsTheReply) {
  std::mutex lock;
  std::string params;
  BrowserWindow* window = OpenBlue();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return loads_ >= 1; }, kPageMs));
  bool registered = false;
  windows_.WithPage(window, [&](CefNativeControl& c) {
    registered = c.RegisterHostFunction(
        L"Echo",
        [&](const std::string& text, vok_comp::ReplyFunction reply) {
          {
            std::lock_guard<std::mutex> hold(lock);
            params = text;
          }
          reply(false, "{ \"message\": \"Success.\" }");
        },
        false);
    c.GetBrowser()->GetMainFrame()->ExecuteJavaScript("callHost();", "", 0);
  });
  ASSERT_TRUE(registered);
  EXPECT_TRUE(WaitFor([&] { return Title() == L"reply false:Success."; }, kPageMs))
      << kbase::WideToUtf8(Title());
  std::lock_guard<std::mutex> hold(lock);
  EXPECT_EQ(params, "{\"greeting\":\"hello\"}");
}

TEST_F(RealControlTest, ARendererThatDiesIsShownAgain) {
  BrowserWindow* window = OpenBlue();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return loads_ >= 1; }, kPageMs));
  ASSERT_TRUE(ShowsBlueAt(window, 200, 170));
  windows_.WithPage(window, [](CefNativeControl& c) {
    c.GetBrowser()->GetMainFrame()->LoadURL("chrome://crash");
  });
  // The control loads the page again once it hears of the crash.
  EXPECT_TRUE(WaitFor([&] { return loads_ >= 2; }, kPageMs));
  EXPECT_EQ(server_.Requests("/blue"), 2);
  EXPECT_TRUE(ShowsBlueAt(window, 200, 170));
  bool message = true;
  windows_.WithPage(window, [&](CefNativeControl& c) { message = c.IsShowingCrashMessage(); });
  EXPECT_FALSE(message);
}

TEST_F(RealControlTest, DestroyingTheWindowWhileItsPageLoadsClosesTheBrowserAndTheLoopCanEnd) {
  BrowserWindow* window = OpenBlue();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return BrowserCount() == 1; }, kPageMs));
  ui_.Run([&] {
    ::DestroyWindow(window->GetHWND());
    vok_comp::CefManager::GetInstance()->PostQuitAfterBrowsersClosed(0);
  });
  // The quit comes only once the browser has closed: then the UI thread's loop ends and
  // takes no more work.
  EXPECT_TRUE(WaitFor(
      [&] { return !kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId, [] {}); }, kPageMs));
  EXPECT_EQ(vok_comp::CefManager::GetInstance()->BrowserCount(), 0);
}

}  // namespace
}  // namespace browser_host_test
