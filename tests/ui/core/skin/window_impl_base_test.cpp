#include "ui/core/skin/window_impl_base.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_data_folder.h"
#include "ui/controls/button.h"
#include "ui/controls/control_classes.h"
#include "ui/controls/label.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/window_test_util.h"

namespace ui {
namespace {

using control_test::UiScope;
using window_test::At;
using window_test::Drain;
using window_test::PumpUntil;

// Counts how often it is initialised.
class CountedControl : public Control {
 public:
  void OnInit() override { ++inits; }
  int inits = 0;
};

// A skinned window built from tests/data/ui/core/skins/frame/main.xml; it makes the
// "Counted" controls of its layouts.
class SkinWindow : public WindowImplBase {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickSkinTest"; }
  std::wstring GetSkinFolder() override { return L"frame"; }
  std::wstring GetSkinFile() override { return skinFile; }
  void OnInitWindow() override { ++inits; }
  Control* CreateControl(const std::wstring& className) override {
    return className == L"Counted" ? new CountedControl() : nullptr;
  }

  std::wstring skinFile = L"main.xml";
  int inits = 0;
};

struct Shown {
  std::wstring text;
  std::wstring caption;
  UINT type;
};

class WindowImplBaseTest : public ::testing::Test {
 protected:
  WindowImplBaseTest() {
    AddControlClasses();
    UiRegistry::SetResourcePath(test_data::Folder() + L"ui\\core\\skins\\");
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    WindowImplBase::SetMessageBoxFunction(
        [this](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
          shown_.push_back(Shown{text, caption, type});
          return IDOK;
        });
  }
  ~WindowImplBaseTest() override {
    WindowImplBase::SetMessageBoxFunction(nullptr);
    Drain();
  }

  // The layout's 272 x 172 window in a 300 x 200 native window with its shadow band: a
  // caption band of 30 with a title label, a button and the system buttons.
  SkinWindow* Create(bool shadow = true) {
    auto* window = new SkinWindow();
    window->GetShadow().SetAttached(shadow);
    const HWND hwnd = window->CreateNativeWindow(nullptr, L"skinned", WS_POPUP | WS_CAPTION, 0,
                                                 false, UiRect{0, 0, 300, 200});
    if (!hwnd) return nullptr;
    label_ = static_cast<Label*>(window->FindControlByName(L"title"));
    button_ = static_cast<Button*>(window->FindControlByName(L"action"));
    root_ = window->FindControlByName(L"body")->WeakFlagOf();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    return window;
  }

  std::vector<Shown> shown_;
  Label* label_ = nullptr;
  Button* button_ = nullptr;
  std::weak_ptr<kbase::WeakFlag> root_;
  UiScope ui_;
};

TEST_F(WindowImplBaseTest, BuildsItsSkinWrapsItAndRunsItsInitHook) {
  SkinWindow* window = Create();
  ASSERT_TRUE(window);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(window->inits, 1);
  EXPECT_EQ(window->GetResourceSubFolder(), L"frame\\");
  EXPECT_EQ(::GetWindowLongW(window->GetHWND(), GWL_STYLE) & WS_CAPTION, 0);
  ASSERT_TRUE(label_ && button_);
  EXPECT_EQ(label_->GetPosition().left, 14);  // inside the shadow band
  EXPECT_EQ(label_->GetText(), L"Title");
  EXPECT_EQ(window->caption, (UiRect{0, 0, 0, 30}));
  RECT placed{};
  ::GetWindowRect(window->GetHWND(), &placed);
  EXPECT_EQ(placed.right - placed.left, 300);
  EXPECT_EQ(placed.bottom - placed.top, 200);
  ::DestroyWindow(window->GetHWND());
}

// A built tree is attached more than once on its way into the window (into the shadow's
// box, then as the root); each control is initialised once all the same.
TEST_F(WindowImplBaseTest, EveryControlOfASkinIsInitialisedOnce) {
  for (const bool shadow : {true, false}) {
    SCOPED_TRACE(shadow ? "with shadow" : "without shadow");
    auto* window = new SkinWindow();
    window->skinFile = L"inits.xml";
    window->GetShadow().SetAttached(shadow);
    ASSERT_TRUE(
        window->CreateNativeWindow(nullptr, L"inits", WS_POPUP, 0, false, UiRect{0, 0, 200, 100}));
    auto* shallow = static_cast<CountedControl*>(window->FindControlByName(L"near"));
    auto* deep = static_cast<CountedControl*>(window->FindControlByName(L"deep"));
    ASSERT_TRUE(shallow && deep);
    EXPECT_EQ(shallow->inits, 1);
    EXPECT_EQ(deep->inits, 1);
    ::DestroyWindow(window->GetHWND());
    Drain();
  }
}

// Taken out of its box and put back is a new attachment; moving inside the window is not.
TEST_F(WindowImplBaseTest, AControlAddedLaterIsInitialisedOncePerAttachment) {
  auto* window = new SkinWindow();
  window->skinFile = L"inits.xml";
  ASSERT_TRUE(
      window->CreateNativeWindow(nullptr, L"inits", WS_POPUP, 0, false, UiRect{0, 0, 200, 100}));
  auto* body = static_cast<Box*>(window->FindControlByName(L"body"));
  auto* added = new CountedControl();
  ASSERT_TRUE(body->Add(added));
  EXPECT_EQ(added->inits, 1);
  window->InitSubtree(added);
  EXPECT_EQ(added->inits, 1);
  body->SetAutoDestroy(false);
  ASSERT_TRUE(body->Remove(added));
  ASSERT_TRUE(body->Add(added));
  EXPECT_EQ(added->inits, 2);
  body->SetAutoDestroy(true);
  ::DestroyWindow(window->GetHWND());
}

TEST_F(WindowImplBaseTest, AMissingSkinShowsTheFailureAndMakesNoWindow) {
  auto* window = new SkinWindow();
  window->skinFile = L"missing.xml";
  auto alive = window->WeakFlagOf();
  const HWND hwnd =
      window->CreateNativeWindow(nullptr, L"missing", WS_POPUP, 0, false, UiRect{0, 0, 100, 100});
  EXPECT_EQ(hwnd, nullptr);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, L"Failed to load xml file frame\\missing.xml");
  EXPECT_EQ(shown_[0].caption, L"Fenwyk");
  EXPECT_EQ(shown_[0].type, static_cast<UINT>(MB_ICONHAND));
  // The object went with the native window it never got.
  EXPECT_TRUE(alive.expired());
}

TEST_F(WindowImplBaseTest, AVeryLongSkinPathIsCutInTheMessage) {
  auto* window = new SkinWindow();
  window->skinFile = std::wstring(5000, L'x') + L".xml";
  EXPECT_EQ(
      window->CreateNativeWindow(nullptr, L"long", WS_POPUP, 0, false, UiRect{0, 0, 100, 100}),
      nullptr);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text.size(), 259u);
  EXPECT_EQ(shown_[0].text.substr(0, 30), L"Failed to load xml file frame\\");
}

struct HitCase {
  const char* name;
  UiPoint point;
  LRESULT code;
};

class HitTestTable : public WindowImplBaseTest, public ::testing::WithParamInterface<HitCase> {};

// The visible window is (14, 14) to (286, 186) inside the shadow; the size box is 4 wide.
TEST_P(HitTestTable, FrameCaptionAndClient) {
  SkinWindow* window = Create();
  ASSERT_TRUE(window);
  EXPECT_EQ(window->HitTest(GetParam().point), GetParam().code);
  ::DestroyWindow(window->GetHWND());
}

INSTANTIATE_TEST_SUITE_P(
    Points, HitTestTable,
    ::testing::Values(
        HitCase{"InTheShadow", {5, 5}, HTCLIENT}, HitCase{"ShadowBelow", {150, 195}, HTCLIENT},
        HitCase{"TopLeft", {15, 15}, HTTOPLEFT}, HitCase{"TopRight", {285, 15}, HTTOPRIGHT},
        HitCase{"Top", {150, 15}, HTTOP}, HitCase{"BottomLeft", {15, 185}, HTBOTTOMLEFT},
        HitCase{"BottomRight", {285, 185}, HTBOTTOMRIGHT}, HitCase{"Bottom", {150, 185}, HTBOTTOM},
        HitCase{"Left", {15, 100}, HTLEFT}, HitCase{"Right", {285, 100}, HTRIGHT},
        HitCase{"CaptionOverALabel", {50, 30}, HTCAPTION},
        HitCase{"CaptionOverAButton", {130, 30}, HTCLIENT},
        HitCase{"BelowTheCaption", {150, 100}, HTCLIENT}),
    [](const ::testing::TestParamInfo<HitCase>& info) { return info.param.name; });

TEST_F(WindowImplBaseTest, MaximizedHasNoResizeCodesAndTheSystemButtonsSwap) {
  SkinWindow* window = Create();
  ASSERT_TRUE(window);
  const HWND hwnd = window->GetHWND();
  Control* maxButton = window->FindControlByName(L"maxbtn");
  Control* restoreButton = window->FindControlByName(L"restorebtn");
  ASSERT_TRUE(maxButton && restoreButton);
  auto click = [hwnd](Control* button) {
    const UiRect r = button->GetPosition();
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(r.left + 2, r.top + 2));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(r.left + 2, r.top + 2));
  };
  click(maxButton);
  ASSERT_TRUE(::IsZoomed(hwnd));
  EXPECT_FALSE(maxButton->IsVisible());
  EXPECT_TRUE(restoreButton->IsVisible());
  EXPECT_EQ(window->GetShadow().GetCorner(), UiRect{});
  for (const UiPoint& p : {UiPoint{1, 1}, UiPoint{1, 100}, UiPoint{100, 1}}) {
    const LRESULT code = window->HitTest(p);
    EXPECT_TRUE(code == HTCLIENT || code == HTCAPTION) << p.x << "," << p.y << ": " << code;
  }
  ASSERT_TRUE(PumpUntil([&] { return !window->NeedsLayout(); }, 1000));
  click(restoreButton);
  EXPECT_FALSE(::IsZoomed(hwnd));
  EXPECT_TRUE(maxButton->IsVisible());
  EXPECT_FALSE(restoreButton->IsVisible());
  EXPECT_EQ(window->GetShadow().GetCorner(), (UiRect{14, 14, 14, 14}));
  ::DestroyWindow(hwnd);
}

TEST_F(WindowImplBaseTest, ALayoutBoundButtonClickReachesItsHandler) {
  SkinWindow* window = Create(false);
  ASSERT_TRUE(window);
  int clicks = 0;
  button_->AttachEvent(kEventClick, [&clicks](EventArgs*) {
    ++clicks;
    return true;
  });
  const UiRect r = button_->GetPosition();
  ::SendMessageW(window->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, At(r.left + 3, r.top + 3));
  ::SendMessageW(window->GetHWND(), WM_LBUTTONUP, 0, At(r.left + 3, r.top + 3));
  EXPECT_EQ(clicks, 1);
  ::DestroyWindow(window->GetHWND());
}

TEST_F(WindowImplBaseTest, MinMaxInfoUsesTheWorkAreaAndTheTrackingSizes) {
  SkinWindow* window = Create();
  ASSERT_TRUE(window);
  window->SetMinSize(200, 0);
  window->SetMaxSize(600, 400);
  window->maximizeRect = UiRect{10, 20, 410, 320};
  MINMAXINFO info{};
  ::SendMessageW(window->GetHWND(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(window->GetHWND(), MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left - monitor.rcMonitor.left + 10);
  EXPECT_EQ(info.ptMaxPosition.y, monitor.rcWork.top - monitor.rcMonitor.top + 20);
  EXPECT_EQ(info.ptMaxSize.x, 400);
  EXPECT_EQ(info.ptMaxSize.y, 300);
  EXPECT_EQ(info.ptMinTrackSize.x, 228);
  EXPECT_EQ(info.ptMinTrackSize.y, 0) << "a height that is only the band was never set";
  EXPECT_EQ(info.ptMaxTrackSize.x, 628);
  EXPECT_EQ(info.ptMaxTrackSize.y, 428);
  ::DestroyWindow(window->GetHWND());
}

TEST_F(WindowImplBaseTest, SystemCloseClosesTheWindowAndFreesItsTree) {
  SkinWindow* window = Create();
  ASSERT_TRUE(window);
  const HWND hwnd = window->GetHWND();
  auto windowAlive = window->WeakFlagOf();
  std::vector<std::weak_ptr<kbase::WeakFlag>> controls;
  window->GetRoot()->FindControl(
      [](Control* control, void* data) -> Control* {
        static_cast<std::vector<std::weak_ptr<kbase::WeakFlag>>*>(data)->push_back(
            control->WeakFlagOf());
        return nullptr;
      },
      &controls, 0);
  ASSERT_EQ(controls.size(), 10u);  // the shadow box, the body and the eight below it
  ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_TRUE(windowAlive.expired());
  int alive = 0;
  for (const auto& control : controls) alive += control.expired() ? 0 : 1;
  EXPECT_EQ(alive, 0) << "controls outlived their window";
}

TEST_F(WindowImplBaseTest, TheCloseButtonClosesAfterTheFade) {
  SkinWindow* window = Create();
  ASSERT_TRUE(window);
  const HWND hwnd = window->GetHWND();
  Control* close = window->FindControlByName(L"closebtn");
  const UiRect r = close->GetPosition();
  ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(r.left + 2, r.top + 2));
  ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(r.left + 2, r.top + 2));
  EXPECT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 3000));
  EXPECT_TRUE(root_.expired());
}

TEST_F(WindowImplBaseTest, RoundCornersClipTheWindow) {
  SkinWindow* window = Create(false);
  ASSERT_TRUE(window);
  window->roundCorner = UiSize{20, 20};
  ::SetWindowPos(window->GetHWND(), nullptr, 0, 0, 310, 210, SWP_NOMOVE | SWP_NOZORDER);
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(window->GetHWND(), region), ERROR);
  EXPECT_FALSE(::PtInRegion(region, 0, 0));
  EXPECT_TRUE(::PtInRegion(region, 150, 100));
  EXPECT_TRUE(::PtInRegion(region, 309, 100));
  ::DeleteObject(region);
  ::DestroyWindow(window->GetHWND());
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

TEST_F(WindowImplBaseTest, FrameMessagesAreAnsweredByTheSkin) {
  SkinWindow* window = Create();
  ASSERT_TRUE(window);
  const HWND hwnd = window->GetHWND();
  // A double click on the caption does not maximise.
  ::SendMessageW(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(50, 30));
  EXPECT_FALSE(::IsZoomed(hwnd));
  EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0), TRUE);
  EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0), FALSE);
  RECT rect{0, 0, 300, 200};
  EXPECT_EQ(::SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect)), 0);
  EXPECT_EQ(rect.right - rect.left, 300) << "the whole window stays client area";
  ::DestroyWindow(hwnd);
}

TEST_F(WindowImplBaseTest, ActivatingRestoresAMinimizedWindowAndShowsAHiddenOne) {
  SkinWindow* window = Create(false);
  ASSERT_TRUE(window);
  const HWND hwnd = window->GetHWND();
  ::ShowWindow(hwnd, SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(hwnd));
  window->ActivateWindow();
  EXPECT_FALSE(::IsIconic(hwnd));
  ::ShowWindow(hwnd, SW_HIDE);
  window->ActivateWindow();
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  ::DestroyWindow(hwnd);
}

}  // namespace
}  // namespace ui
