#include "ui/core/dpi_scaler.h"

#include <gtest/gtest.h>

#include "ui/core/ui_registry.h"

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
