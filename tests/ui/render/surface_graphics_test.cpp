#include "ui/render/surface_graphics.h"

#include <gtest/gtest.h>

#include <memory>

#include "render_test_util.h"
#include "ui/render/render_context_gdiplus.h"

namespace {

using render_test::Pixel;
using ui::UiPoint;
using ui::UiRect;

// GDI+ drawing into a context's pixels lands where the context's own drawing would: moved by
// its origin, inside its clip, the right way up.
TEST(SurfaceGraphicsTest, DrawingFollowsTheOriginAndTheClip) {
  const struct {
    bool topDown;
    UiPoint origin;
    bool clipped;
    UiRect logical;  // the clip, or the filled rectangle without one
  } cases[] = {
      {true, {0, 0}, false, {4, 6, 20, 16}},   {true, {10, 5}, false, {14, 11, 30, 21}},
      {true, {10, 5}, true, {15, 10, 35, 25}}, {false, {0, 0}, false, {4, 6, 20, 16}},
      {false, {-3, 2}, true, {0, 4, 12, 9}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << (c.topDown ? "top-down" : "bottom-up") << " origin " << c.origin.x << ", "
                 << c.origin.y << (c.clipped ? " clipped" : ""));
    auto context = std::make_unique<ui::RenderContext_GdiPlus>();
    ASSERT_TRUE(context->Resize(40, 30, c.topDown));
    context->Clear();
    context->SetOrigin(c.origin);
    if (c.clipped) context->PushClip(c.logical);
    {
      ui::SurfaceGraphics graphics(context->GetDc());
      ASSERT_NE(graphics.get(), nullptr);
      Gdiplus::GpSolidFill* brush = nullptr;
      Gdiplus::DllExports::GdipCreateSolidFill(0xFFFF0000, &brush);
      ui::BrushPtr owned(brush);
      const UiRect r = c.clipped ? UiRect{-100, -100, 100, 100} : c.logical;
      Gdiplus::DllExports::GdipFillRectangleI(graphics.get(), brush, r.left, r.top, r.Width(),
                                              r.Height());
    }
    UiRect expected = c.logical;
    expected.Offset(-c.origin.x, -c.origin.y);
    int outside = 0;
    int inside = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        const Pixel p = render_test::PixelAt(*context, x, y, !c.topDown);
        const bool red = p == Pixel{0, 0, 255, 255};
        const bool within =
            x >= expected.left && x < expected.right && y >= expected.top && y < expected.bottom;
        if (within && red) ++inside;
        if (!within && p.a != 0) ++outside;
      }
    }
    EXPECT_EQ(inside, expected.Width() * expected.Height());
    EXPECT_EQ(outside, 0);
  }
}

}  // namespace
