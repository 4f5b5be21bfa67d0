#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "common/manual_clock.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/window/i_ui_message_filter.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::UiScope;
using render_test::Pixel;
using render_test::PixelAt;
using test_clock::ManualClock;
using window_test::CreateShown;
using window_test::PumpUntil;
using window_test::TestNativeWindow;

constexpr int kWaitMs = 20000;

// Red of the given alpha drawn over white, as the window's surface holds it.
void ExpectRedOverWhite(const Pixel& pixel, int alpha) {
  EXPECT_EQ(pixel.r, 255);
  EXPECT_NEAR(pixel.g, 255 - alpha, 2) << "alpha " << alpha;
  EXPECT_NEAR(pixel.b, 255 - alpha, 2) << "alpha " << alpha;
}

// A white window of 120 x 80 with a red square that fades in and out.
class FadeVisibleTest : public ::testing::Test {
 protected:
  FadeVisibleTest() {
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    UiRegistry::AddTextColor(L"red", L"#FFFF0000");
    auto* root = new Box();
    root->SetAttribute(L"bkcolor", L"white");
    square_ = new Control();
    square_->ApplyAttributeList(L"width=\"40\" height=\"40\" bkcolor=\"red\" fadealpha=\"true\"");
    root->Add(square_);
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 220, 180}, root, false);
    ManualClock::Drive(*square_->GetAnimations().GetPlayer(ControlAnimations::kFadeAlpha));
  }

  // Moves the square's time on, waits for the timer queue's step and paints.
  Pixel PixelAfter(double milliseconds, int expectedAlpha) {
    ManualClock::Advance(milliseconds);
    EXPECT_TRUE(PumpUntil([&] { return square_->GetAlpha() == expectedAlpha; }, kWaitMs))
        << "alpha " << square_->GetAlpha() << ", expected " << expectedAlpha;
    ::UpdateWindow(hwnd_);
    return PixelAt(*window_.GetRenderContext(), 20, 20);
  }

  UiScope ui_;
  TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  Control* square_ = nullptr;
};

TEST_F(FadeVisibleTest, TheSquareFadesInAndOutThroughTheInBetweenAlphas) {
  ASSERT_TRUE(hwnd_);
  // Its alpha fade leaves the square transparent until it is shown.
  EXPECT_EQ(PixelAt(*window_.GetRenderContext(), 20, 20), render_test::Opaque(0xFFFFFFFF));

  square_->SetFadeVisible(true);
  ExpectRedOverWhite(PixelAfter(75, 76), 76);
  ExpectRedOverWhite(PixelAfter(75, 196), 196);
  EXPECT_EQ(PixelAfter(100, 255), render_test::Opaque(0xFFFF0000));

  square_->SetFadeVisible(false);
  EXPECT_TRUE(square_->IsVisible());
  ExpectRedOverWhite(PixelAfter(100, 255 - 123), 255 - 123);
  PixelAfter(150, 0);
  EXPECT_FALSE(square_->IsVisible());
  ::UpdateWindow(hwnd_);
  EXPECT_EQ(PixelAt(*window_.GetRenderContext(), 20, 20), render_test::Opaque(0xFFFFFFFF));
}

// Notes what the window looks like when WM_CLOSE arrives.
class CloseWatcher : public IUIMessageFilter {
 public:
  explicit CloseWatcher(Window* window) : window_(window) {}
  LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool* handled) override {
    if (message == WM_CLOSE) {
      closed = true;
      alphaAtClose = window_->GetWindowAlpha();
      rootVisibleAtClose = window_->GetRoot()->IsVisible();
    }
    *handled = false;
    return 0;
  }
  bool closed = false;
  int alphaAtClose = -1;
  bool rootVisibleAtClose = true;

 private:
  Window* window_;
};

TEST(WindowFade, ALayeredWindowFadesInWholeAndOutBeforeItCloses) {
  UiScope ui;
  UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
  TestNativeWindow window;
  auto* root = new Box();
  root->ApplyAttributeList(L"bkcolor=\"white\" fadealpha=\"true\"");
  const HWND hwnd = CreateShown(&window, UiRect{100, 100, 220, 180}, root, true);
  ASSERT_TRUE(hwnd);
  ASSERT_TRUE(PumpUntil([&] { return window.GetWindowAlpha() == 255; }, kWaitMs));
  // The window's alpha carries the fade; the tree itself stays opaque.
  EXPECT_EQ(root->GetAlpha(), 255);

  AnimationPlayer* fade = root->GetAnimations().GetPlayer(ControlAnimations::kFadeAlpha);
  std::vector<int> alphas;
  fade->SetPlayCallback([&](int alpha) {
    alphas.push_back(alpha);
    window.SetWindowAlpha(alpha);
  });
  CloseWatcher watcher(&window);
  window.AddMessageFilter(&watcher);
  window.CloseWindow();
  ASSERT_TRUE(PumpUntil([&] { return window.finalMessages > 0; }, kWaitMs));

  EXPECT_TRUE(watcher.closed);
  EXPECT_EQ(watcher.alphaAtClose, 0);
  EXPECT_FALSE(watcher.rootVisibleAtClose);
  ASSERT_FALSE(alphas.empty());
  EXPECT_EQ(alphas.back(), 0);
  bool between = false;
  for (size_t i = 0; i < alphas.size(); ++i) {
    if (i > 0) {
      EXPECT_LE(alphas[i], alphas[i - 1]);
    }
    between = between || (alphas[i] > 0 && alphas[i] < 255);
  }
  EXPECT_TRUE(between) << "the fade went straight from opaque to gone";
}

TEST(WindowFade, APlainWindowFadesItsRootIn) {
  UiScope ui;
  TestNativeWindow window;
  auto* root = new Box();
  root->SetAttribute(L"fadealpha", L"true");
  ASSERT_TRUE(CreateShown(&window, UiRect{100, 100, 220, 180}, root, false));
  EXPECT_TRUE(PumpUntil([&] { return root->GetAlpha() == 255; }, kWaitMs));
  EXPECT_EQ(window.GetWindowAlpha(), 255);
}

}  // namespace
}  // namespace ui
