#include "browser_host/shadow_wnd.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser_host/shadow_wnd_base.h"
#include "common/message_pump.h"
#include "common/test_data_folder.h"
#include "ui/core/resources/ui_registry.h"

// The windows here are real native windows on the program's first thread, driven by real
// messages. Under Wine without a window manager, X restacks a window when it maps it, after
// the program has placed it; so the z-order is checked right when the main window's message
// has been handled, which is when the shadow places itself.

namespace {

using test_messages::PumpUntil;
using vok_comp::ShadowWnd;

// Long enough for a loaded machine; every wait ends as soon as its condition holds.
constexpr int kDeadlineMs = 15000;
// The band of the client's shadow layout.
constexpr int kBand = 14;

// A browser window for the tests: 300 x 200 of white, without a shadow band of its own
// (tests/data/browser_host/skins/shadowed/main.xml).
class ShadowedWindow : public vok_comp::ShadowWndBase {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickShadowedTest"; }
  // The registry runs on the client's own theme, whose "shadow" folder holds the shadow
  // window's layout; this window's skin is reached from there by its full path.
  std::wstring GetSkinFolder() override {
    return test_data::Folder() + L"browser_host\\skins\\shadowed";
  }
  std::wstring GetSkinFile() override { return skinFile; }

  std::wstring skinFile = L"main.xml";
};

RECT WindowRect(HWND hwnd) {
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  return rect;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// Visible, at the main window's rectangle grown by the band, directly behind it.
::testing::AssertionResult FollowsMain(HWND shadow, HWND main) {
  const RECT m = WindowRect(main);
  const RECT expected{m.left - kBand, m.top - kBand, m.right + kBand, m.bottom + kBand};
  const RECT s = WindowRect(shadow);
  if (!::IsWindowVisible(shadow)) return ::testing::AssertionFailure() << "the shadow is hidden";
  if (s.left != expected.left || s.top != expected.top || s.right != expected.right ||
      s.bottom != expected.bottom) {
    return ::testing::AssertionFailure()
           << "the shadow is at " << Describe(s) << ", not " << Describe(expected);
  }
  if (::GetWindow(main, GW_HWNDNEXT) != shadow) {
    return ::testing::AssertionFailure() << "the shadow is not directly behind the main window";
  }
  return ::testing::AssertionSuccess();
}

// Whether `upper` comes before `lower` in the z-order.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND hwnd = ::GetWindow(upper, GW_HWNDNEXT); hwnd; hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
    if (hwnd == lower) return true;
  }
  return false;
}

// A plain window of the tests that records where the left button went down on it.
class PlainWindow {
 public:
  explicit PlainWindow(const RECT& rect) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TarnwickPlainTest";
    ::RegisterClassW(&wc);
    hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"plain", WS_POPUP, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              wc.hInstance, nullptr);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~PlainWindow() {
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  std::vector<POINT> buttonDowns;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PlainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_LBUTTONDOWN) {
      self->buttonDowns.push_back(
          POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
};

class ShadowWndTest : public ::testing::Test {
 protected:
  ShadowWndTest() {
    ui::UiRegistry::Startup(test_data::FullPath(TARNWICK_BIN_FOLDER L"resources") + L"\\", nullptr,
                            L"themes\\default", L"lang\\zh_CN");
    ui::WindowImplBase::SetMessageBoxFunction(
        [this](HWND, const wchar_t* text, const wchar_t*, UINT) {
          failures_.push_back(text);
          return IDOK;
        });
  }

  ~ShadowWndTest() override {
    for (HWND hwnd : windows_) {
      if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    test_messages::Drain();
    ui::WindowImplBase::SetMessageBoxFunction(nullptr);
    ui::UiRegistry::Shutdown();
  }

  // A main window at the rectangle (300 x 200 from its layout) with its shadow; the fixture
  // destroys what is left of both.
  ShadowedWindow* Open(DWORD style, int x, int y) {
    auto* window = new ShadowedWindow();
    // Asked for a layered window, it makes a plain one all the same.
    const HWND hwnd = window->CreateNativeWindow(nullptr, L"shadowed", style, 0, true,
                                                 ui::UiRect{x, y, x + 300, y + 200});
    if (!hwnd) return nullptr;
    windows_.push_back(hwnd);
    if (ShadowWnd* shadow = window->GetShadowWindow()) windows_.push_back(shadow->GetHWND());
    return window;
  }

  static HWND ShadowOf(ShadowedWindow* window) {
    ShadowWnd* shadow = window->GetShadowWindow();
    return shadow ? shadow->GetHWND() : nullptr;
  }

  std::vector<std::wstring> failures_;
  std::vector<HWND> windows_;
};

TEST_F(ShadowWndTest, TheShadowIsALayeredDisabledClickThroughWindowOfItsOwn) {
  ShadowedWindow* window = Open(WS_POPUP, 200, 150);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  const HWND shadow = ShadowOf(window);
  ASSERT_TRUE(::IsWindow(shadow));
  EXPECT_EQ(window->GetShadowWindow()->GetTargetWindow(), window);
  EXPECT_FALSE(::GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_FALSE(window->IsLayeredWindow());
  wchar_t text[64] = {};
  ::GetClassNameW(shadow, text, 64);
  EXPECT_STREQ(text, L"ShadowWindow");
  ::GetWindowTextW(shadow, text, 64);
  EXPECT_STREQ(text, L"ShadowWindow");
  const LONG exStyle = ::GetWindowLongW(shadow, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT),
            WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT);
  EXPECT_EQ(::GetWindowLongW(shadow, GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_FALSE(::IsWindowEnabled(shadow));
  EXPECT_EQ(::GetWindow(shadow, GW_OWNER), nullptr);
  EXPECT_EQ(::GetParent(shadow), nullptr);
  // The client's layout attaches the built-in shadow in its band.
  const ui::WindowShadow& band = window->GetShadowWindow()->GetShadow();
  EXPECT_TRUE(band.IsAttached());
  EXPECT_TRUE(band.IsDefaultImage());
  EXPECT_EQ(band.GetCorner(), (ui::UiRect{kBand, kBand, kBand, kBand}));
}

TEST_F(ShadowWndTest, AWindowMadeVisibleGetsItsShadowBehindItAndKeepsTheActivation) {
  ShadowedWindow* window = Open(WS_POPUP | WS_VISIBLE, 200, 150);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  const HWND shadow = ShadowOf(window);
  EXPECT_TRUE(FollowsMain(shadow, main));
  EXPECT_EQ(::GetActiveWindow(), main);
  EXPECT_EQ(::GetForegroundWindow(), main);
}

TEST_F(ShadowWndTest, AWindowMadeHiddenGetsAHiddenShadowThatShowsWithIt) {
  ShadowedWindow* window = Open(WS_POPUP, 200, 150);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  const HWND shadow = ShadowOf(window);
  test_messages::Drain();
  EXPECT_FALSE(::IsWindowVisible(shadow));
  ::ShowWindow(main, SW_SHOW);
  EXPECT_TRUE(FollowsMain(shadow, main));
  EXPECT_EQ(::GetActiveWindow(), main);
}

TEST_F(ShadowWndTest, TheShadowHidesAndShowsWithTheMainWindowWithoutTakingTheActivation) {
  ShadowedWindow* window = Open(WS_POPUP | WS_VISIBLE, 200, 150);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  const HWND shadow = ShadowOf(window);
  for (const int show : {SW_SHOWNOACTIVATE, SW_SHOWNA, SW_SHOW, SW_SHOWNORMAL}) {
    SCOPED_TRACE("ShowWindow " + std::to_string(show));
    ::ShowWindow(main, SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(shadow));
    test_messages::Drain();
    EXPECT_FALSE(::IsWindowVisible(shadow));
    ::ShowWindow(main, show);
    EXPECT_TRUE(FollowsMain(shadow, main));
    EXPECT_NE(::GetActiveWindow(), shadow);
    EXPECT_NE(::GetForegroundWindow(), shadow);
    test_messages::Drain();
  }
}

struct Follow {
  const char* name;
  // Changes the main window; true when the shadow follows at once, false when it follows
  // at the main window's next paint.
  std::function<bool(HWND main, HWND other)> change;
};

TEST_F(ShadowWndTest, TheShadowFollowsTheMainWindowDirectlyBehindIt) {
  ShadowedWindow* window = Open(WS_POPUP | WS_VISIBLE, 200, 150);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  const HWND shadow = ShadowOf(window);
  PlainWindow other(RECT{600, 400, 900, 700});
  const Follow changes[] = {
      {"moved",
       [](HWND main, HWND) {
         ::SetWindowPos(main, nullptr, 420, 310, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
         return true;
       }},
      {"moved and sized",
       [](HWND main, HWND) {
         ::MoveWindow(main, 150, 120, 360, 240, TRUE);
         return true;
       }},
      {"sized in place",
       [](HWND main, HWND) {
         ::SetWindowPos(main, nullptr, 0, 0, 280, 180, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
         return false;
       }},
      {"activated over another window",
       [](HWND main, HWND other) {
         ::SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
         ::SetForegroundWindow(other);
         ::SetForegroundWindow(main);
         return true;
       }},
  };
  for (const Follow& change : changes) {
    SCOPED_TRACE(change.name);
    if (change.change(main, other.hwnd())) {
      EXPECT_TRUE(FollowsMain(shadow, main));
    } else {
      EXPECT_TRUE(PumpUntil([&] { return FollowsMain(shadow, main); }, kDeadlineMs))
          << FollowsMain(shadow, main).message();
    }
    EXPECT_NE(::GetActiveWindow(), shadow);
    test_messages::Drain();
  }
}

// Wine, like Windows, leaves a window that is both layered and transparent out of the hit
// test of the mouse; SendInput goes through that hit test as a real mouse does.
TEST_F(ShadowWndTest, AClickWhereOnlyTheShadowShowsReachesTheWindowBeneath) {
  PlainWindow beneath(RECT{100, 100, 700, 600});
  ::ShowWindow(beneath.hwnd(), SW_SHOW);
  ShadowedWindow* window = Open(WS_POPUP | WS_VISIBLE, 250, 250);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  const HWND shadow = ShadowOf(window);
  // Points of the band left of, below and beyond the top right corner of the main window.
  const POINT offsets[] = {{-kBand / 2, 50}, {150, 200 + kBand / 2}, {300 + 3, -3}};
  int x = 250;
  for (const POINT& offset : offsets) {
    // The main window over the other one (which a click may have raised), moved, so its
    // shadow lies between them.
    x += 10;
    ::SetWindowPos(main, HWND_TOP, x, 250, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(FollowsMain(shadow, main));
    ASSERT_TRUE(IsAbove(shadow, beneath.hwnd()));
    const POINT point{x + offset.x, 250 + offset.y};
    SCOPED_TRACE("at " + std::to_string(point.x) + ", " + std::to_string(point.y));
    const RECT shadowRect = WindowRect(shadow);
    const RECT mainRect = WindowRect(main);
    ASSERT_TRUE(::PtInRect(&shadowRect, point) && !::PtInRect(&mainRect, point));
    beneath.buttonDowns.clear();
    ::SetCursorPos(point.x, point.y);
    INPUT clicks[2] = {};
    clicks[0].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].type = INPUT_MOUSE;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(::SendInput(2, clicks, sizeof(INPUT)), 2u);
    ASSERT_TRUE(PumpUntil([&] { return !beneath.buttonDowns.empty(); }, kDeadlineMs));
    EXPECT_EQ(beneath.buttonDowns[0].x, point.x - 100);
    EXPECT_EQ(beneath.buttonDowns[0].y, point.y - 100);
    EXPECT_NE(::GetForegroundWindow(), shadow);
    EXPECT_NE(::GetActiveWindow(), shadow);
    EXPECT_NE(::GetFocus(), shadow);
    test_messages::Drain();
  }
}

enum class Ending { kCloseWindow, kCloseMessage, kDestroyWindow };

struct EndingCase {
  const char* name;
  Ending ending;
};

class ShadowEndingTest : public ShadowWndTest, public ::testing::WithParamInterface<EndingCase> {};

// The shadow leaves the screen when its main window goes, however that goes, lets go of it,
// and closes with its own fade: its object goes only with its native window.
TEST_P(ShadowEndingTest, TheShadowLeavesWithItsMainWindowAndClosesAfterItsFade) {
  ShadowedWindow* window = Open(WS_POPUP | WS_VISIBLE, 200, 150);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  ShadowWnd* shadow = window->GetShadowWindow();
  const HWND shadowHwnd = shadow->GetHWND();
  const std::weak_ptr<kbase::WeakFlag> mainAlive = window->WeakFlagOf();
  const std::weak_ptr<kbase::WeakFlag> shadowAlive = shadow->WeakFlagOf();
  ASSERT_TRUE(::IsWindowVisible(shadowHwnd));
  // What the shadow is when the main window's native window has gone.
  struct {
    bool seen = false;
    bool alive = false;
    bool native = false;
    bool visible = true;
    bool closing = false;
    ui::Window* target = nullptr;
  } atEnd;
  window->AttachWindowClose([&](ui::EventArgs*) {
    atEnd.seen = true;
    atEnd.alive = !shadowAlive.expired();
    if (atEnd.alive) {
      atEnd.target = shadow->GetTargetWindow();
      atEnd.closing = shadow->IsClosing();
    }
    atEnd.native = ::IsWindow(shadowHwnd);
    atEnd.visible = ::IsWindowVisible(shadowHwnd);
    return true;
  });
  switch (GetParam().ending) {
    case Ending::kCloseWindow:
      window->CloseWindow();
      break;
    case Ending::kCloseMessage:
      ::PostMessageW(main, WM_CLOSE, 0, 0);
      break;
    case Ending::kDestroyWindow:
      ::DestroyWindow(main);
      break;
  }
  ASSERT_TRUE(PumpUntil([&] { return mainAlive.expired(); }, kDeadlineMs));
  EXPECT_FALSE(::IsWindow(main));
  ASSERT_TRUE(atEnd.seen);
  EXPECT_TRUE(atEnd.alive) << "the shadow was deleted while its close ran";
  EXPECT_TRUE(atEnd.native);
  EXPECT_FALSE(atEnd.visible);
  EXPECT_TRUE(atEnd.closing);
  EXPECT_EQ(atEnd.target, nullptr);
  EXPECT_TRUE(
      PumpUntil([&] { return shadowAlive.expired() && !::IsWindow(shadowHwnd); }, kDeadlineMs));
}

INSTANTIATE_TEST_SUITE_P(Endings, ShadowEndingTest,
                         ::testing::Values(EndingCase{"CloseWindow", Ending::kCloseWindow},
                                           EndingCase{"CloseMessage", Ending::kCloseMessage},
                                           EndingCase{"DestroyWindow", Ending::kDestroyWindow}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShadowWndTest, AWindowNeverMadeFreesItsShadow) {
  auto* window = new ShadowedWindow();
  ASSERT_TRUE(window->GetShadowWindow());
  const std::weak_ptr<kbase::WeakFlag> shadowAlive = window->GetShadowWindow()->WeakFlagOf();
  delete window;
  EXPECT_TRUE(shadowAlive.expired());
}

TEST_F(ShadowWndTest, AWindowWhoseLayoutFailsTakesItsShadowWithIt) {
  auto* window = new ShadowedWindow();
  window->skinFile = L"missing.xml";
  const std::weak_ptr<kbase::WeakFlag> alive = window->WeakFlagOf();
  const std::weak_ptr<kbase::WeakFlag> shadowAlive = window->GetShadowWindow()->WeakFlagOf();
  EXPECT_EQ(window->CreateNativeWindow(nullptr, L"missing", WS_POPUP | WS_VISIBLE, 0, false,
                                       ui::UiRect{200, 150, 500, 350}),
            nullptr);
  EXPECT_TRUE(alive.expired());
  EXPECT_TRUE(shadowAlive.expired());
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_NE(failures_[0].find(L"missing.xml"), std::wstring::npos);
}

// The main window carries on without a shadow; nothing it does afterwards reaches one.
struct Loss {
  const char* name;
  bool layoutFails;
  std::function<void(HWND shadow)> lose;
};

TEST_F(ShadowWndTest, AWindowThatLosesItsShadowCarriesOnWithout) {
  const Loss losses[] = {
      {"its layout does not build", true, [](HWND) {}},
      {"its native window is destroyed", false, [](HWND shadow) { ::DestroyWindow(shadow); }},
  };
  const std::wstring theme = ui::UiRegistry::GetResourcePath();
  for (const Loss& loss : losses) {
    SCOPED_TRACE(loss.name);
    failures_.clear();
    // A resource folder without the shadow's layout.
    if (loss.layoutFails) {
      ui::UiRegistry::SetResourcePath(test_data::Folder() + L"browser_host\\skins\\");
    }
    ShadowedWindow* window = Open(WS_POPUP | WS_VISIBLE, 200, 150);
    ui::UiRegistry::SetResourcePath(theme);
    ASSERT_TRUE(window);
    const HWND main = window->GetHWND();
    const std::weak_ptr<kbase::WeakFlag> alive = window->WeakFlagOf();
    if (loss.layoutFails) {
      ASSERT_EQ(failures_.size(), 1u);
      EXPECT_NE(failures_[0].find(L"shadow.xml"), std::wstring::npos);
    } else {
      EXPECT_TRUE(failures_.empty());
    }
    loss.lose(ShadowOf(window));
    EXPECT_EQ(window->GetShadowWindow(), nullptr);
    ::SetWindowPos(main, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(main, SW_HIDE);
    ::ShowWindow(main, SW_SHOW);
    ::InvalidateRect(main, nullptr, FALSE);
    ::UpdateWindow(main);
    window->CloseWindow();
    EXPECT_TRUE(PumpUntil([&] { return alive.expired(); }, kDeadlineMs));
    EXPECT_FALSE(::IsWindow(main));
  }
}

}  // namespace
namespace {

// The colour the screen shows at a point, as the display server has it.
COLORREF ScreenPixel(POINT point) {
  HDC screen = ::GetDC(nullptr);
  const COLORREF color = ::GetPixel(screen, point.x, point.y);
  ::ReleaseDC(nullptr, screen);
  return color;
}

TEST_F(ShadowWndTest, AMaximisedOrMinimisedWindowCastsNoShadowAndShowsItself) {
  // Visible and maximised from its creation, as the game window is.
  ShadowedWindow* window = Open(WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MAXIMIZE, 200, 150);
  ASSERT_TRUE(window);
  const HWND main = window->GetHWND();
  const HWND shadow = ShadowOf(window);
  ASSERT_TRUE(::IsZoomed(main));
  EXPECT_FALSE(::IsWindowVisible(shadow));
  // Whatever the display server did meanwhile, the window's white shows on the screen.
  RECT r{};
  ::GetWindowRect(main, &r);
  const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_TRUE(PumpUntil(
      [&] {
        test_messages::Drain();
        return ScreenPixel(centre) == RGB(255, 255, 255);
      },
      kDeadlineMs));
  EXPECT_FALSE(::IsWindowVisible(shadow));

  ::ShowWindow(main, SW_RESTORE);
  EXPECT_TRUE(::IsWindowVisible(shadow));
  EXPECT_TRUE(IsAbove(main, shadow));
  ::ShowWindow(main, SW_MINIMIZE);
  EXPECT_FALSE(::IsWindowVisible(shadow));
  ::ShowWindow(main, SW_RESTORE);
  EXPECT_TRUE(::IsWindowVisible(shadow));
  ::ShowWindow(main, SW_MAXIMIZE);
  EXPECT_FALSE(::IsWindowVisible(shadow));
}

}  // namespace
