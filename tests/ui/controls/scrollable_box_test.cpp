#include "ui/controls/scrollable_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/manual_clock.h"
#include "common/message_pump.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_layout.h"

namespace ui {
namespace {

using control_test::TestWindow;
using control_test::UiScope;
using test_clock::ManualClock;

constexpr int kRowHeight = 20;
constexpr UiRect kBoxRect{0, 0, 200, 100};

// A scrollable column of rows in a box of 200 x 100 with a vertical bar.
class ScrollableBoxTest : public ::testing::Test {
 protected:
  explicit ScrollableBoxTest(int rows = 20) {
    box_ = new ScrollableBox(new VLayout());
    box_->EnableScrollBar(true, false);
    for (int i = 0; i < rows; ++i) AddRow(kRowHeight);
    window_.AttachRoot(box_);
    Layout();
    ManualClock::Drive(box_->GetScrollAnimation());
    ManualClock::Drive(box_->GetRenderOffsetAnimation());
  }

  Control* AddRow(int height) {
    auto* row = new Control();
    row->SetFixedHeight(height);
    box_->Add(row);
    rows_.push_back(row);
    return row;
  }
  void Layout() { window_.Layout(kBoxRect); }
  int Position() const { return box_->GetScrollPos().cy; }
  int Range() const { return box_->GetScrollRange().cy; }
  ScrollBar& Bar() const { return *box_->GetVerticalScrollBar(); }
  // Plays the smooth scroll to its end.
  void FinishScroll() {
    ManualClock::Advance(1000);
    box_->GetScrollAnimation().Step();
  }
  void Send(EventType type, std::uint32_t wParam) { box_->SendEvent(type, wParam); }

  UiScope ui_;
  TestWindow window_;
  ScrollableBox* box_ = nullptr;
  std::vector<Control*> rows_;
};

TEST_F(ScrollableBoxTest, TheRangeIsTheOverflowAndTheBarSitsAtTheRightEdge) {
  EXPECT_EQ(Range(), 20 * kRowHeight - 100);
  EXPECT_EQ(Bar().GetPosition(), (UiRect{184, 0, 200, 100}));
  // Bars hide themselves until the mouse is over the box.
  EXPECT_FALSE(Bar().IsVisible());
}

class FitTest : public ScrollableBoxTest {
 protected:
  FitTest() : ScrollableBoxTest(5) {}
};

TEST_F(FitTest, TheBarAppearsAtOnePixelOfOverflowAndGoesWhenTheContentFits) {
  EXPECT_EQ(Range(), 0);
  Control* extra = AddRow(1);
  Layout();
  EXPECT_EQ(Range(), 1);
  box_->Remove(extra);
  Layout();
  EXPECT_EQ(Range(), 0);
  EXPECT_EQ(Position(), 0);
}

TEST_F(FitTest, BarsThatDoNotFloatNarrowTheContent) {
  box_->SetAttribute(L"scrollbarfloat", L"false");
  AddRow(10);
  Layout();
  EXPECT_EQ(Range(), 10);
  EXPECT_EQ(rows_[0]->GetPosition().right, 200 - ScrollBar::kDefaultThickness);
}

TEST_F(ScrollableBoxTest, HoldEndKeepsTheViewAtTheEndAsContentGrows) {
  box_->SetAttribute(L"holdend", L"true");
  box_->EndDown(false, false);
  ASSERT_EQ(Position(), 300);
  AddRow(kRowHeight);
  AddRow(kRowHeight);
  Layout();
  EXPECT_EQ(Range(), 340);
  EXPECT_EQ(Position(), 340);
}

TEST_F(ScrollableBoxTest, WithoutHoldEndTheViewStaysWhereItWas) {
  box_->EndDown(false, false);
  AddRow(kRowHeight);
  Layout();
  EXPECT_EQ(Position(), 300);
}

TEST_F(ScrollableBoxTest, PageHomeAndEndKeys) {
  Send(kEventKeyDown, VK_NEXT);
  EXPECT_EQ(Position(), 100);
  Send(kEventKeyDown, VK_END);
  EXPECT_EQ(Position(), 300);
  Send(kEventKeyDown, VK_PRIOR);
  EXPECT_EQ(Position(), 200);
  Send(kEventKeyDown, VK_HOME);
  EXPECT_EQ(Position(), 0);
  Send(kEventKeyDown, VK_DOWN);
  FinishScroll();
  EXPECT_EQ(Position(), 30);
}

TEST_F(ScrollableBoxTest, AWheelNotchScrollsOneUnitSmoothlyIn57Ms) {
  Send(kEventScrollWheel, static_cast<std::uint32_t>(-120));
  AnimationPlayer& scroll = box_->GetScrollAnimation();
  EXPECT_EQ(scroll.GetTotalMillis(), 57);
  ManualClock::Advance(28);
  scroll.Step();
  EXPECT_GT(Position(), 0);
  EXPECT_LT(Position(), 30);
  ManualClock::Advance(29);
  scroll.Step();
  EXPECT_EQ(Position(), 30);
  EXPECT_FALSE(scroll.IsRunning());
}

TEST_F(ScrollableBoxTest, QuickWheelNotchesAddUp) {
  Send(kEventScrollWheel, static_cast<std::uint32_t>(-120));
  ManualClock::Advance(10);
  box_->GetScrollAnimation().Step();
  Send(kEventScrollWheel, static_cast<std::uint32_t>(-120));
  Send(kEventScrollWheel, static_cast<std::uint32_t>(-120));
  EXPECT_EQ(box_->GetScrollAnimation().GetEndValue(), 90);
  FinishScroll();
  EXPECT_EQ(Position(), 90);
  // Upwards they add up the same way, and stop at the top.
  for (int i = 0; i < 5; ++i) Send(kEventScrollWheel, 120);
  EXPECT_EQ(box_->GetScrollAnimation().GetEndValue(), 0);
  FinishScroll();
  EXPECT_EQ(Position(), 0);
}

TEST_F(ScrollableBoxTest, ScrollingPastEitherEndStopsThere) {
  box_->SetScrollPosY(5000);
  EXPECT_EQ(Position(), 300);
  box_->SetScrollPosY(-20);
  EXPECT_EQ(Position(), 0);
}

TEST_F(ScrollableBoxTest, APositionChangeTellsTheBoxsHandlers) {
  int changes = 0;
  box_->AttachEvent(kEventScrollChange, [&changes](EventArgs*) {
    ++changes;
    return true;
  });
  box_->SetScrollPosY(40);
  box_->SetScrollPosY(40);
  EXPECT_EQ(changes, 1);
}

TEST_F(ScrollableBoxTest, TheContentFollowsAFinger) {
  box_->SendEvent(kEventTouchDown, 0, 0, 0, 0, UiPoint{50, 80});
  box_->SendEvent(kEventTouchMove, 0, 0, 0, 0, UiPoint{50, 55});
  EXPECT_EQ(Position(), 25);
  box_->SendEvent(kEventTouchMove, 0, 0, 0, 0, UiPoint{50, 65});
  EXPECT_EQ(Position(), 15);
  box_->SendEvent(kEventTouchUp, 0, 0, 0, 0, UiPoint{50, 65});
  box_->SendEvent(kEventTouchMove, 0, 0, 0, 0, UiPoint{50, 10});
  EXPECT_EQ(Position(), 15);
}

// Finds the control under a point as the window's hit test does.
Control* ControlAt(Control* root, UiPoint point) {
  return root->FindControl([](Control* c, void*) { return c; }, &point,
                           kFindVisible | kFindHitTest | kFindTopFirst);
}

TEST_F(ScrollableBoxTest, AHitTestFindsTheScrolledChildUnderThePoint) {
  box_->SetScrollPosY(45);
  // Point y 10 shows content y 55: the third row (40 to 60).
  EXPECT_EQ(ControlAt(box_, UiPoint{10, 10}), rows_[2]);
  EXPECT_EQ(ControlAt(box_, UiPoint{10, 99}), rows_[7]);
  EXPECT_TRUE(rows_[2]->HitTestScrolled(UiPoint{10, 10}));
  EXPECT_FALSE(rows_[0]->HitTestScrolled(UiPoint{10, 10}));
  // The bar does not move with the content.
  Bar().SetVisible(true);
  EXPECT_EQ(ControlAt(box_, UiPoint{190, 50}), &Bar());
}

TEST_F(ScrollableBoxTest, DraggingTheBarsThumbScrollsTheBox) {
  Bar().SetVisible(true);
  const UiRect thumb = Bar().GetThumbRect();
  const UiPoint start{192, (thumb.top + thumb.bottom) / 2};
  Bar().SendEvent(kEventButtonDown, 0, 0, 0, 0, start);
  const int movable = 100 - 2 * 16 - thumb.Height();
  Bar().SendEvent(kEventMouseMove, 0, 0, 0, 0, UiPoint{start.x, start.y + movable / 2});
  const int expected = (movable / 2) * 300 / movable;
  EXPECT_TRUE(test_messages::PumpUntil([&] { return Position() == expected; }, 20000))
      << Position();
  Bar().SendEvent(kEventButtonUp, 0, 0, 0, 0, start);
}

TEST_F(ScrollableBoxTest, JumpingToTheEndSlidesTheNewContentIn) {
  box_->EndDown(true, true);
  EXPECT_EQ(Position(), 300);
  AnimationPlayer& slide = box_->GetRenderOffsetAnimation();
  EXPECT_EQ(slide.GetStartValue(), -300);
  EXPECT_EQ(box_->GetRenderOffset().y, -300);
  ManualClock::Advance(slide.GetTotalMillis());
  slide.Step();
  EXPECT_EQ(box_->GetRenderOffset().y, 0);
}

TEST_F(ScrollableBoxTest, ImagesFarOutsideTheViewAreReleased) {
  // 60 rows, so that the first is more than 730 pixels above a view scrolled to 900.
  for (int i = 0; i < 40; ++i) AddRow(kRowHeight);
  Layout();
  const std::wstring image = image_test::ImagePath(L"grid.png");
  // The cache holds the image, as it does while anything shows it.
  const auto held = UiRegistry::GetImage(image);
  ASSERT_TRUE(held);
  for (Control* row : rows_) {
    row->SetBkImage(image);
    row->RestoreImagesFromCache();
  }
  ASSERT_TRUE(rows_[0]->GetBkImage().image);
  box_->SetScrollPosY(900);
  EXPECT_FALSE(rows_[0]->GetBkImage().image);
  EXPECT_TRUE(rows_[50]->GetBkImage().image);
  box_->SetScrollPosY(0);
  EXPECT_TRUE(rows_[0]->GetBkImage().image);
  EXPECT_FALSE(rows_[59]->GetBkImage().image);
  // Short moves add up: a row never shows without its image, and one left behind by the
  // margin and one step more gives it back.
  for (int y = 30; y <= 730 + 20 + ScrollableBox::kImageResidencyStep; y += 30) {
    box_->SetScrollPosY(y);
    const int lastInView = std::min((y + 100) / kRowHeight, 59);
    EXPECT_TRUE(rows_[lastInView]->GetBkImage().image) << y;
  }
  EXPECT_FALSE(rows_[0]->GetBkImage().image);
}

}  // namespace
}  // namespace ui
