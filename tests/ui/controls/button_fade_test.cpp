#include <windows.h>

#include <gtest/gtest.h>

#include "common/manual_clock.h"
#include "ui/controls/button.h"
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
using test_clock::ManualClock;
using window_test::At;
using window_test::CreateShown;
using window_test::PumpUntil;

constexpr int kWaitMs = 20000;

// A white button of 60 x 30 that turns blue under the mouse, in a real window, its hot
// fade held still by the manual clock.
class ButtonHotFadeTest : public ::testing::Test {
 protected:
  ButtonHotFadeTest() {
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    UiRegistry::AddTextColor(L"blue", L"#FF0000FF");
    auto* root = new Box();
    button_ = new Button();
    button_->ApplyAttributeList(
        L"width=\"60\" height=\"30\" normalcolor=\"white\" hotcolor=\"blue\"");
    root->Add(button_);
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 200, 160}, root, false);
    ManualClock::Drive(*button_->GetAnimations().GetPlayer(ControlAnimations::kFadeHot));
  }

  // The button's pixel once its hot alpha has reached the value the curve gives after
  // moving time on, and the window has painted it.
  Pixel PixelAfter(double milliseconds, int hotAlpha) {
    ManualClock::Advance(milliseconds);
    EXPECT_TRUE(PumpUntil([&] { return button_->GetHotAlpha() == hotAlpha; }, kWaitMs))
        << "hot alpha " << button_->GetHotAlpha() << ", expected " << hotAlpha;
    ::UpdateWindow(hwnd_);
    return PixelAt(*window_.GetRenderContext(), 30, 15);
  }

  static void ExpectBlueOverWhite(const Pixel& pixel, int alpha) {
    EXPECT_EQ(pixel.b, 255);
    EXPECT_NEAR(pixel.r, 255 - alpha, 2) << "alpha " << alpha;
    EXPECT_NEAR(pixel.g, 255 - alpha, 2) << "alpha " << alpha;
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  Button* button_ = nullptr;
};

TEST_F(ButtonHotFadeTest, TheHotColourBlendsInUnderTheMouseAndOutAfterIt) {
  ASSERT_TRUE(hwnd_);
  ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(30, 15));
  ASSERT_EQ(button_->GetState(), ControlState::kHot);
  EXPECT_EQ(PixelAt(*window_.GetRenderContext(), 30, 15), render_test::Opaque(0xFFFFFFFF));

  ExpectBlueOverWhite(PixelAfter(75, 76), 76);
  ExpectBlueOverWhite(PixelAfter(75, 196), 196);
  EXPECT_EQ(PixelAfter(100, 255), render_test::Opaque(0xFF0000FF));

  // Out of the button: the blue fades away again.
  ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(90, 50));
  ASSERT_EQ(button_->GetState(), ControlState::kNormal);
  ExpectBlueOverWhite(PixelAfter(75, 255 - 76), 255 - 76);
  EXPECT_EQ(PixelAfter(175, 0), render_test::Opaque(0xFFFFFFFF));
}

}  // namespace
}  // namespace ui
