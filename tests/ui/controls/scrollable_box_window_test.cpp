#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls/scroll_bar.h"
#include "ui/controls/scrollable_box.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_layout.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::PixelAt;
using window_test::At;
using window_test::ClickControl;
using window_test::CreateShown;
using window_test::PumpUntil;

constexpr int kRows = 200;
constexpr int kRowHeight = 20;
constexpr UiRect kWindowRect{100, 100, 300, 200};

// 200 rows of 20 pixels in a real window of 200 x 100; row i is painted with red i.
class ScrolledRowsTest : public ::testing::Test {
 protected:
  ScrolledRowsTest() {
    box_ = new ScrollableBox(new VLayout());
    box_->EnableScrollBar(true, false);
    for (int i = 0; i < kRows; ++i) {
      const std::wstring name = L"row" + std::to_wstring(i);
      wchar_t value[16];
      swprintf(value, 16, L"#FF%02X%02X80", i, 255 - i);
      UiRegistry::AddTextColor(name, value);
      auto* row = new ClickControl();
      row->SetFixedHeight(kRowHeight);
      row->SetAttribute(L"bkcolor", name);
      box_->Add(row);
      rows_.push_back(row);
    }
    hwnd_ = CreateShown(&window_, kWindowRect, box_, false);
  }

  int Position() const { return box_->GetScrollPos().cy; }
  void Wheel(int notches) {
    const LPARAM screen = MAKELPARAM(kWindowRect.left + 50, kWindowRect.top + 50);
    ::SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, -120 * notches), screen);
  }
  // The row whose colour the surface shows at the point.
  int RowShownAt(int x, int y) {
    ::UpdateWindow(hwnd_);
    return PixelAt(*window_.GetRenderContext(), x, y).r;
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  ScrollableBox* box_ = nullptr;
  std::vector<ClickControl*> rows_;
};

TEST_F(ScrolledRowsTest, TheWheelScrollsToTheRowsThePositionSays) {
  ASSERT_TRUE(hwnd_);
  EXPECT_EQ(box_->GetScrollRange().cy, kRows * kRowHeight - 100);
  for (int y = 0; y < 100; y += 10) EXPECT_EQ(RowShownAt(10, y), y / kRowHeight) << y;

  Wheel(1);
  Wheel(1);
  Wheel(1);
  ASSERT_TRUE(PumpUntil([&] { return Position() == 90; }, 20000)) << Position();
  for (int y = 0; y < 100; y += 10) EXPECT_EQ(RowShownAt(10, y), (y + 90) / kRowHeight) << y;

  // A click lands on the row under the pointer.
  ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 15));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(10, 15));
  EXPECT_EQ(rows_[(15 + 90) / kRowHeight]->activations, 1);
  EXPECT_EQ(rows_[15 / kRowHeight]->activations, 0);
}

TEST_F(ScrolledRowsTest, TheBarShowsUnderTheMouseAndItsThumbFollowsThePosition) {
  ASSERT_TRUE(hwnd_);
  ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(50, 50));
  ScrollBar& bar = *box_->GetVerticalScrollBar();
  ASSERT_TRUE(PumpUntil([&] { return bar.IsVisible(); }, 20000));
  const int topBefore = bar.GetThumbRect().top;
  box_->EndDown(false, false);
  EXPECT_EQ(bar.GetThumbRect().bottom, bar.GetButton2Rect().top);
  EXPECT_GT(bar.GetThumbRect().top, topBefore);
}

// The shipped theme's bars: a thin grey thumb, shown while the mouse is over the box.
TEST(ThemeScrollBar, TheDefaultThemesThumbShowsUnderTheMouse) {
  control_test::ShippedTheme theme;
  UiRegistry::AddTextColor(L"theme_test_row", L"#FFFFFFFF");
  {
    window_test::TestNativeWindow window;
    // Skins lie one folder below the theme; the theme's pictures are reached from there.
    window.SetResourceSubFolder(L"skin\\");
    auto* box = new ScrollableBox(new VLayout());
    box->EnableScrollBar(true, false);
    for (int i = 0; i < 20; ++i) {
      auto* row = new Control();
      row->SetFixedHeight(kRowHeight);
      row->SetAttribute(L"bkcolor", L"theme_test_row");
      box->Add(row);
    }
    const HWND hwnd = CreateShown(&window, kWindowRect, box, false);
    ASSERT_TRUE(hwnd);
    ScrollBar& bar = *box->GetVerticalScrollBar();
    EXPECT_EQ(bar.GetPosition(), (UiRect{190, 0, 200, 100}));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(50, 50));
    ASSERT_TRUE(PumpUntil([&] { return bar.IsVisible() && bar.GetAlpha() == 255; }, 20000));
    ::UpdateWindow(hwnd);
    const UiRect thumb = bar.GetThumbRect();
    const render_test::Pixel middle =
        PixelAt(*window.GetRenderContext(), 195, (thumb.top + thumb.bottom) / 2);
    // Grey over the white rows, and nothing of the bar below the thumb.
    EXPECT_LT(middle.r, 0xE0);
    EXPECT_EQ(middle.r, middle.b);
    EXPECT_EQ(PixelAt(*window.GetRenderContext(), 195, thumb.bottom + 5).r, 0xFF);
    ::DestroyWindow(hwnd);
  }
}

}  // namespace
}  // namespace ui
