#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ui/controls/progress.h"
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

constexpr int kLeft = 20;
constexpr int kTop = 10;

bool IsRed(const Pixel& p) {
  return p.r == 255 && p.g == 0 && p.b == 0;
}

// One progress bar on white in a real window, its top-left corner at (20, 10).
class ProgressWindowTest : public ::testing::Test {
 protected:
  ProgressWindowTest() {
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    UiRegistry::AddTextColor(L"red", L"#FFFF0000");
    root_ = new Box();
    root_->SetAttribute(L"bkcolor", L"white");
    progress_ = new Progress();
    progress_->SetAttribute(L"margin", L"20,10,0,0");
    root_->Add(progress_);
  }
  ~ProgressWindowTest() override {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }

  void Show(const std::wstring& attributes) {
    progress_->ApplyAttributeList(attributes);
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 340, 240}, root_, false);
    ASSERT_TRUE(hwnd_);
  }
  Pixel At(int x, int y) {
    ::UpdateWindow(hwnd_);
    return PixelAt(*window_.GetRenderContext(), kLeft + x, kTop + y);
  }
  // The red run along a row (or down a column) of the bar, from its start.
  int RedRun(int length, bool horizontal, int across) {
    ::UpdateWindow(hwnd_);
    int run = 0;
    for (int i = 0; i < length; ++i) {
      const int x = horizontal ? i : across;
      const int y = horizontal ? across : i;
      if (IsRed(PixelAt(*window_.GetRenderContext(), kLeft + x, kTop + y))) ++run;
    }
    return run;
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  Box* root_ = nullptr;
  Progress* progress_ = nullptr;
};

TEST_F(ProgressWindowTest, TheColourFillsThePartTheValueSays) {
  Show(L"width=\"200\" height=\"20\" progresscolor=\" red\"");
  EXPECT_EQ(progress_->GetProgressColor(), L"red");
  const struct {
    double value;
    int filled;
    double stored;
  } cases[] = {{0, 0, 0},       {25, 50, 25},    {50, 100, 50}, {99.9, 199, 99.9},
               {100, 200, 100}, {150, 200, 100}, {-10, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    progress_->SetValue(c.value);
    EXPECT_EQ(RedRun(200, true, 10), c.filled);
    // The red ends where the run says: the pixel after it is the white behind.
    EXPECT_EQ(At(c.filled < 200 ? c.filled : 199, 10),
              (c.filled < 200 ? Pixel{255, 255, 255, 255} : Pixel{0, 0, 255, 255}));
    EXPECT_DOUBLE_EQ(progress_->GetValue(), c.stored);
  }
}

TEST_F(ProgressWindowTest, AVerticalBarFillsFromTheBottom) {
  Show(L"width=\"20\" height=\"100\" hor=\"false\" progresscolor=\"red\" value=\"30\"");
  EXPECT_EQ(progress_->GetProgressPos(), (UiRect{0, 70, 20, 100}));
  EXPECT_EQ(RedRun(100, false, 10), 30);
  EXPECT_FALSE(IsRed(At(10, 69)));
  EXPECT_TRUE(IsRed(At(10, 70)));
  EXPECT_TRUE(IsRed(At(10, 99)));
}

TEST_F(ProgressWindowTest, AnEmptyRangePaintsAsOneStepAndTheValueIsClampedThen) {
  Show(L"width=\"200\" height=\"20\" progresscolor=\"red\" min=\"10\" max=\"10\" value=\"150\"");
  EXPECT_EQ(progress_->GetMaxValue(), 11);
  EXPECT_DOUBLE_EQ(progress_->GetValue(), 11);
  EXPECT_EQ(RedRun(200, true, 10), 200);

  progress_->SetMinValue(0);
  progress_->SetMaxValue(100);
  progress_->SetValue(150);
  EXPECT_DOUBLE_EQ(progress_->GetValue(), 150);
  EXPECT_EQ(RedRun(200, true, 10), 200);
  EXPECT_DOUBLE_EQ(progress_->GetValue(), 100);
}

// Before any paint has repaired it, a range of min equal to (or above) max gives a filled
// part inside the control, not a division by zero turned into an integer.
TEST(ProgressGeometry, AnEmptyRangeBeforeAnyPaintStaysInsideTheControl) {
  control_test::UiScope ui;
  const struct {
    int min;
    int max;
    double value;
    bool horizontal;
  } cases[] = {{10, 10, 10, true},          {10, 10, 10, false},         {10, 10, 150, true},
               {50, 20, 0, true},           {50, 20, 0, false},          {0, 100, 1e300, true},
               {INT_MIN, INT_MAX, 0, true}, {INT_MAX, INT_MAX, 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " at " << c.value);
    Progress progress;
    progress.SetPosition(UiRect{0, 0, 200, 40});
    progress.SetHorizontal(c.horizontal);
    progress.SetMinValue(c.min);
    progress.SetMaxValue(c.max);
    progress.SetValue(c.value);
    const UiRect p = progress.GetProgressPos();
    EXPECT_GE(p.right, 0);
    EXPECT_LE(p.right, 200);
    EXPECT_GE(p.top, 0);
    EXPECT_LE(p.top, 40);
  }
}

// The progress image is stretched into the filled part, or, with "isstretchfore" false,
// cut to it: the 30 x 30 grid of three 10-pixel cells a side, half filled.
TEST_F(ProgressWindowTest, TheProgressImageIsStretchedOrCutToTheFilledPart) {
  const std::wstring grid = image_test::ImagePath(L"grid.png");
  Show(L"width=\"30\" height=\"30\" value=\"50\"");
  progress_->SetProgressImage(grid);
  // Cell colours: red 40 + 80 x column, green 40 + 80 x row.
  const struct {
    bool horizontal;
    bool stretch;
    int x;
    int y;
    int red;  // -1: the white behind
    int green;
  } cases[] = {
      // Horizontal: 15 pixels filled.
      {true, true, 2, 5, 40, 40},
      {true, true, 7, 5, 120, 40},
      {true, true, 12, 5, 200, 40},
      {true, false, 2, 5, 40, 40},
      {true, false, 12, 5, 120, 40},
      {true, false, 12, 25, 120, 200},
      {true, false, 20, 5, -1, -1},
      {true, true, 20, 5, -1, -1},
      // Vertical: the bottom 15 rows filled.
      {false, true, 5, 17, 40, 40},
      {false, true, 5, 27, 40, 200},
      {false, false, 5, 17, 40, 120},
      {false, false, 25, 27, 200, 200},
      {false, false, 5, 5, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << (c.horizontal ? "horizontal" : "vertical")
                 << (c.stretch ? " stretched" : " cut") << " at " << c.x << ", " << c.y);
    progress_->SetHorizontal(c.horizontal);
    progress_->SetAttribute(L"isstretchfore", c.stretch ? L"true" : L"false");
    const Pixel p = At(c.x, c.y);
    if (c.red < 0) {
      EXPECT_EQ(p, (Pixel{255, 255, 255, 255}));
    } else {
      EXPECT_NEAR(p.r, c.red, 2);
      EXPECT_NEAR(p.g, c.green, 2);
      EXPECT_NEAR(p.b, 200, 2);
    }
  }
  // Released, the image loads again when it is next painted.
  progress_->ReleaseAllImages();
  progress_->Invalidate();
  const Pixel again = At(5, 27);
  EXPECT_NEAR(again.r, 40, 2);
  EXPECT_NEAR(again.g, 200, 2);
}

}  // namespace
}  // namespace ui
