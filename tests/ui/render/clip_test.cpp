#include <gtest/gtest.h>

#include "render_test_util.h"
#include "ui/render/auto_clip.h"
#include "ui/render/gdi_clip.h"

namespace {

using render_test::BoundsWhere;
using render_test::Pixel;
using render_test::PixelAt;
using ui::UiRect;

bool Drawn(Pixel p) {
  return p.a != 0;
}

// What a fill of the whole surface reaches under the current clips.
UiRect FillReach(ui::IRenderContext& context) {
  context.Clear();
  context.FillColor({-100, -100, 100, 100}, 0xFF00FF00, 255);
  return BoundsWhere(context, Drawn);
}

TEST(ClipTest, NestedClipsIntersectAndPopRestoresTheOuterOne) {
  auto context = render_test::MakeContext(40, 40);
  context->PushClip({0, 0, 20, 20});
  context->PushClip({10, 5, 30, 30});
  EXPECT_EQ((UiRect{10, 5, 20, 20}), FillReach(*context));
  context->PopClip();
  EXPECT_EQ((UiRect{0, 0, 20, 20}), FillReach(*context));
  context->PopClip();
  EXPECT_EQ((UiRect{0, 0, 40, 40}), FillReach(*context));
}

TEST(ClipTest, DisjointNestedClipsLeaveNothing) {
  auto context = render_test::MakeContext(40, 40);
  context->PushClip({0, 0, 10, 10});
  context->PushClip({20, 20, 30, 30});
  EXPECT_TRUE(FillReach(*context).IsEmpty());
  context->PopClip();
  context->PopClip();
}

TEST(ClipTest, EmptyOrInvertedRectanglesClipEverything) {
  auto context = render_test::MakeContext(40, 40);
  for (UiRect rect : {UiRect{10, 10, 10, 20}, UiRect{30, 30, 10, 10}}) {
    context->PushClip(rect);
    EXPECT_TRUE(FillReach(*context).IsEmpty());
    context->PopClip();
    context->PushRoundClip(rect, 4, 4);
    EXPECT_TRUE(FillReach(*context).IsEmpty());
    context->PopClip();
  }
}

TEST(ClipTest, ClipIsGivenInLogicalCoordinatesAndKeepsItsPlace) {
  auto context = render_test::MakeContext(40, 40);
  context->SetOrigin({5, 10});
  context->PushClip({10, 10, 20, 20});  // pixels 5..15 x 0..10
  context->SetOrigin({0, 0});
  EXPECT_EQ((UiRect{5, 0, 15, 10}), FillReach(*context));
  context->PopClip();
}

TEST(ClipTest, RoundClipCutsTheCornersAndIncludesRightAndBottom) {
  auto context = render_test::MakeContext(40, 40);
  context->PushRoundClip({0, 0, 30, 20}, 12, 12);
  const UiRect reach = FillReach(*context);
  context->PopClip();
  // The region spans the rectangle with right and bottom made inclusive.
  EXPECT_EQ((UiRect{0, 0, 30, 20}), reach);
  EXPECT_FALSE(Drawn(PixelAt(*context, 0, 0)));
  EXPECT_FALSE(Drawn(PixelAt(*context, 29, 19)));
  EXPECT_TRUE(Drawn(PixelAt(*context, 0, 10)));
  EXPECT_TRUE(Drawn(PixelAt(*context, 15, 0)));
  EXPECT_TRUE(Drawn(PixelAt(*context, 15, 19)));
  EXPECT_TRUE(Drawn(PixelAt(*context, 6, 6)));
}

TEST(ClipTest, AutoClipPopsAtTheEndOfItsScope) {
  auto context = render_test::MakeContext(40, 40);
  {
    ui::AutoClip outer(context.get(), {0, 0, 20, 20});
    {
      ui::AutoClip inner(context.get(), {10, 10, 30, 30}, 8, 8);
      EXPECT_EQ((UiRect{10, 10, 20, 20}), FillReach(*context));
    }
    EXPECT_EQ((UiRect{0, 0, 20, 20}), FillReach(*context));
  }
  EXPECT_EQ((UiRect{0, 0, 40, 40}), FillReach(*context));
}

TEST(ClipTest, DisabledAutoClipDoesNothingAtEitherEnd) {
  auto context = render_test::MakeContext(40, 40);
  context->PushClip({0, 0, 20, 20});
  {
    ui::AutoClip none(context.get(), {0, 0, 5, 5}, false);
    ui::AutoClip roundNone(context.get(), {0, 0, 5, 5}, 2, 2, false);
    EXPECT_EQ((UiRect{0, 0, 20, 20}), FillReach(*context));
  }
  // Had the guards popped, the outer clip would be gone.
  EXPECT_EQ((UiRect{0, 0, 20, 20}), FillReach(*context));
  context->PopClip();
  ui::AutoClip noContext(nullptr, {0, 0, 5, 5});
}

TEST(ClipTest, ClipWithoutDeviceContextDoesNothing) {
  auto context = render_test::MakeContext(40, 40);
  context->PushClip({0, 0, 20, 20});
  ui::GdiClip clip;
  clip.PushClip(nullptr, {0, 0, 5, 5});
  clip.PushRoundClip(nullptr, {0, 0, 5, 5}, 2, 2);
  clip.PopClip(nullptr);
  // The surface's own clip is neither narrowed nor popped.
  EXPECT_EQ((UiRect{0, 0, 20, 20}), FillReach(*context));
}

}  // namespace
