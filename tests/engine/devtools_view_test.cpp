// The page of a real browser in its child window: its frames at every size, the parent
// window going away, and the mouse.

#include <gtest/gtest.h>

#include <vector>

#include <winsock2.h>

#include "engine/devtools_fixture.h"

using namespace engine_test;

namespace {

const char kQuadrants[] =
    "<html><body style='margin:0'>"
    "<div style='position:fixed;left:0;top:0;width:50vw;height:50vh;background:#f00'></div>"
    "<div style='position:fixed;left:50vw;top:0;width:50vw;height:50vh;background:#0f0'></div>"
    "<div style='position:fixed;left:0;top:50vh;width:50vw;height:50vh;background:#00f'></div>"
    "<div style='position:fixed;left:50vw;top:50vh;width:50vw;height:50vh;background:#ff0'>"
    "</div></body></html>";

// A page that changes every animation frame, so that the browser keeps sending frames.
const char kAnimated[] =
    "<html><body style='margin:0'><script>"
    "let n = 0;"
    "function step() { document.body.style.background = 'rgb(0,0,' + (n++ % 256) + ')';"
    " requestAnimationFrame(step); }"
    "requestAnimationFrame(step);"
    "</script></body></html>";

// Whether the window shows the four quadrants of kQuadrants at its current size.
bool ShowsQuadrants(HWND window, int width, int height, std::string* seen = nullptr) {
  struct Probe {
    int x, y;
    Colour expected;
  };
  const Probe probes[] = {
      {width / 4, height / 4, {255, 0, 0}},
      {width * 3 / 4, height / 4, {0, 255, 0}},
      {width / 4, height * 3 / 4, {0, 0, 255}},
      {width * 3 / 4, height * 3 / 4, {255, 255, 0}},
      // Near the far corner: only a frame of the window's whole size reaches it.
      {width - 6, height - 6, {255, 255, 0}},
  };
  bool all = true;
  for (const Probe& p : probes) {
    const Colour c = ShownAt(window, p.x, p.y);
    if (seen) {
      *seen += std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + " ";
    }
    all = all && Near(c, p.expected);
  }
  return all;
}

}  // namespace

TEST_F(DevToolsView, ThePageShowsInItsWindowAtEverySize) {
  server_.Set("/colours", {200, kQuadrants, ""});
  HWND view = OpenChild(server_.Url("/colours"), 400, 300);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(GetParent(view), parent_.Get());
  std::string seen;
  EXPECT_TRUE(WaitFor([&] { return ShowsQuadrants(view, 400, 300, &(seen = "")); }, 20000)) << seen;
  SetWindowPos(view, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(WaitFor([&] { return ShowsQuadrants(view, 640, 480, &(seen = "")); }, 20000)) << seen;
}

TEST_F(DevToolsView, AHiddenWindowGetsNoFrames) {
  server_.Set("/animated", {200, kAnimated, ""});
  HWND view = OpenChild(server_.Url("/animated"), 300, 200);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(WaitFor([&] { return FramesPublished() > 3; }, 20000));
  ShowWindow(view, SW_HIDE);
  WaitFor([] { return false; }, 1000);  // frames already on their way still arrive
  const int64_t hidden = FramesPublished();
  WaitFor([] { return false; }, 1500);
  EXPECT_EQ(FramesPublished(), hidden);
  ShowWindow(view, SW_SHOW);
  EXPECT_TRUE(WaitFor([&] { return FramesPublished() > hidden + 3; }, 20000));
  SetWindowPos(view, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
  WaitFor([] { return false; }, 1000);
  const int64_t empty = FramesPublished();
  WaitFor([] { return false; }, 1500);
  EXPECT_EQ(FramesPublished(), empty);
}

TEST_F(DevToolsView, DestroyingTheParentWhileFramesArriveClosesTheBrowser) {
  server_.Set("/animated", {200, kAnimated, ""});
  HWND view = OpenChild(server_.Url("/animated"), 300, 200);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(WaitFor([&] { return FramesPublished() > 1; }, 20000));
  parent_.Destroy();
  EXPECT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(view); }));
  EXPECT_TRUE(engine::EngineCore::Get()->Browsers().empty());
}

TEST_F(DevToolsView, DestroyingTheParentWhileThePageLoadsClosesTheBrowser) {
  HWND view = OpenChild(server_.Url("/loading"), 300, 200);
  ASSERT_NE(view, nullptr);
  parent_.Destroy();
  EXPECT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }));
  EXPECT_TRUE(engine::EngineCore::Get()->Browsers().empty());
}

// ---- the user's mouse in the window ----

namespace {

const char kMousePage[] =
    "<html><body style='margin:0;height:5000px'><script>"
    "const seen = [];"
    "function note(t) { seen.push(t); document.title = seen.join(' '); }"
    "addEventListener('mousedown', e => note('down' + e.button + '@' + e.clientX + ',' + "
    "e.clientY));"
    "addEventListener('click', e => note('click@' + e.clientX + ',' + e.clientY));"
    "addEventListener('dblclick', e => note('dblclick@' + e.clientX + ',' + e.clientY));"
    "addEventListener('contextmenu', e => e.preventDefault());"
    "addEventListener('scroll', () => note('scrolled'), {once: true});"
    "</script></body></html>";

struct PostedMessage {
  UINT message;
  WPARAM wParam;
  int x, y;  // in the window
};

struct MouseCase {
  const char* name;
  std::vector<PostedMessage> messages;
  const char* expected;  // what the page notes
};

}  // namespace

TEST_F(DevToolsView, MouseInputReachesThePageAtItsPoint) {
  const MouseCase cases[] = {
      {"left click",
       {{WM_LBUTTONDOWN, MK_LBUTTON, 123, 77}, {WM_LBUTTONUP, 0, 123, 77}},
       "down0@123,77 click@123,77"},
      {"right press",
       {{WM_RBUTTONDOWN, MK_RBUTTON, 50, 60}, {WM_RBUTTONUP, 0, 50, 60}},
       "down2@50,60"},
      {"double click",
       {{WM_LBUTTONDOWN, MK_LBUTTON, 200, 150},
        {WM_LBUTTONUP, 0, 200, 150},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, 200, 150},
        {WM_LBUTTONUP, 0, 200, 150}},
       "dblclick@200,150"},
      {"wheel towards the user",
       {{WM_MOUSEWHEEL, static_cast<WPARAM>(-120) << 16, 100, 100}},
       "scrolled"},
  };
  HWND view = OpenLoaded("/mouse", kMousePage);
  ASSERT_NE(view, nullptr);
  for (const MouseCase& c : cases) {
    for (const PostedMessage& m : c.messages) {
      POINT at = {m.x, m.y};
      if (m.message == WM_MOUSEWHEEL) ClientToScreen(view, &at);
      PostMessageW(view, m.message, m.wParam, MAKELPARAM(at.x, at.y));
    }
    EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
      return t.find(c.expected) != std::string::npos;
    })) << c.name
        << ": " << LastTitle();
  }
}
