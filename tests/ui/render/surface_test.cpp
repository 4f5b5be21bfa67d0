#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "render_test_util.h"
#include "ui/render/render_context_gdiplus.h"

namespace {

using render_test::FillSurface;
using render_test::Pixel;
using render_test::PixelAt;
using ui::UiRect;

const Pixel kMarked{1, 2, 3, 4};
const Pixel kZero{0, 0, 0, 0};

struct ResizeCase {
  const char* name;
  int fromWidth, fromHeight;  // 0: never sized
  int toWidth, toHeight;
  bool created;
  int width, height;  // after
  bool pixelsKept;
};

const ResizeCase kResizeCases[] = {
    {"first size", 0, 0, 10, 8, true, 10, 8, false},
    {"same size keeps pixels", 10, 8, 10, 8, false, 10, 8, true},
    {"new size", 10, 8, 12, 8, true, 12, 8, false},
    {"zero on empty", 0, 0, 0, 0, false, 0, 0, false},
    {"zero empties", 10, 8, 0, 0, false, 0, 0, false},
    {"zero width", 10, 8, 0, 8, false, 0, 0, false},
    {"negative", 10, 8, -4, 8, false, 0, 0, false},
};

class ResizeTest : public testing::TestWithParam<ResizeCase> {};

TEST_P(ResizeTest, FollowsTheSizeRules) {
  const ResizeCase& c = GetParam();
  ui::RenderContext_GdiPlus context;
  if (c.fromWidth > 0) {
    ASSERT_TRUE(context.Resize(c.fromWidth, c.fromHeight, true));
    FillSurface(context, kMarked);
  }
  EXPECT_EQ(c.created, context.Resize(c.toWidth, c.toHeight, true));
  EXPECT_EQ(c.width, context.GetWidth());
  EXPECT_EQ(c.height, context.GetHeight());
  if (c.width == 0) {
    EXPECT_EQ(nullptr, context.GetPixelBits());
    // Pixel operations on the empty surface do nothing.
    context.Clear();
    context.ResetPixels({0, 0, 10, 10}, 9);
    context.MakeOpaque({0, 0, 10, 10}, {}, 0);
    return;
  }
  ASSERT_NE(nullptr, context.GetPixelBits());
  const Pixel expected = c.pixelsKept ? kMarked : kZero;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) ASSERT_EQ(expected, PixelAt(context, x, y)) << x << "," << y;
  }
  // The surface is selected into the dc: drawing there lands in the pixels.
  context.FillColor({0, 0, 1, 1}, 0xFF102030, 255);
  EXPECT_EQ(render_test::Opaque(0xFF102030), PixelAt(context, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Cases, ResizeTest, testing::ValuesIn(kResizeCases),
                         [](const testing::TestParamInfo<ResizeCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) ch = isalnum(ch) ? ch : '_';
                           return name;
                         });

TEST(SurfaceTest, EmptySurfaceCanBeSizedAgain) {
  ui::RenderContext_GdiPlus context;
  ASSERT_TRUE(context.Resize(10, 10, true));
  EXPECT_FALSE(context.Resize(0, 0, true));
  EXPECT_TRUE(context.Resize(4, 3, true));
  EXPECT_EQ(4, context.GetWidth());
  context.FillColor({0, 0, 4, 3}, 0xFF00FF00, 255);
  EXPECT_EQ(render_test::Opaque(0xFF00FF00), PixelAt(context, 3, 2));
}

TEST(SurfaceTest, ClearZeroesEveryByte) {
  auto context = render_test::MakeContext(7, 5);
  FillSurface(*context, kMarked);
  context->Clear();
  EXPECT_EQ(0, render_test::CountWhere(*context, {0, 0, 7, 5}, [](Pixel p) { return p != kZero; }));
}

TEST(SurfaceTest, CloneIsAnIndependentCopy) {
  auto context = render_test::MakeContext(10, 10);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      render_test::SetPixel(*context, x, y, Pixel{uint8_t(x), uint8_t(y), uint8_t(x + y), 200});
    }
  }
  std::unique_ptr<ui::IRenderContext> copy = context->Clone();
  ASSERT_EQ(10, copy->GetWidth());
  ASSERT_EQ(10, copy->GetHeight());
  EXPECT_NE(context->GetPixelBits(), copy->GetPixelBits());
  EXPECT_EQ(0, std::memcmp(context->GetPixelBits(), copy->GetPixelBits(), 10 * 10 * 4));

  context->FillColor({0, 0, 10, 10}, 0xFFFFFFFF, 255);
  EXPECT_EQ((Pixel{3, 4, 7, 200}), PixelAt(*copy, 3, 4));
  copy->Clear();
  EXPECT_EQ(render_test::Opaque(0xFFFFFFFF), PixelAt(*context, 3, 4));
}

TEST(SurfaceTest, CloneCopiesThePixelsWhateverTheOrigin) {
  auto context = render_test::MakeContext(6, 6);
  render_test::SetPixel(*context, 0, 0, kMarked);
  context->SetOrigin({3, 2});
  std::unique_ptr<ui::IRenderContext> copy = context->Clone();
  EXPECT_EQ(kMarked, PixelAt(*copy, 0, 0));
  EXPECT_EQ((ui::UiPoint{0, 0}), copy->GetOrigin());
}

TEST(SurfaceTest, CloneOfAnEmptySurfaceIsEmpty) {
  ui::RenderContext_GdiPlus context;
  std::unique_ptr<ui::IRenderContext> copy = context.Clone();
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(0, copy->GetWidth());
  EXPECT_EQ(nullptr, copy->GetPixelBits());
}

TEST(SurfaceTest, DetachBitmapHandsOverTheSurface) {
  ui::RenderContext_GdiPlus context;
  EXPECT_EQ(nullptr, context.DetachBitmap());
  ASSERT_TRUE(context.Resize(9, 4, true));
  HBITMAP bitmap = context.DetachBitmap();
  ASSERT_NE(nullptr, bitmap);
  EXPECT_EQ(0, context.GetWidth());
  EXPECT_EQ(nullptr, context.GetPixelBits());
  BITMAP description = {};
  ASSERT_TRUE(GetObjectW(bitmap, sizeof(description), &description));
  EXPECT_EQ(9, description.bmWidth);
  EXPECT_EQ(4, description.bmHeight);
  // No longer selected into the context's dc: it can be selected elsewhere and deleted.
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(other, bitmap);
  EXPECT_NE(nullptr, old);
  SelectObject(other, old);
  DeleteDC(other);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(context.Resize(2, 2, true));
}

struct ResetCase {
  const char* name;
  UiRect rect;
  UiRect touched;  // empty: nothing
};

class ResetPixelsTest : public testing::TestWithParam<ResetCase> {};

TEST_P(ResetPixelsTest, TouchesOnlyTheRectangleInsideTheSurface) {
  const ResetCase& c = GetParam();
  auto context = render_test::MakeContext(10, 8);
  FillSurface(*context, kMarked);
  context->ResetPixels(c.rect, 0xAB);
  const Pixel reset{0xAB, 0xAB, 0xAB, 0xAB};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside =
          x >= c.touched.left && x < c.touched.right && y >= c.touched.top && y < c.touched.bottom;
      ASSERT_EQ(inside ? reset : kMarked, PixelAt(*context, x, y)) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResetPixelsTest,
    testing::Values(ResetCase{"inside", {2, 3, 5, 6}, {2, 3, 5, 6}},
                    ResetCase{"over the top left", {-5, -5, 3, 2}, {0, 0, 3, 2}},
                    ResetCase{"over the bottom right", {8, 6, 20, 20}, {8, 6, 10, 8}},
                    ResetCase{"whole and beyond", {-1, -1, 11, 9}, {0, 0, 10, 8}},
                    ResetCase{"outside", {10, 0, 20, 8}, {}}, ResetCase{"empty", {4, 4, 4, 7}, {}},
                    ResetCase{"inverted", {6, 6, 2, 2}, {}}),
    [](const testing::TestParamInfo<ResetCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) ch = isalnum(ch) ? ch : '_';
      return name;
    });

TEST(SurfaceTest, PixelOperationsAddressVisualRowsOfBottomUpSurfaces) {
  ui::RenderContext_GdiPlus context;
  ASSERT_TRUE(context.Resize(4, 4, false));
  context.FillColor({0, 0, 4, 1}, 0xFFFF0000, 255);
  EXPECT_EQ(render_test::Opaque(0xFFFF0000), PixelAt(context, 0, 0, true));
  context.ResetPixels({0, 0, 4, 1}, 0);
  EXPECT_EQ(kZero, PixelAt(context, 0, 0, true));
  context.MakeOpaque({0, 3, 4, 4}, {}, 0);
  EXPECT_EQ(255, PixelAt(context, 2, 3, true).a);
  EXPECT_EQ(0, PixelAt(context, 2, 0, true).a);
}

// Corner areas cut from the whole 12 x 10 surface by insets left 2, top 3, right 4, bottom 1.
bool InCorner(int x, int y) {
  return (x < 2 || x >= 12 - 4) && (y < 3 || y >= 10 - 1);
}

TEST(MakeOpaqueTest, KeyZeroMakesEverythingOutsideTheCornersOpaque) {
  auto context = render_test::MakeContext(12, 10);
  FillSurface(*context, Pixel{7, 8, 9, 7});
  context->MakeOpaque({0, 0, 12, 10}, {2, 3, 4, 1}, 0);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      const Pixel expected{7, 8, 9, uint8_t(InCorner(x, y) ? 7 : 255)};
      ASSERT_EQ(expected, PixelAt(*context, x, y)) << x << "," << y;
    }
  }
}

TEST(MakeOpaqueTest, KeyAlphaBecomesTransparentAndTheRestOpaque) {
  auto context = render_test::MakeContext(12, 10);
  FillSurface(*context, Pixel{5, 5, 5, 7});
  for (int x = 0; x < 12; ++x) render_test::SetPixel(*context, x, 5, Pixel{5, 5, 5, 9});
  render_test::SetPixel(*context, 6, 6, Pixel{5, 5, 5, 255});
  render_test::SetPixel(*context, 6, 7, Pixel{5, 5, 5, 0});
  context->MakeOpaque({0, 0, 12, 10}, {2, 3, 4, 1}, 7);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      uint8_t alpha = (y == 5) ? 255 : 0;
      if (x == 6 && (y == 6 || y == 7)) alpha = 255;
      if (InCorner(x, y)) alpha = 7;
      ASSERT_EQ((Pixel{5, 5, 5, alpha}), PixelAt(*context, x, y)) << x << "," << y;
    }
  }
}

TEST(MakeOpaqueTest, WorksOnlyInsideTheRectangleCutToTheSurface) {
  auto context = render_test::MakeContext(12, 10);
  FillSurface(*context, kMarked);
  context->MakeOpaque({-3, 8, 5, 40}, {2, 3, 4, 1}, 0);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x < 5 && y >= 8 && !InCorner(x, y);
      ASSERT_EQ(inside ? 255 : 4, PixelAt(*context, x, y).a) << x << "," << y;
    }
  }
}

TEST(SurfaceTest, OriginMovesDrawing) {
  auto context = render_test::MakeContext(20, 20);
  EXPECT_EQ((ui::UiPoint{0, 0}), context->GetOrigin());
  EXPECT_EQ((ui::UiPoint{0, 0}), context->OffsetOrigin(5, -2));
  EXPECT_EQ((ui::UiPoint{5, -2}), context->OffsetOrigin(1, 1));
  EXPECT_EQ((ui::UiPoint{6, -1}), context->SetOrigin({4, -3}));
  EXPECT_EQ((ui::UiPoint{4, -3}), context->GetOrigin());
  // Logical (5, 0) lands on pixel (1, 3).
  context->FillColor({5, 0, 6, 1}, 0xFF0000FF, 255);
  EXPECT_EQ(render_test::Opaque(0xFF0000FF), PixelAt(*context, 1, 3));
  EXPECT_EQ(1, render_test::CountWhere(*context, {0, 0, 20, 20}, [](Pixel p) { return p.a; }));
}

TEST(SurfaceTest, AlphaExactFlag) {
  ui::RenderContext_GdiPlus context;
  EXPECT_FALSE(context.IsAlphaExact());
  EXPECT_FALSE(context.SetAlphaExact(true));
  EXPECT_TRUE(context.IsAlphaExact());
  EXPECT_TRUE(context.SetAlphaExact(false));
  EXPECT_FALSE(context.IsAlphaExact());
}

TEST(SurfaceTest, RestoreStateDropsClipsPushedAfterTheSave) {
  auto context = render_test::MakeContext(10, 10);
  context->PushClip({0, 0, 5, 5});
  const int level = context->SaveState();
  EXPECT_GT(level, 0);
  context->PushClip({0, 0, 2, 2});
  context->PushClip({1, 1, 2, 2});
  EXPECT_TRUE(context->RestoreState());
  context->FillColor({0, 0, 10, 10}, 0xFF00FF00, 255);
  EXPECT_EQ((ui::UiRect{0, 0, 5, 5}),
            render_test::BoundsWhere(*context, [](Pixel p) { return p.a; }));
  context->PopClip();
}

}  // namespace
