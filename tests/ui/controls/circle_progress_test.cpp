#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ui/controls/circle_progress.h"
#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::Pixel;
using render_test::PixelAt;
using window_test::CreateShown;

constexpr double kPi = 3.14159265358979323846;

// What a ring pixel shows, allowing for anti-aliasing at the arc's ends.
enum class Shade { kRed, kGrey, kIndicator, kWhite };

Shade ShadeOf(const Pixel& p) {
  if (p.r >= 200 && p.g <= 60 && p.b <= 60) return Shade::kRed;
  if (p.r <= 40 && p.g >= 100 && p.g <= 156 && p.b >= 220) return Shade::kIndicator;
  if (p.r >= 240 && p.g >= 240 && p.b >= 240) return Shade::kWhite;
  return Shade::kGrey;
}

const char* NameOf(Shade shade) {
  switch (shade) {
    case Shade::kRed:
      return "red";
    case Shade::kGrey:
      return "grey";
    case Shade::kIndicator:
      return "indicator";
    case Shade::kWhite:
      return "white";
  }
  return "?";
}

// A 100 x 100 circular progress on white in a real window, its ring 6 pixels wide: grey
// behind, red for the value.
class CircleProgressTest : public ::testing::Test {
 protected:
  CircleProgressTest() {
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    UiRegistry::AddTextColor(L"red", L"#FFFF0000");
    UiRegistry::AddTextColor(L"blue", L"#FF0000FF");
    UiRegistry::AddTextColor(L"grey", L"#FF808080");
    auto* root = new Box();
    root->SetAttribute(L"bkcolor", L"white");
    circle_ = new CircleProgress();
    circle_->ApplyAttributeList(
        L"width=\"100\" height=\"100\" circlewidth=\"6\" bgcolor=\" grey\" fgcolor=\"red\"");
    root->Add(circle_);
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 220, 220}, root, false);
  }
  ~CircleProgressTest() override {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }

  // The pixel at an angle clockwise from the top, on a circle about the centre.
  Pixel OnRing(double degrees, double radius) {
    ::UpdateWindow(hwnd_);
    const double a = degrees * kPi / 180;
    const int x = static_cast<int>(std::lround(50 + radius * std::sin(a) - 0.5));
    const int y = static_cast<int>(std::lround(50 - radius * std::cos(a) - 0.5));
    return PixelAt(*window_.GetRenderContext(), x, y);
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  CircleProgress* circle_ = nullptr;
};

TEST_F(CircleProgressTest, TheArcRunsFromTheTopByTheValueEitherWayRound) {
  ASSERT_TRUE(hwnd_);
  EXPECT_EQ(circle_->GetBackgroundColor(), 0xFF808080u);
  // The ring's centre line: radius (100 - 6 - 2) / 2 = 46.
  const struct {
    double value;
    bool clockwise;
    double angle;
    Shade shade;
  } cases[] = {
      {25, true, 45, Shade::kRed},   {25, true, 80, Shade::kRed},    {25, true, 100, Shade::kGrey},
      {25, true, 315, Shade::kGrey}, {25, false, 315, Shade::kRed},  {25, false, 280, Shade::kRed},
      {25, false, 45, Shade::kGrey}, {25, false, 260, Shade::kGrey}, {75, true, 200, Shade::kRed},
      {75, true, 260, Shade::kRed},  {75, true, 290, Shade::kGrey},  {0, true, 90, Shade::kGrey},
      {100, false, 10, Shade::kRed}, {100, false, 180, Shade::kRed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << (c.clockwise ? " clockwise" : " counter")
                                    << " at " << c.angle << " degrees");
    circle_->SetClockwise(c.clockwise);
    circle_->SetValue(c.value);
    const Pixel p = OnRing(c.angle, 46);
    EXPECT_STREQ(NameOf(ShadeOf(p)), NameOf(c.shade)) << p;
    // Inside and outside the ring's band the background shows.
    EXPECT_STREQ(NameOf(ShadeOf(OnRing(c.angle, 40))), "white");
  }
}

// The ring lies in the square of the shorter side, centred, inset by half its pen and one
// pixel: at 100 x 80 with a pen of 1, a 77-pixel square 1.5 pixels inside the centred 80.
TEST_F(CircleProgressTest, TheRingFitsTheCentredSquare) {
  ASSERT_TRUE(hwnd_);
  const struct {
    const wchar_t* attributes;
    UiRect bounds;
  } cases[] = {
      {L"width=\"100\" height=\"100\" circlewidth=\"6\"", {1, 1, 99, 99}},
      {L"width=\"100\" height=\"80\" circlewidth=\"1\"", {11, 1, 89, 79}},
      {L"width=\"60\" height=\"100\" circlewidth=\"4\"", {1, 21, 59, 79}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.attributes);
    circle_->ApplyAttributeList(c.attributes);
    ::UpdateWindow(hwnd_);
    const UiRect ring = render_test::BoundsWhere(
        *window_.GetRenderContext(), [](Pixel p) { return ShadeOf(p) != Shade::kWhite; });
    EXPECT_NEAR(ring.left, c.bounds.left, 1);
    EXPECT_NEAR(ring.top, c.bounds.top, 1);
    EXPECT_NEAR(ring.right, c.bounds.right, 1);
    EXPECT_NEAR(ring.bottom, c.bounds.bottom, 1);
  }
}

TEST_F(CircleProgressTest, AGradientRunsFromTheForegroundAtTheTopToTheOtherColourBelow) {
  ASSERT_TRUE(hwnd_);
  circle_->SetAttribute(L"gradientcolor", L"blue");
  circle_->SetValue(100);
  const Pixel top = OnRing(0, 46);
  const Pixel bottom = OnRing(180, 46);
  EXPECT_GT(top.r, 200) << top;
  EXPECT_LT(top.b, 60) << top;
  EXPECT_GT(bottom.b, 200) << bottom;
  EXPECT_LT(bottom.r, 60) << bottom;
}

// The indicator (8 x 8, blue-green) rides on the arc's end: the ring's centre line moves in
// by half its width, to radius 45.
TEST_F(CircleProgressTest, TheIndicatorFollowsTheArcsEndAndComesBackAfterTheImagesAreReleased) {
  ASSERT_TRUE(hwnd_);
  circle_->SetAttribute(L"indicator", image_test::ImagePath(L"opaque_rgba.png"));
  ASSERT_TRUE(circle_->HasIndicator());
  const struct {
    double value;
    bool clockwise;
    double angle;
    Shade shade;
  } cases[] = {{25, true, 90, Shade::kIndicator},   {25, true, 0, Shade::kRed},
               {25, false, 270, Shade::kIndicator}, {25, false, 90, Shade::kGrey},
               {50, true, 180, Shade::kIndicator},  {0, true, 0, Shade::kIndicator}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << (c.clockwise ? " clockwise" : " counter")
                                    << " at " << c.angle << " degrees");
    circle_->SetClockwise(c.clockwise);
    circle_->SetValue(c.value);
    EXPECT_STREQ(NameOf(ShadeOf(OnRing(c.angle, 45))), NameOf(c.shade));
  }

  // Released, the image is gone and nothing points at it; the next paint loads it again.
  circle_->SetValue(25);
  circle_->SetClockwise(true);
  circle_->ReleaseAllImages();
  EXPECT_FALSE(circle_->HasIndicator());
  circle_->Invalidate();
  EXPECT_STREQ(NameOf(ShadeOf(OnRing(90, 45))), "indicator");
  EXPECT_TRUE(circle_->HasIndicator());
  // Released twice, and painted without one in between, nothing is left dangling either.
  circle_->ReleaseAllImages();
  circle_->ReleaseAllImages();
  circle_->SetClockwise(false);
  circle_->Invalidate();
  EXPECT_STREQ(NameOf(ShadeOf(OnRing(270, 45))), "indicator");
}

TEST_F(CircleProgressTest, AMissingIndicatorLeavesThePlainRing) {
  ASSERT_TRUE(hwnd_);
  circle_->SetAttribute(L"indicator", L"no_such_indicator.png");
  EXPECT_FALSE(circle_->HasIndicator());
  circle_->SetValue(25);
  EXPECT_STREQ(NameOf(ShadeOf(OnRing(45, 46))), "red");
}

}  // namespace
}  // namespace ui
