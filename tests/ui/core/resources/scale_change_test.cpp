#include "ui/core/resources/scale_change.h"

#include <gtest/gtest.h>

#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/tile_layout.h"
#include "ui/core/tree/v_box.h"

namespace ui {
namespace {

struct LengthCase {
  int from;
  int to;
  int value;
  int expected;
};

class ScaleChangeLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ScaleChangeLengthTest, CarriesALengthFromOnePercentageToAnother) {
  const LengthCase& c = GetParam();
  EXPECT_EQ(ScaleChange(c.from, c.to).Length(c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ScaleChangeLengthTest,
    ::testing::Values(LengthCase{100, 150, 40, 60}, LengthCase{150, 200, 60, 80},
                      LengthCase{200, 100, 80, 40}, LengthCase{150, 100, 45, 30},
                      LengthCase{125, 175, 25, 35}, LengthCase{100, 150, -20, -30},
                      LengthCase{100, 100, 17, 17},
                      // No real percentage: nothing changes.
                      LengthCase{0, 150, 40, 40}, LengthCase{150, 0, 40, 40},
                      LengthCase{-100, 150, 40, 40}));

TEST(ScaleChangeTest, KeepsTheSpecialNegativeLengths) {
  const ScaleChange change(100, 200);
  EXPECT_EQ(change.PositiveLength(kLengthStretch), kLengthStretch);
  EXPECT_EQ(change.PositiveLength(kLengthAuto), kLengthAuto);
  EXPECT_EQ(change.PositiveLength(0), 0);
  EXPECT_EQ(change.PositiveLength(10), 20);
  EXPECT_FALSE(ScaleChange(150, 150).Changes());
  EXPECT_TRUE(change.Changes());
}

TEST(ScaleChangeTest, ScalesRectanglesAsTheScalerDoesAndInsetsSideBySide) {
  const ScaleChange change(100, 150);
  EXPECT_EQ(change.Rect(UiRect{10, 20, 30, 60}), (UiRect{15, 30, 45, 90}));
  EXPECT_EQ(change.Insets(UiRect{2, 4, 6, 8}), (UiRect{3, 6, 9, 12}));
  // Halves round away from zero, as MulDiv does.
  EXPECT_EQ(change.Size(UiSize{10, 3}), (UiSize{15, 5}));
  EXPECT_EQ(change.Point(UiPoint{-10, 7}), (UiPoint{-15, 11}));
}

TEST(ScaleChangeTest, ATreeCarriesItsOwnLengthsAndItsChildrensAndKeepsWhatIsNoLength) {
  VBox box;
  box.GetLayout()->SetPadding(UiRect{4, 6, 8, 10}, false);
  box.GetLayout()->SetChildMargin(5, false);
  auto* child = new Control();
  child->SetFixedWidth(40, false, false);
  child->SetFixedHeight(kLengthAuto, false);
  child->SetMinWidth(10, false);
  child->SetMaxHeight(30, false);
  child->SetMargin(UiRect{2, 2, 4, 4}, false);
  child->SetBorderSize(1, false);
  child->SetBorderSize(UiRect{1, 2, 3, 4}, false);
  child->SetBorderRound(UiSize{3, 3}, false);
  ASSERT_TRUE(box.Add(child));
  auto* tiles = new Box(new TileLayout());
  static_cast<TileLayout*>(tiles->GetLayout())->SetItemSize(UiSize{50, 20}, false);
  ASSERT_TRUE(box.Add(tiles));

  box.RescaleLengths(ScaleChange(100, 200));

  EXPECT_EQ(box.GetLayout()->GetPadding(), (UiRect{8, 12, 16, 20}));
  EXPECT_EQ(box.GetLayout()->GetChildMargin(), 10);
  EXPECT_EQ(box.GetFixedWidth(), kLengthStretch);
  EXPECT_EQ(box.GetMaxWidth(), kNoMaxLength);
  EXPECT_EQ(box.GetMinWidth(), -1);
  EXPECT_EQ(child->GetFixedWidth(), 80);
  EXPECT_EQ(child->GetFixedHeight(), kLengthAuto);
  EXPECT_EQ(child->GetMinWidth(), 20);
  EXPECT_EQ(child->GetMaxHeight(), 60);
  EXPECT_EQ(child->GetMaxWidth(), kNoMaxLength);
  EXPECT_EQ(child->GetMargin(), (UiRect{4, 4, 8, 8}));
  EXPECT_EQ(child->GetBorderSize(), 2);
  EXPECT_EQ(child->GetBorderSides(), (UiRect{2, 4, 6, 8}));
  EXPECT_EQ(child->GetBorderRound(), (UiSize{6, 6}));
  EXPECT_EQ(static_cast<TileLayout*>(tiles->GetLayout())->GetItemSize(), (UiSize{100, 40}));
}

}  // namespace
}  // namespace ui
