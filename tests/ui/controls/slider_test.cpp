#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ui/controls/scrollable_box.h"
#include "ui/controls/slider.h"
#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_layout.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::Pixel;
using render_test::PixelAt;
using window_test::At;
using window_test::CreateShown;

constexpr int kLeft = 20;
constexpr int kTop = 10;
constexpr UiRect kWindowRect{100, 100, 300, 160};

bool IsRed(const Pixel& p) {
  return p.r == 255 && p.g == 0 && p.b == 0;
}

// A slider of 110 x 20 with a 10 x 10 thumb at (20, 10) in a real window: 0..100, red up
// to the thumb, the thumb (0, 128, 255) drawn from an 8 x 8 image. A press 5 + v pixels into the
// slider stands for the value v.
class SliderWindowTest : public ::testing::Test {
 protected:
  SliderWindowTest() {
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    UiRegistry::AddTextColor(L"red", L"#FFFF0000");
    root_ = new Box();
    root_->SetAttribute(L"bkcolor", L"white");
    slider_ = new Slider();
    slider_->ApplyAttributeList(
        L"margin=\"20,10,0,0\" width=\"110\" height=\"20\" thumbsize=\"10,10\" "
        L"progresscolor=\"red\" value=\"50\"");
    slider_->SetThumbImage(ControlState::kNormal, image_test::ImagePath(L"opaque_rgba.png"));
    slider_->AttachEvent(kEventValueChange, [this](EventArgs*) {
      ++changes_;
      return true;
    });
    root_->Add(slider_);
    hwnd_ = CreateShown(&window_, kWindowRect, root_, false);
  }
  ~SliderWindowTest() override {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }

  Pixel PixelOf(int x, int y) {
    ::UpdateWindow(hwnd_);
    return PixelAt(*window_.GetRenderContext(), kLeft + x, kTop + y);
  }
  void Down(int x) { ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(kLeft + x, kTop + 10)); }
  void Move(int x) { ::SendMessageW(hwnd_, WM_MOUSEMOVE, MK_LBUTTON, At(kLeft + x, kTop + 10)); }
  void Up(int x) { ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(kLeft + x, kTop + 10)); }
  void Wheel(int delta) {
    const LPARAM screen = MAKELPARAM(kWindowRect.left + kLeft + 50, kWindowRect.top + kTop + 10);
    ::SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), screen);
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  Box* root_ = nullptr;
  Slider* slider_ = nullptr;
  int changes_ = 0;
};

TEST_F(SliderWindowTest, TheThumbSitsAtTheValueAndTheFillEndsAtItsCentre) {
  ASSERT_TRUE(hwnd_);
  EXPECT_EQ(slider_->GetThumbRect(), (UiRect{kLeft + 50, kTop + 5, kLeft + 60, kTop + 15}));
  EXPECT_EQ(slider_->GetProgressPos(), (UiRect{0, 0, 55, 20}));
  const Pixel thumb{255, 128, 0, 255};
  const struct {
    int x;
    int y;
    bool red;
    bool thumb;
  } cases[] = {{0, 2, true, false},    {54, 2, true, false},   {55, 2, false, false},
               {49, 10, true, false},  {50, 10, false, true},  {59, 10, false, true},
               {60, 10, false, false}, {100, 10, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    const Pixel p = PixelOf(c.x, c.y);
    EXPECT_EQ(IsRed(p), c.red) << p;
    EXPECT_EQ(p == thumb, c.thumb) << p;
  }
}

// Presses, moves and a release as the mouse makes them: the value follows the pointer
// while the thumb is held, and each release sends one "valuechange", changed or not.
TEST_F(SliderWindowTest, ClicksAndDragsSetTheValueWithOneChangePerRelease) {
  ASSERT_TRUE(hwnd_);
  const struct {
    const char* what;
    bool onThumb;  // the press lands on the thumb's centre, wherever it is
    int down;
    int moves[2];  // -1: none
    double whileMoving;
    int up;
    double value;
  } cases[] = {
      {"click on the track", false, 80, {-1, -1}, 50, 80, 75},
      {"click within half a thumb of the left end", false, 3, {-1, -1}, 75, 3, 0},
      {"click within half a thumb of the right end", false, 107, {-1, -1}, 0, 107, 100},
      {"drag the thumb", true, 0, {10, 65}, 60, 65, 60},
      {"press off the thumb, move, release", false, 90, {30, 70}, 60, 20, 15},
      {"drag the thumb past the end", true, 0, {200, -1}, 100, 300, 100},
      {"release where it was", true, 0, {-1, -1}, 100, 105, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int before = changes_;
    Down(c.onThumb ? slider_->GetThumbRect().left - kLeft + 5 : c.down);
    EXPECT_EQ(slider_->IsPressed(), c.onThumb);
    for (int move : c.moves) {
      if (move >= 0) Move(move);
    }
    EXPECT_DOUBLE_EQ(slider_->GetValue(), c.whileMoving);
    EXPECT_EQ(changes_, before);
    Up(c.up);
    EXPECT_EQ(changes_, before + 1);
    EXPECT_DOUBLE_EQ(slider_->GetValue(), c.value);
    EXPECT_FALSE(slider_->IsPressed());
    EXPECT_EQ(slider_->GetThumbRect().left, kLeft + static_cast<int>(c.value));
    // The thumb is painted there.
    EXPECT_EQ(PixelOf(static_cast<int>(c.value) + 5, 10), (Pixel{255, 128, 0, 255}));
  }
}

TEST_F(SliderWindowTest, TheWheelStepsTheValueWithAChangePerNotch) {
  ASSERT_TRUE(hwnd_);
  slider_->SetAttribute(L"step", L"5");
  const struct {
    int delta;
    bool enabled;
    double value;
    int changes;
  } cases[] = {{120, true, 55, 1},
               {120, true, 60, 1},
               {-120, true, 55, 1},
               {-120, false, 55, 0},
               {120, false, 55, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.delta << (c.enabled ? " enabled" : " disabled"));
    slider_->SetEnabled(c.enabled);
    const int before = changes_;
    Wheel(c.delta);
    EXPECT_DOUBLE_EQ(slider_->GetValue(), c.value);
    EXPECT_EQ(changes_ - before, c.changes);
    // The thumb is painted where the value puts it.
    const Pixel thumb = PixelOf(static_cast<int>(c.value) + 5, 10);
    EXPECT_EQ(thumb, (Pixel{255, 128, 0, 255}));
  }
}

// 25 pixels along a track of 100 in a range of 100,000,000: the product is past 32 bits.
TEST_F(SliderWindowTest, AWideRangeGivesTheValueUnderThePointer) {
  ASSERT_TRUE(hwnd_);
  slider_->SetMaxValue(100000000);
  Down(30);
  Up(30);
  EXPECT_DOUBLE_EQ(slider_->GetValue(), 25000000);
  EXPECT_EQ(changes_, 1);
  EXPECT_FALSE(IsRed(PixelOf(31, 2)));
  EXPECT_TRUE(IsRed(PixelOf(29, 2)));
}

// Before any paint has repaired the range, an empty one gives a thumb on the control and
// values inside it.
TEST(SliderGeometry, AnEmptyRangeBeforeAnyPaintKeepsTheThumbOnTheControl) {
  control_test::UiScope ui;
  const struct {
    int min;
    int max;
    double value;
    bool horizontal;
  } cases[] = {{10, 10, 10, true}, {10, 10, 10, false}, {10, 10, 90, true}, {40, 20, 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " at " << c.value);
    Slider slider;
    slider.SetPosition(UiRect{10, 10, 120, 30});
    slider.SetHorizontal(c.horizontal);
    slider.SetMinValue(c.min);
    slider.SetMaxValue(c.max);
    slider.SetValue(c.value);
    const UiRect thumb = slider.GetThumbRect();
    EXPECT_GE(thumb.left, 10);
    EXPECT_LE(thumb.right, 120);
    EXPECT_GE(thumb.top, 10 - 10);
    EXPECT_LE(thumb.bottom, 30 + 10);
    const UiRect p = slider.GetProgressPos();
    EXPECT_GE(p.right, 0);
    EXPECT_LE(p.right, 110);
    EXPECT_GE(p.top, 0);
    EXPECT_LE(p.top, 20);
    for (int x : {12, 40, 70, 118}) {
      const double v = slider.ValueFromPoint(UiPoint{x, 20});
      EXPECT_FALSE(std::isnan(v));
      EXPECT_GE(v, std::min(c.min, c.max));
      EXPECT_LE(v, std::max(c.min, c.max));
    }
  }
}

// A vertical slider 300 pixels down a box scrolled by 250: the pointer's point is moved by
// the scroll offset for the value as it is for the thumb, so a point on the screen stands
// for the value shown there.
TEST(SliderInScrolledBox, TheValueIsTheOneUnderThePointer) {
  control_test::UiScope ui;
  window_test::TestNativeWindow window;
  auto* box = new ScrollableBox(new VLayout());
  box->EnableScrollBar(true, false);
  auto* spacer = new Control();
  spacer->SetFixedHeight(300);
  box->Add(spacer);
  auto* slider = new Slider();
  slider->ApplyAttributeList(L"width=\"20\" height=\"110\" hor=\"false\" value=\"0\"");
  box->Add(slider);
  auto* rest = new Control();
  rest->SetFixedHeight(300);
  box->Add(rest);
  int changes = 0;
  slider->AttachEvent(kEventValueChange, [&changes](EventArgs*) {
    ++changes;
    return true;
  });
  const HWND hwnd = CreateShown(&window, UiRect{100, 100, 300, 300}, box, false);
  ASSERT_TRUE(hwnd);
  box->SetScrollPosY(250);
  ASSERT_EQ(box->GetScrollPos().cy, 250);
  ::UpdateWindow(hwnd);
  // The slider shows from y 50 to 160: the screen's y stands for 155 - y.
  const struct {
    int down;
    bool onThumb;
    int up;
    double value;
  } cases[] = {{155, true, 95, 60}, {125, false, 125, 30}, {70, false, 70, 85}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.down << " to " << c.up);
    const int before = changes;
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(10, c.down));
    EXPECT_EQ(slider->IsPressed(), c.onThumb);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, At(10, c.up));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(10, c.up));
    EXPECT_DOUBLE_EQ(slider->GetValue(), c.value);
    EXPECT_EQ(changes, before + 1);
  }
  ::DestroyWindow(hwnd);
}

}  // namespace
}  // namespace ui
