#include "ui/controls/scroll_bar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "common/message_pump.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::TestWindow;
using control_test::UiScope;

constexpr int kWaitMs = 20000;

struct Geometry {
  const char* name;
  UiRect bar;
  bool horizontal;
  bool showButtons;
  int64_t range;
  int64_t position;
  int thumbMinLength;
  UiRect button1;
  UiRect button2;
  UiRect thumb;
};

void PrintTo(const Geometry& geometry, std::ostream* out) {
  *out << geometry.name;
}

class GeometryTest : public ::testing::TestWithParam<Geometry> {
 protected:
  UiScope ui_;
};

TEST_P(GeometryTest, PartsLaidOutInTheBar) {
  const Geometry& g = GetParam();
  ScrollBar bar;
  bar.SetAttribute(L"hor", g.horizontal ? L"true" : L"false");
  bar.SetAttribute(L"showbutton1", g.showButtons ? L"true" : L"false");
  bar.SetAttribute(L"showbutton2", g.showButtons ? L"true" : L"false");
  bar.SetThumbMinLength(g.thumbMinLength);
  bar.SetScrollRange(g.range);
  bar.SetScrollPos(g.position);
  bar.SetPosition(g.bar);
  EXPECT_EQ(bar.GetButton1Rect(), g.button1);
  EXPECT_EQ(bar.GetButton2Rect(), g.button2);
  EXPECT_EQ(bar.GetThumbRect(), g.thumb);
}

INSTANTIATE_TEST_SUITE_P(
    Bars, GeometryTest,
    ::testing::Values(
        // Track 168; thumb (200 · 168) / 500 = 67 long at 16 + (101 · 150) / 300.
        Geometry{"Middle",
                 {0, 0, 16, 200},
                 false,
                 true,
                 300,
                 150,
                 30,
                 {0, 0, 16, 16},
                 {0, 184, 16, 200},
                 {0, 66, 16, 133}},
        Geometry{"AtTheEnd",
                 {0, 0, 16, 200},
                 false,
                 true,
                 300,
                 300,
                 30,
                 {0, 0, 16, 16},
                 {0, 184, 16, 200},
                 {0, 117, 16, 184}},
        Geometry{"LongRangeTakesTheMinimum",
                 {0, 0, 16, 200},
                 false,
                 true,
                 10000,
                 150,
                 30,
                 {0, 0, 16, 16},
                 {0, 184, 16, 200},
                 {0, 18, 16, 48}},
        Geometry{"NoRangeFillsTheTrack",
                 {0, 0, 16, 200},
                 false,
                 true,
                 0,
                 0,
                 30,
                 {0, 0, 16, 16},
                 {0, 184, 16, 200},
                 {0, 16, 16, 184}},
        Geometry{"WithoutButtons",
                 {0, 0, 16, 200},
                 false,
                 false,
                 300,
                 0,
                 30,
                 {0, 0, 0, 0},
                 {0, 200, 0, 200},
                 {0, 0, 16, 80}},
        // No room for a thumb: the buttons share the length.
        Geometry{"TooShortForAThumb",
                 {0, 0, 16, 20},
                 false,
                 true,
                 300,
                 150,
                 30,
                 {0, 0, 16, 10},
                 {0, 10, 16, 20},
                 {0, 0, 0, 0}},
        // A minimum longer than the 28-pixel track: the thumb fills the track instead of
        // reaching over a button.
        Geometry{"MinimumLongerThanTheTrack",
                 {0, 0, 16, 60},
                 false,
                 true,
                 100,
                 50,
                 30,
                 {0, 0, 16, 16},
                 {0, 44, 16, 60},
                 {0, 16, 16, 44}},
        Geometry{"Horizontal",
                 {10, 20, 210, 36},
                 true,
                 true,
                 300,
                 150,
                 30,
                 {10, 20, 26, 36},
                 {194, 20, 210, 36},
                 {76, 20, 143, 36}}),
    [](const ::testing::TestParamInfo<Geometry>& info) { return std::string(info.param.name); });

TEST(ScrollBarRange, NoRangeHidesTheBarAndResetsThePosition) {
  UiScope ui;
  ScrollBar bar;
  bar.SetScrollPos(40);
  bar.SetScrollRange(0);
  EXPECT_FALSE(bar.IsVisible());
  EXPECT_EQ(bar.GetScrollPos(), 0);
  bar.SetScrollRange(-5);
  EXPECT_EQ(bar.GetScrollRange(), 0);
}

TEST(ScrollBarRange, APositionStaysWithinTheRange) {
  UiScope ui;
  ScrollBar bar;
  bar.SetScrollPos(500);
  EXPECT_EQ(bar.GetScrollPos(), 100);
  bar.SetScrollPos(-1);
  EXPECT_EQ(bar.GetScrollPos(), 0);
  bar.SetScrollPos(80);
  bar.SetScrollRange(50);
  EXPECT_EQ(bar.GetScrollPos(), 50);
}

// A bar alone in a window, pressed and dragged by events with window coordinates.
class ScrollBarInputTest : public ::testing::Test {
 protected:
  void SetUpBar(const UiRect& rect, int64_t range, int thumbMinLength = 30) {
    auto* root = new Box();
    bar_ = new ScrollBar();
    bar_->SetThumbMinLength(thumbMinLength);
    bar_->SetScrollRange(range);
    root->Add(bar_);
    window_.AttachRoot(root);
    window_.Layout(UiRect{0, 0, 300, 300});
    // A bar is placed by whoever holds it.
    bar_->SetPosition(rect);
  }
  void Press(const UiPoint& point) {
    window_.lastMouse = point;
    bar_->SendEvent(kEventButtonDown, 0, 0, 0, 0, point);
  }
  void MoveTo(const UiPoint& point) {
    window_.lastMouse = point;
    bar_->SendEvent(kEventMouseMove, 0, 0, 0, 0, point);
  }
  void Release(const UiPoint& point) { bar_->SendEvent(kEventButtonUp, 0, 0, 0, 0, point); }
  bool WaitForTicks(int ticks) {
    return test_messages::PumpUntil([&] { return bar_->GetRepeatCount() >= ticks; }, kWaitMs);
  }

  UiScope ui_;
  TestWindow window_;
  ScrollBar* bar_ = nullptr;
};

TEST_F(ScrollBarInputTest, DraggingTheThumbScrollsInProportion) {
  SetUpBar(UiRect{0, 0, 16, 200}, 300);
  bar_->SetScrollPos(150);
  Press(UiPoint{8, 100});
  EXPECT_EQ(bar_->GetThumbState(), ControlState::kPushed);
  // 20 pixels of the 101 the thumb can travel.
  MoveTo(UiPoint{8, 120});
  ASSERT_TRUE(test_messages::PumpUntil([&] { return bar_->GetScrollPos() == 150 + 59; }, kWaitMs));
  MoveTo(UiPoint{8, 500});
  ASSERT_TRUE(test_messages::PumpUntil([&] { return bar_->GetScrollPos() == 300; }, kWaitMs));
  Release(UiPoint{8, 500});
  EXPECT_EQ(bar_->GetThumbState(), ControlState::kNormal);
}

TEST_F(ScrollBarInputTest, ADragDoesNothingWhenTheThumbFillsItsTrack) {
  SetUpBar(UiRect{0, 0, 16, 60}, 100);
  bar_->SetScrollPos(50);
  Press(UiPoint{8, 30});
  ASSERT_EQ(bar_->GetThumbState(), ControlState::kPushed);
  MoveTo(UiPoint{8, 50});
  ASSERT_TRUE(WaitForTicks(2));
  EXPECT_EQ(bar_->GetScrollPos(), 50);
  Release(UiPoint{8, 50});
}

TEST_F(ScrollBarInputTest, HoldingAButtonRepeatsAfter300MsThenEvery50Ms) {
  SetUpBar(UiRect{0, 0, 16, 200}, 1000);
  const auto start = std::chrono::steady_clock::now();
  Press(UiPoint{8, 190});
  EXPECT_EQ(bar_->GetScrollPos(), 8);  // one line at once
  EXPECT_EQ(bar_->GetButton2State(), ControlState::kPushed);
  // Nothing more for the first five ticks, then one line a tick.
  ASSERT_TRUE(test_messages::PumpUntil([&] { return bar_->GetScrollPos() == 16; }, kWaitMs));
  const auto second = std::chrono::steady_clock::now();
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(second - start).count(), 300);
  ASSERT_TRUE(WaitForTicks(9));
  // One line for the press and one for each tick beyond the fifth.
  const int ticks = bar_->GetRepeatCount();
  EXPECT_EQ(bar_->GetScrollPos(), 8 * (1 + ticks - 5));
  Release(UiPoint{8, 190});
  EXPECT_EQ(bar_->GetButton2State(), ControlState::kNormal);
  EXPECT_EQ(bar_->GetRepeatCount(), 0);
}

TEST_F(ScrollBarInputTest, PressingTheTrackPagesTowardsThePress) {
  SetUpBar(UiRect{0, 0, 16, 200}, 1000);
  Press(UiPoint{8, 150});
  EXPECT_EQ(bar_->GetScrollPos(), 200);
  Release(UiPoint{8, 150});
  Press(UiPoint{8, 20});
  EXPECT_EQ(bar_->GetScrollPos(), 0);
  Release(UiPoint{8, 20});
}

TEST(ScrollBarState, DisablingDisablesEveryPartAndEnablingMakesThemNormal) {
  UiScope ui;
  ScrollBar bar;
  bar.SetEnabled(false);
  EXPECT_EQ(bar.GetThumbState(), ControlState::kDisabled);
  EXPECT_EQ(bar.GetButton1State(), ControlState::kDisabled);
  bar.SetEnabled(true);
  EXPECT_EQ(bar.GetThumbState(), ControlState::kNormal);
  EXPECT_EQ(bar.GetHotAlpha(), 0);
  EXPECT_TRUE(bar.HasHotState());
}

}  // namespace
}  // namespace ui
