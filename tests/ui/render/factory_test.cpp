#include <gtest/gtest.h>

#include "render_test_util.h"
#include "ui/render/i_bitmap.h"
#include "ui/render/render_factory_gdiplus.h"

namespace {

using render_test::Opaque;
using render_test::PixelAt;

TEST(RenderFactoryTest, MakesContextsWithoutASurface) {
  ui::RenderFactory_GdiPlus factory;
  std::unique_ptr<ui::IRenderContext> context = factory.CreateRenderContext();
  ASSERT_NE(nullptr, context);
  EXPECT_NE(nullptr, context->GetDc());
  EXPECT_EQ(0, context->GetWidth());
  EXPECT_EQ(0, context->GetHeight());
  EXPECT_EQ(nullptr, context->GetPixelBits());
  EXPECT_EQ((ui::UiPoint{0, 0}), context->GetOrigin());
  EXPECT_FALSE(context->IsAlphaExact());
}

TEST(RenderFactoryTest, TwoContextsAreIndependent) {
  ui::RenderFactory_GdiPlus factory;
  std::unique_ptr<ui::IRenderContext> first = factory.CreateRenderContext();
  std::unique_ptr<ui::IRenderContext> second = factory.CreateRenderContext();
  ASSERT_TRUE(first->Resize(8, 8, true));
  ASSERT_TRUE(second->Resize(8, 8, true));
  EXPECT_NE(first->GetDc(), second->GetDc());
  first->FillColor({0, 0, 8, 8}, 0xFFFF0000, 255);
  second->FillColor({0, 0, 8, 8}, 0xFF00FF00, 255);

  first->SetOrigin({4, 4});
  first->PushClip({4, 4, 6, 6});
  second->FillColor({0, 0, 2, 2}, 0xFF0000FF, 255);  // neither offset nor clipped
  EXPECT_EQ(Opaque(0xFF0000FF), PixelAt(*second, 0, 0));
  EXPECT_EQ(Opaque(0xFF00FF00), PixelAt(*second, 5, 5));

  ASSERT_TRUE(second->Resize(3, 3, true));
  EXPECT_EQ(8, first->GetWidth());
  EXPECT_EQ(Opaque(0xFFFF0000), PixelAt(*first, 7, 7));
  first->Clear();
  EXPECT_EQ(0, PixelAt(*second, 0, 0).a);  // the new surface of second, untouched by first
  second->FillColor({0, 0, 3, 3}, 0xFF00FF00, 255);
  first->Clear();
  EXPECT_EQ(Opaque(0xFF00FF00), PixelAt(*second, 2, 2));
  first->PopClip();
}

TEST(RenderFactoryTest, MakesEmptyBitmaps) {
  ui::RenderFactory_GdiPlus factory;
  std::unique_ptr<ui::IBitmap> bitmap = factory.CreateBitmap();
  ASSERT_NE(nullptr, bitmap);
  EXPECT_EQ(nullptr, bitmap->GetHandle());
  EXPECT_EQ(0, bitmap->GetWidth());
}

}  // namespace
