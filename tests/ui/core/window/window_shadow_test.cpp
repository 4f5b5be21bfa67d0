#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "runtime/path_util.h"
#include "ui/core/images/image_loader.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/shadow_box.h"
#include "ui/core/window/window_shadow.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::UiScope;
using render_test::PixelAt;
using window_test::CreateShown;
using window_test::Pump;
using window_test::PumpUntil;
using window_test::TestNativeWindow;

constexpr UiRect kDefaultBand{14, 14, 14, 14};

class WindowShadowTest : public ::testing::Test {
 protected:
  ~WindowShadowTest() override {
    UiRegistry::GetDpiScaler().SetEnabled(false);
    UiRegistry::GetDpiScaler().SetPercent(100);
  }
  // Wraps the root; the test owns what comes back.
  Control* Wrap(Control* root) {
    wrapped_.reset(shadow_.WrapRoot(root));
    return wrapped_.get();
  }
  UiRect Padding() const { return shadow_.GetShadowBox()->GetLayout()->GetPadding(); }

  UiScope ui_;
  WindowShadow shadow_;
  std::unique_ptr<Control> wrapped_;
};

TEST_F(WindowShadowTest, StartsAttachedWithTheBuiltInPicture) {
  EXPECT_TRUE(shadow_.IsAttached());
  EXPECT_TRUE(shadow_.IsDefaultImage());
  EXPECT_EQ(shadow_.GetImage(), L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'");
  EXPECT_EQ(shadow_.GetCorner(), kDefaultBand);
  EXPECT_EQ(shadow_.GetShadowBox(), nullptr);
}

struct WrapCase {
  UiSize root;
  UiSize box;
};

TEST_F(WindowShadowTest, TheWrappingBoxAddsTheBandToFixedSizesOnly) {
  const WrapCase cases[] = {
      {{400, 300}, {428, 328}},
      {{kLengthStretch, kLengthStretch}, {kLengthStretch, kLengthStretch}},
      {{kLengthAuto, 50}, {kLengthAuto, 78}},
      {{0, kLengthAuto}, {0, kLengthAuto}},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.root.cx);
    WindowShadow shadow;
    auto* root = new VBox();
    root->SetFixedWidth(c.root.cx);
    root->SetFixedHeight(c.root.cy);
    std::unique_ptr<Control> box(shadow.WrapRoot(root));
    ASSERT_NE(dynamic_cast<ShadowBox*>(box.get()), nullptr);
    EXPECT_EQ(shadow.GetShadowBox(), box.get());
    EXPECT_EQ(box->GetFixedWidth(), c.box.cx);
    EXPECT_EQ(box->GetFixedHeight(), c.box.cy);
    EXPECT_EQ(shadow.GetShadowBox()->GetLayout()->GetPadding(), kDefaultBand);
    EXPECT_EQ(shadow.GetShadowBox()->GetItemAt(0), root);
    EXPECT_EQ(root->GetBorderRound(), (UiSize{3, 3}));
  }
}

TEST_F(WindowShadowTest, DetachedShadowLeavesTheRootAlone) {
  shadow_.SetAttached(false);
  auto* root = new VBox();
  root->SetFixedWidth(400);
  EXPECT_EQ(Wrap(root), root);
  EXPECT_EQ(root->GetFixedWidth(), 400);
  EXPECT_EQ(root->GetBorderRound(), UiSize{});
  EXPECT_EQ(shadow_.GetShadowBox(), nullptr);
  shadow_.MaximizedChanged(true);
  EXPECT_EQ(shadow_.GetCorner(), kDefaultBand);
}

TEST_F(WindowShadowTest, MaximizeAndRestoreReturnToTheLayoutsCorner) {
  shadow_.SetCorner(UiRect{5, 6, 7, 8});
  auto* root = new VBox();
  Wrap(root);
  EXPECT_EQ(Padding(), (UiRect{5, 6, 7, 8}));
  shadow_.MaximizedChanged(true);
  EXPECT_EQ(shadow_.GetCorner(), UiRect{});
  EXPECT_EQ(Padding(), UiRect{});
  EXPECT_EQ(root->GetBorderRound(), UiSize{});
  shadow_.MaximizedChanged(false);
  EXPECT_EQ(shadow_.GetCorner(), (UiRect{5, 6, 7, 8}));
  EXPECT_EQ(Padding(), (UiRect{5, 6, 7, 8}));
  EXPECT_EQ(root->GetBorderRound(), (UiSize{3, 3}));
}

TEST_F(WindowShadowTest, ACustomPictureNeverTouchesTheRootsCorners) {
  shadow_.SetImage(L"file='mine.png' corner='8,8,8,8'");
  EXPECT_FALSE(shadow_.IsDefaultImage());
  auto* root = new VBox();
  root->SetBorderRound(UiSize{6, 6});
  Wrap(root);
  EXPECT_EQ(root->GetBorderRound(), (UiSize{6, 6}));
  shadow_.MaximizedChanged(true);
  EXPECT_EQ(root->GetBorderRound(), (UiSize{6, 6}));
  shadow_.MaximizedChanged(false);
  EXPECT_EQ(root->GetBorderRound(), (UiSize{6, 6}));
  EXPECT_EQ(shadow_.GetShadowBox()->GetBkImage().imageString, L"file='mine.png' corner='8,8,8,8'");
}

TEST_F(WindowShadowTest, ADpiChangeWhileMaximizedKeepsTheBandOffUntilRestore) {
  shadow_.SetCorner(UiRect{5, 5, 5, 5});
  Wrap(new VBox());
  shadow_.MaximizedChanged(true);
  DpiScaler& scaler = UiRegistry::GetDpiScaler();
  scaler.SetEnabled(true);
  scaler.SetPercent(200);
  shadow_.DpiChanged();
  EXPECT_EQ(shadow_.GetCorner(), UiRect{});
  EXPECT_EQ(Padding(), UiRect{});
  shadow_.MaximizedChanged(false);
  EXPECT_EQ(shadow_.GetCorner(), (UiRect{10, 10, 10, 10}));
  scaler.SetPercent(300);
  shadow_.DpiChanged();
  EXPECT_EQ(shadow_.GetCorner(), (UiRect{15, 15, 15, 15}));
  EXPECT_EQ(Padding(), (UiRect{15, 15, 15, 15}));
}

TEST_F(WindowShadowTest, ADestroyedBoxIsLetGo) {
  Wrap(new VBox());
  ASSERT_NE(shadow_.GetShadowBox(), nullptr);
  wrapped_.reset();
  EXPECT_EQ(shadow_.GetShadowBox(), nullptr);
  shadow_.MaximizedChanged(true);
  shadow_.DpiChanged();
  EXPECT_EQ(shadow_.GetCorner(), kDefaultBand);
}

TEST(WindowShadowRoot, AReplacedRootIsNoLongerTheShadows) {
  UiScope ui;
  TestNativeWindow window;
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 120, 80}, new HBox(), false, true);
  ASSERT_TRUE(hwnd);
  ASSERT_NE(window.GetShadow().GetShadowBox(), nullptr);
  window.AttachRoot(new VBox());
  EXPECT_EQ(window.GetShadow().GetShadowBox(), nullptr);
  // The old tree is destroyed later; until then and after, size changes leave it alone.
  ::SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(120, 80));
  Pump(50);
  EXPECT_EQ(window.GetShadow().GetCorner(), kDefaultBand);
  EXPECT_EQ(window.GetShadow().GetShadowBox(), nullptr);
}

TEST(ShadowBoxPaint, UpdatesInsideTheContentDrawNoShadow) {
  UiScope ui;
  UiRegistry::AddTextColor(L"shadow_test_band", L"#FF804020");
  std::unique_ptr<IRenderContext> context = UiRegistry::CreateRenderContext();
  ASSERT_TRUE(context->Resize(60, 40));
  ShadowBox box;
  box.GetLayout()->SetPadding(UiRect{10, 10, 10, 10}, false);
  box.SetBkColor(L"shadow_test_band");
  box.SetPosition(UiRect{0, 0, 60, 40});
  struct PaintCase {
    UiRect paint;
    bool bandPainted;
  };
  const PaintCase cases[] = {
      {{10, 10, 50, 30}, false}, {{20, 15, 30, 25}, false}, {{9, 10, 50, 30}, true},
      {{10, 10, 51, 30}, true},  {{0, 0, 60, 40}, true},
  };
  for (const PaintCase& c : cases) {
    SCOPED_TRACE(c.paint.left);
    context->Clear();
    context->PushClip(UiRect{0, 0, 60, 40});
    box.PaintLayers(*context, c.paint);
    context->PopClip();
    // The box paints its layers only for an update that reaches the band.
    bool painted = false;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 60; ++x) painted = painted || PixelAt(*context, x, y).r == 0x80;
    }
    EXPECT_EQ(painted, c.bandPainted);
  }
}

// The shipped picture, found as every window finds it: beside its skin folder.
TEST(BuiltInShadowPicture, DrawsASoftBandAroundTheContent) {
  UiScope ui;
  UiRegistry::SetResourcePath(kbase::ModuleFolder() + L"..\\bin\\resources\\themes\\default");
  UiRegistry::AddTextColor(L"shadow_test_content", L"#FF3060C0");
  const std::wstring picture =
      UiRegistry::GetResourcePath() + L"skin\\..\\public\\bk\\bk_shadow.png";
  std::unique_ptr<ImageInfo> loaded = LoadImageFromFile(picture);
  ASSERT_NE(loaded, nullptr);
  TestNativeWindow window;
  window.SetResourceSubFolder(L"skin");
  auto* root = new VBox();
  root->SetAttribute(L"bkcolor", L"shadow_test_content");
  const HWND hwnd = CreateShown(&window, UiRect{0, 0, 160, 120}, root, true, true);
  ASSERT_TRUE(hwnd);
  ASSERT_TRUE(PumpUntil([&] { return root->GetPosition().right == 146; }, 2000));
  Pump(100);
  IRenderContext& surface = *window.GetRenderContext();
  EXPECT_EQ(PixelAt(surface, 80, 60).a, 255);
  // Darkest next to the content, fading to nothing at the window's edge, on every side.
  const int inner = PixelAt(surface, 13, 60).a;
  const int middle = PixelAt(surface, 7, 60).a;
  EXPECT_GE(inner, 60);
  EXPECT_GT(inner, middle);
  EXPECT_GT(middle, 0);
  EXPECT_EQ(PixelAt(surface, 0, 60).a, 0);
  EXPECT_EQ(PixelAt(surface, 146, 60).a, inner);
  EXPECT_EQ(PixelAt(surface, 80, 13).a, inner);
  EXPECT_EQ(PixelAt(surface, 80, 106).a, inner);
  // Shadow is black: no colour, only alpha.
  EXPECT_EQ(PixelAt(surface, 13, 60).r, 0);
}

}  // namespace
}  // namespace ui
