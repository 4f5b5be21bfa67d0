#include "ui/core/resources/dpi_scaler.h"

#include <gtest/gtest.h>

#include "ui/core/resources/ui_registry.h"

namespace ui {
namespace {

TEST(DpiScalerTest, RegistryScalerLeavesLengthsAlone) {
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  EXPECT_FALSE(scaler.enabled());
  EXPECT_EQ(scaler.percent(), 100);
  for (int value : {-7, 0, 1, 15, 1000}) EXPECT_EQ(scaler.ScaleLength(value), value);
}

struct LengthCase {
  bool enabled;
  int percent;
  int input;
  int expected;
};

TEST(DpiScalerTest, ScalesOnlyWhenEnabledAndNotAtHundred) {
  const LengthCase cases[] = {
      {false, 150, 10, 10}, {true, 100, 10, 10},
      {true, 150, 10, 15},  {true, 150, 3, 5},  // rounded, as MulDiv does
      {true, 125, -8, -10}, {true, 200, 0, 0},
  };
  for (const LengthCase& c : cases) {
    DpiScaler scaler;
    scaler.SetEnabled(c.enabled);
    scaler.SetPercent(c.percent);
    EXPECT_EQ(scaler.ScaleLength(c.input), c.expected)
        << c.enabled << " " << c.percent << " " << c.input;
  }
}

struct RectCase {
  bool enabled;
  int percent;
  UiRect input;
  UiRect expected;
};

TEST(DpiScalerTest, ScalesRectangleCornerAndSizeSeparately) {
  const RectCase cases[] = {
      {false, 150, {3, 3, 6, 6}, {3, 3, 6, 6}},
      {true, 100, {3, 3, 6, 6}, {3, 3, 6, 6}},
      // Width 3 scales to 5 on its own; scaling the right edge (6) would give 9.
      {true, 150, {3, 3, 6, 6}, {5, 5, 10, 10}},
      {true, 150, {10, 20, 30, 60}, {15, 30, 45, 90}},
      {true, 200, {-4, 0, 0, 1}, {-8, 0, 0, 2}},
  };
  for (const RectCase& c : cases) {
    DpiScaler scaler;
    scaler.SetEnabled(c.enabled);
    scaler.SetPercent(c.percent);
    const UiRect scaled = scaler.ScaleRect(c.input);
    EXPECT_EQ(scaled, c.expected) << c.enabled << " " << c.percent << " " << c.input.left << ","
                                  << c.input.top << "," << c.input.right << "," << c.input.bottom
                                  << " gave " << scaled.left << "," << scaled.top << ","
                                  << scaled.right << "," << scaled.bottom;
  }
}

TEST(DpiScalerTest, DpiChangeSetsPercentOnlyWhenEnabled) {
  DpiScaler scaler;
  scaler.OnDpiChanged(144);
  EXPECT_EQ(scaler.percent(), 100);
  scaler.SetEnabled(true);
  scaler.OnDpiChanged(144);
  EXPECT_EQ(scaler.percent(), 150);
  scaler.OnDpiChanged(120);
  EXPECT_EQ(scaler.percent(), 125);
}

}  // namespace
}  // namespace ui
