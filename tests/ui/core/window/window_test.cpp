#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/i_ui_message_filter.h"
#include "ui/core/window/shadow_box.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::UiScope;
using render_test::Pixel;
using render_test::PixelAt;
using window_test::At;
using window_test::ClickControl;
using window_test::CreateShown;
using window_test::Pump;
using window_test::PumpUntil;
using window_test::TestNativeWindow;

using Log = std::vector<std::string>;

EventHandler Record(Log* log, const std::string& entry) {
  return [log, entry](EventArgs*) {
    log->push_back(entry);
    return true;
  };
}

// Two clickable controls side by side, A on the left and B on the right of 100 x 40.
class TwoControlWindowTest : public ::testing::Test {
 protected:
  TwoControlWindowTest() {
    auto* root = new HBox();
    a_ = new ClickControl();
    b_ = new ClickControl();
    a_->SetName(L"a");
    b_->SetName(L"b");
    root->Add(a_);
    root->Add(b_);
    for (ClickControl* c : {a_, b_}) {
      const std::string name = c == a_ ? "a " : "b ";
      c->AttachEvent(kEventButtonDown, Record(&log_, name + "down"));
      c->AttachEvent(kEventButtonUp, Record(&log_, name + "up"));
      c->AttachEvent(kEventClick, Record(&log_, name + "click"));
      c->AttachEvent(kEventDoubleClick, Record(&log_, name + "double"));
      c->AttachEvent(kEventMouseEnter, Record(&log_, name + "enter"));
      c->AttachEvent(kEventMouseLeave, Record(&log_, name + "leave"));
    }
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 200, 140}, root, false);
  }

  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(hwnd_, message, wParam, lParam);
  }

  UiScope ui_;
  Log log_;
  TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  ClickControl* a_;
  ClickControl* b_;
};

TEST_F(TwoControlWindowTest, LaysOutAndPaintsOnFirstShow) {
  ASSERT_TRUE(hwnd_);
  EXPECT_EQ(a_->GetPosition(), (UiRect{0, 0, 50, 40}));
  EXPECT_EQ(b_->GetPosition(), (UiRect{50, 0, 100, 40}));
  EXPECT_EQ(window_.FindControlAt(UiPoint{70, 10}), b_);
  EXPECT_EQ(window_.FindControlByName(L"a"), a_);
  EXPECT_EQ(window_.FindSubControlByName(window_.GetRoot(), L"B"), b_);
}

// An area inside one already marked is not marked again until the window has painted;
// after the paint it is.
TEST_F(TwoControlWindowTest, AreasMarkedAgainAfterAPaintArePaintedAgain) {
  ASSERT_TRUE(hwnd_);
  ::UpdateWindow(hwnd_);
  RECT update{};
  EXPECT_FALSE(::GetUpdateRect(hwnd_, &update, FALSE));
  window_.InvalidateArea(UiRect{0, 0, 100, 40});
  window_.InvalidateArea(a_->GetPosition());
  ASSERT_TRUE(::GetUpdateRect(hwnd_, &update, FALSE));
  EXPECT_EQ(update.right, 100);
  ::UpdateWindow(hwnd_);
  window_.InvalidateArea(a_->GetPosition());
  ASSERT_TRUE(::GetUpdateRect(hwnd_, &update, FALSE));
  EXPECT_EQ(update.right, 50);
  ::UpdateWindow(hwnd_);
  b_->Invalidate();
  ASSERT_TRUE(::GetUpdateRect(hwnd_, &update, FALSE));
  EXPECT_EQ(update.left, 50);
}

TEST_F(TwoControlWindowTest, PressOnAMoveOntoBReleaseEndsANormalWithoutClick) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  EXPECT_EQ(a_->GetState(), ControlState::kPushed);
  EXPECT_EQ(window_.GetPushedControl(), a_);
  Send(WM_MOUSEMOVE, MK_LBUTTON, At(70, 10));
  Send(WM_LBUTTONUP, 0, At(70, 10));
  EXPECT_EQ(a_->GetState(), ControlState::kNormal);
  EXPECT_EQ(a_->activations, 0);
  EXPECT_EQ(b_->activations, 0);
  EXPECT_EQ(window_.GetPushedControl(), nullptr);
  EXPECT_FALSE(window_.IsMouseCaptured());
  // The release goes to A, which holds the mouse; B only saw the mouse come over it.
  EXPECT_EQ(log_, (Log{"a down", "b enter", "a up"}));
}

TEST_F(TwoControlWindowTest, ClickInsideActivates) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  Send(WM_LBUTTONUP, 0, At(12, 12));
  EXPECT_EQ(a_->activations, 1);
  EXPECT_EQ(a_->GetState(), ControlState::kHot);
  EXPECT_EQ(log_.back(), "a click");
}

TEST_F(TwoControlWindowTest, DoubleClickPressesWithoutRunningHandlers) {
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(10, 10));
  EXPECT_EQ(a_->GetState(), ControlState::kPushed);
  EXPECT_TRUE(a_->IsPressed());
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "a double"), 0);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "a down"), 0);
  Send(WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_EQ(a_->activations, 1);
}

TEST_F(TwoControlWindowTest, ButtonDownFocusesTheControl) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(60, 10));
  EXPECT_EQ(window_.GetFocusControl(), b_);
  EXPECT_TRUE(b_->IsFocused());
  Send(WM_LBUTTONUP, 0, At(60, 10));
}

TEST_F(TwoControlWindowTest, LeavingTheWindowLeavesTheControlOnceWithoutALoop) {
  int leaves = 0;
  struct LeaveCounter : IUIMessageFilter {
    int* count;
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool*) override {
      if (message == WM_MOUSELEAVE) ++*count;
      return 0;
    }
  } counter;
  counter.count = &leaves;
  window_.AddMessageFilter(&counter);
  Send(WM_MOUSEMOVE, 0, At(10, 10));
  EXPECT_EQ(window_.GetHoverControl(), a_);
  Send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(window_.GetHoverControl(), nullptr);
  EXPECT_EQ(a_->GetState(), ControlState::kNormal);
  const int afterOne = leaves;
  // The real pointer is not over the window: tracking may say so once, never again and again.
  Pump(300);
  EXPECT_LE(leaves - afterOne, 1);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "a leave"), 1);
  window_.RemoveMessageFilter(&counter);
}

BOOL CALLBACK FindToolTip(HWND hwnd, LPARAM found) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  if (std::wstring(name) != TOOLTIPS_CLASSW) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

TEST_F(TwoControlWindowTest, HoverShowsTheControlsToolTip) {
  b_->SetAttribute(L"tooltiptext", L"Bee<n>second line");
  Send(WM_MOUSEMOVE, 0, At(70, 10));
  Send(WM_MOUSEHOVER, 0, At(70, 10));
  HWND tooltip = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_TRUE(tooltip);
  EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), hwnd_);
  wchar_t text[128] = {};
  TOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.hwnd = hwnd_;
  info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  info.lpszText = text;
  ::SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(std::wstring(text), L"Bee\r\nsecond line");
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETMAXTIPWIDTH, 0, 0), 300);
}

struct Filter : IUIMessageFilter {
  explicit Filter(UINT handles) : handles(handles) {}
  LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool* handled) override {
    if (message == handles) {
      ++seen;
      *handled = true;
    }
    return 0;
  }
  UINT handles;
  int seen = 0;
};

TEST_F(TwoControlWindowTest, AFilterHandlingButtonDownKeepsItFromTheControl) {
  Filter filter(WM_LBUTTONDOWN);
  window_.AddMessageFilter(&filter);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  EXPECT_EQ(filter.seen, 1);
  EXPECT_EQ(a_->GetState(), ControlState::kNormal);
  EXPECT_EQ(window_.GetPushedControl(), nullptr);
}

TEST_F(TwoControlWindowTest, AFilterHandlingMouseMoveDoesNotStopHover) {
  Filter filter(WM_MOUSEMOVE);
  window_.AddMessageFilter(&filter);
  Send(WM_MOUSEMOVE, 0, At(10, 10));
  EXPECT_EQ(filter.seen, 1);
  EXPECT_EQ(window_.GetHoverControl(), a_);
  EXPECT_EQ(a_->GetState(), ControlState::kHot);
}

TEST_F(TwoControlWindowTest, ADestroyedFilterDropsOut) {
  auto filter = std::make_unique<Filter>(WM_LBUTTONDOWN);
  window_.AddMessageFilter(filter.get());
  filter.reset();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  EXPECT_EQ(a_->GetState(), ControlState::kPushed);
  Send(WM_LBUTTONUP, 0, At(10, 10));
}

TEST_F(TwoControlWindowTest, AClickHandlerRemovingItsOwnControlIsSafe) {
  auto alive = a_->WeakFlagOf();
  a_->AttachEvent(kEventClick, [this](EventArgs*) {
    static_cast<Box*>(window_.GetRoot())->Remove(a_);
    return true;
  });
  Send(WM_MOUSEMOVE, 0, At(10, 10));
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  Send(WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_FALSE(alive.expired()) << "destroyed later, not inside its own click";
  ASSERT_TRUE(PumpUntil([&] { return alive.expired(); }, 2000));
  EXPECT_EQ(window_.FindControlByName(L"a"), nullptr);
  EXPECT_EQ(window_.GetPushedControl(), nullptr);
  EXPECT_EQ(window_.GetHoverControl(), nullptr);
  EXPECT_EQ(window_.GetEventHoverControl(), nullptr);
  // The window lays the rest out again and goes on working.
  Pump(50);
  EXPECT_EQ(b_->GetPosition(), (UiRect{0, 0, 100, 40}));
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  Send(WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_EQ(b_->activations, 1);
}

TEST_F(TwoControlWindowTest, AttachingTheCurrentRootAgainChangesNothing) {
  Control* root = window_.GetRoot();
  auto alive = root->WeakFlagOf();
  EXPECT_TRUE(window_.AttachRoot(root));
  Pump(50);
  EXPECT_FALSE(alive.expired());
  EXPECT_EQ(window_.GetRoot(), root);
  EXPECT_FALSE(window_.AttachRoot(nullptr));
}

TEST_F(TwoControlWindowTest, TabAndShiftTabWalkTheStopsAndWrap) {
  auto* c = new Control();
  static_cast<Box*>(window_.GetRoot())->Add(c);
  Pump(50);
  window_.SetFocusControl(a_);
  std::vector<Control*> walk;
  for (int i = 0; i < 4; ++i) {
    Send(WM_KEYDOWN, VK_TAB, 0);
    walk.push_back(window_.GetFocusControl());
  }
  EXPECT_EQ(walk, (std::vector<Control*>{b_, c, a_, b_}));

  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  walk.clear();
  for (int i = 0; i < 3; ++i) {
    Send(WM_KEYDOWN, VK_TAB, 0);
    walk.push_back(window_.GetFocusControl());
  }
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(walk, (std::vector<Control*>{a_, c, b_}));
}

TEST_F(TwoControlWindowTest, KeysGoToTheFocusedControl) {
  Log keys;
  b_->AttachEvent(kEventKeyDown, Record(&keys, "down"));
  b_->AttachEvent(kEventKeyUp, Record(&keys, "up"));
  b_->AttachEvent(kEventChar, Record(&keys, "char"));
  Send(WM_KEYDOWN, 'X', 0);  // nothing focused: nobody hears it
  window_.SetFocusControl(b_);
  Send(WM_KEYDOWN, 'X', 0);
  Send(WM_CHAR, 'x', 0);
  Send(WM_KEYUP, 'X', 0);
  EXPECT_EQ(keys, (Log{"down", "char", "up"}));
}

TEST_F(TwoControlWindowTest, AHandlerDestroyingTheWindowStopsEverythingAfterIt) {
  auto* owned = new TestNativeWindow();
  auto* root = new HBox();
  auto* control = new ClickControl();
  root->Add(control);
  const HWND hwnd = CreateShown(owned, UiRect{0, 0, 50, 50}, root, false);
  ASSERT_TRUE(hwnd);
  int after = 0;
  control->AttachEvent(kEventClick, [owned](EventArgs*) {
    delete owned;
    return true;
  });
  control->AttachEvent(kEventClick, [&after](EventArgs*) {
    ++after;
    return true;
  });
  ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(5, 5));
  EXPECT_EQ(after, 0);
  EXPECT_FALSE(::IsWindow(hwnd));
  Pump(50);
}

TEST(WindowTab, ATabBeforeTheFirstLayoutIsActedOnAfterIt) {
  UiScope ui;
  TestNativeWindow window;
  const HWND hwnd =
      window.CreateNativeWindow(nullptr, L"tab", WS_POPUP, 0, false, UiRect{0, 0, 80, 30});
  ASSERT_TRUE(hwnd);
  window.GetShadow().SetAttached(false);
  window.InitWindow(hwnd);
  auto* root = new HBox();
  auto* first = new Control();
  root->Add(first);
  root->Add(new Control());
  window.AttachRoot(root);
  window.MoveTabFocus(true);
  EXPECT_EQ(window.GetFocusControl(), nullptr);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd);
  EXPECT_EQ(window.GetFocusControl(), first);
}

TEST(WindowNames, ForgettingAControlKeepsANameTakenByAnother) {
  UiScope ui;
  TestNativeWindow window;
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 50, 50}, new HBox(), false);
  ASSERT_TRUE(hwnd);
  auto* box = static_cast<Box*>(window.GetRoot());
  auto* first = new Control();
  first->SetName(L"same");
  box->Add(first);
  auto* second = new Control();
  second->SetName(L"same");
  box->Add(second);
  EXPECT_EQ(window.FindControlByName(L"same"), second);
  box->Remove(first);
  Pump(50);
  EXPECT_EQ(window.FindControlByName(L"same"), second);
}

// A control that removes another control from its box when destroyed, so that destroying
// the queue queues more.
class Chained : public Control {
 public:
  Chained(Box* box, Control* next) : box_(box), next_(next) {}
  ~Chained() override { box_->Remove(next_); }

 private:
  Box* box_;
  Control* next_;
};

TEST(WindowDeferredDestroy, ControlsQueuedWhileDestroyingAreDestroyedToo) {
  UiScope ui;
  TestNativeWindow window;
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 50, 50}, new HBox(), false);
  ASSERT_TRUE(hwnd);
  auto* box = static_cast<Box*>(window.GetRoot());
  auto* last = new Control();
  box->Add(last);
  auto* chained = new Chained(box, last);
  box->Add(chained);
  auto lastAlive = last->WeakFlagOf();
  box->Remove(chained);
  ::SendMessageW(hwnd, kDeferredDestroyMessage, 0, 0);
  EXPECT_TRUE(lastAlive.expired());
  EXPECT_EQ(box->GetCount(), 0);
}

TEST(WindowSize, MaximizingCollapsesTheShadowAndMinimizingChangesNothing) {
  UiScope ui;
  TestNativeWindow window;
  auto* root = new HBox();
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 120, 80}, root, false, true);
  ASSERT_TRUE(hwnd);
  const UiRect band{14, 14, 14, 14};
  EXPECT_EQ(window.GetShadow().GetCorner(), band);
  EXPECT_EQ(window.GetShadowOffset().x, 14);
  int resized = 0;
  window.SetFocusControl(root);  // a box takes no focus
  ::SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(120, 80));
  EXPECT_EQ(window.GetShadow().GetCorner(), UiRect{});
  ::SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(window.GetShadow().GetCorner(), UiRect{});
  ::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
  EXPECT_EQ(window.GetShadow().GetCorner(), band);
  Pump(50);
  EXPECT_EQ(root->GetPosition(), (UiRect{14, 14, 106, 66}));
  (void)resized;
}

TEST(WindowSize, MinAndMaxTrackingSizesIncludeTheShadow) {
  UiScope ui;
  TestNativeWindow window;
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 300, 200}, new HBox(), false, true);
  ASSERT_TRUE(hwnd);
  window.SetMinSize(200, 100);
  window.SetMaxSize(400, 0);
  EXPECT_EQ(window.GetMinSize(), (UiSize{228, 128}));
  EXPECT_EQ(window.GetMaxSize(), (UiSize{428, 0}));
  MINMAXINFO info{};
  info.ptMaxTrackSize = POINT{5000, 5000};
  ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 228);
  EXPECT_EQ(info.ptMinTrackSize.y, 128);
  EXPECT_EQ(info.ptMaxTrackSize.x, 428);
  EXPECT_EQ(info.ptMaxTrackSize.y, 5000);
  window.SetWindowRect(UiRect{50, 60, 250, 160});
  RECT placed{};
  ::GetWindowRect(hwnd, &placed);
  EXPECT_EQ(placed.left, 36);
  EXPECT_EQ(placed.top, 46);
  EXPECT_EQ(placed.right - placed.left, 228);
}

class LayeredWindowTest : public ::testing::Test {
 protected:
  LayeredWindowTest() { UiRegistry::AddTextColor(L"content", L"#FF3060C0"); }
  UiScope ui_;
};

TEST_F(LayeredWindowTest, ContentOpaqueShadowBandFromItsImageCornersAsPainted) {
  TestNativeWindow window;
  window.GetShadow().SetImage(L"file='" + image_test::ImagePath(L"shadow.png") +
                              L"' corner='10,10,10,10'");
  auto* root = new VBox();
  root->SetAttribute(L"bkcolor", L"content");
  root->SetAttribute(L"borderround", L"6,6");
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 128, 88}, root, true, true);
  ASSERT_TRUE(hwnd);
  ASSERT_TRUE(PumpUntil([&] { return root->GetPosition().right == 114; }, 2000));
  Pump(100);
  IRenderContext& surface = *window.GetRenderContext();
  ASSERT_EQ(surface.GetWidth(), 128);
  // The content, drawn by GDI+ and made opaque.
  const Pixel inside = PixelAt(surface, 60, 40);
  EXPECT_EQ(inside.a, 255);
  EXPECT_EQ(inside.b, 0xC0);
  // The band keeps the picture's own alpha.
  EXPECT_EQ(PixelAt(surface, 5, 40).a, 64);
  EXPECT_EQ(PixelAt(surface, 60, 5).a, 64);
  // The content's rounded corner lies in the corner area and keeps the alpha it was
  // painted with: the shadow showing through, not opaque.
  EXPECT_EQ(PixelAt(surface, 14, 14).a, 64);
}

TEST_F(LayeredWindowTest, WithoutShadowTheAlphaFixCornersKeepTheirAlpha) {
  TestNativeWindow window;
  window.alphaFixCorner = UiRect{4, 4, 4, 4};
  auto* root = new VBox();
  auto* content = new Control();
  content->SetAttribute(L"bkcolor", L"content");
  content->SetAttribute(L"borderround", L"8,8");
  root->Add(content);
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 60, 40}, root, true, false);
  ASSERT_TRUE(hwnd);
  Pump(100);
  IRenderContext& surface = *window.GetRenderContext();
  EXPECT_EQ(PixelAt(surface, 30, 20).a, 255);
  // Outside the rounded corner nothing was painted, and the fix leaves it so.
  EXPECT_EQ(PixelAt(surface, 0, 0).a, 0);
  EXPECT_EQ(PixelAt(surface, 59, 39).a, 0);
}

TEST(WindowLifetime, OpeningAndClosingLeavesMemoryAndHandlesFlat) {
  UiScope ui;
  auto openAndClose = [](std::vector<HANDLE>* released) {
    auto* window = new TestNativeWindow();
    auto* root = new VBox();
    for (int r = 0; r < 20; ++r) {
      auto* row = new HBox();
      for (int c = 0; c < 9; ++c) {
        auto* control = new Control();
        control->SetAttribute(L"tooltiptext", L"tip");
        row->Add(control);
      }
      root->Add(row);
    }
    const HWND hwnd = CreateShown(window, UiRect{0, 0, 300, 200}, root, false);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(5, 5));
    ::SendMessageW(hwnd, WM_MOUSEHOVER, 0, At(5, 5));
    if (released) {
      released->push_back(window->GetDefaultFont().handle);
      released->push_back(window->GetRenderContext()->GetDc());
    }
    delete window;
    window_test::Drain();
  };
  auto privateBytes = [] {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    // Wine fills in the page-file figure, which counts the process's committed memory.
    return static_cast<long long>(counters.PagefileUsage);
  };
  for (int i = 0; i < 20; ++i) openAndClose(nullptr);
  const long long before = privateBytes();
  std::vector<HANDLE> released;
  for (int i = 0; i < 200; ++i) openAndClose(i % 50 == 0 ? &released : nullptr);
  const long long growth = privateBytes() - before;
  std::printf(
      "200 windows of 200 controls opened and closed: committed memory %lld KB, "
      "%+lld bytes after\n",
      before / 1024, growth);
  ASSERT_GT(before, 0) << "no memory figure to compare";
  EXPECT_LT(growth, 2 * 1024 * 1024);
  for (HANDLE handle : released) {
    EXPECT_EQ(::GetObjectType(handle), 0u) << "a GDI object outlived its window";
  }
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

TEST_F(LayeredWindowTest, RepaintsWhatIsInvalidatedAfterTheFirstFrame) {
  UiRegistry::AddTextColor(L"changed", L"#FF10A020");
  TestNativeWindow window;
  auto* root = new HBox();
  auto* left = new Control();
  auto* right = new Control();
  left->SetAttribute(L"bkcolor", L"content");
  right->SetAttribute(L"bkcolor", L"content");
  root->Add(left);
  root->Add(right);
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 60, 40}, root, true, false);
  ASSERT_TRUE(hwnd);
  IRenderContext& surface = *window.GetRenderContext();
  ASSERT_EQ(PixelAt(surface, 10, 10).b, 0xC0);
  right->SetAttribute(L"bkcolor", L"changed");
  ASSERT_TRUE(PumpUntil([&] { return PixelAt(surface, 40, 10).g == 0xA0; }, 2000))
      << "the invalidated control was not repainted";
  EXPECT_EQ(PixelAt(surface, 10, 10).b, 0xC0);
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

// A window made from a copy of the system's static-text class.
class StaticCopy : public TestNativeWindow {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickStaticCopy"; }
  std::wstring GetSuperClassName() const override { return L"STATIC"; }
};

TEST(WindowSuperclass, TheCopiedClassHandlesWhatTheFrameworkLeaves) {
  UiScope ui;
  StaticCopy window;
  window.GetShadow().SetAttached(false);
  const HWND hwnd =
      window.CreateNativeWindow(nullptr, L"copied", WS_POPUP, 0, false, UiRect{0, 0, 50, 20});
  ASSERT_TRUE(hwnd);
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  EXPECT_EQ(std::wstring(name), L"TarnwickStaticCopy");
  ::SetWindowTextW(hwnd, L"from the static class");
  wchar_t text[64] = {};
  ::GetWindowTextW(hwnd, text, 64);
  EXPECT_EQ(std::wstring(text), L"from the static class");
  EXPECT_EQ(::SendMessageW(hwnd, WM_ERASEBKGND, 0, 0), 1);
  ::DestroyWindow(hwnd);
  EXPECT_EQ(window.finalMessages, 1);
}

TEST_F(TwoControlWindowTest, LosingFocusReleasesAControlThatAsksForIt) {
  a_->SetButtonUpOnFocusLoss(true);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  ASSERT_EQ(window_.GetPushedControl(), a_);
  Send(WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(window_.GetPushedControl(), nullptr);
  EXPECT_FALSE(a_->IsPressed());
  EXPECT_EQ(a_->GetState(), ControlState::kNormal);
  EXPECT_EQ(log_.back(), "a up");
}

}  // namespace
}  // namespace ui
