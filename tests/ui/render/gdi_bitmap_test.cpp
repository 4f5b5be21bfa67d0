#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/render/gdi_bitmap.h"

namespace {

// A memory dc for the bitmaps of a test.
class GdiBitmapTest : public testing::Test {
 protected:
  void SetUp() override { dc_ = CreateCompatibleDC(nullptr); }
  void TearDown() override { DeleteDC(dc_); }
  HDC dc_ = nullptr;
};

TEST_F(GdiBitmapTest, CreateMakesA32BitSectionOfTheSize) {
  ui::GdiBitmap bitmap;
  ASSERT_TRUE(bitmap.Create(dc_, 5, 3, true));
  EXPECT_EQ(5, bitmap.GetWidth());
  EXPECT_EQ(3, bitmap.GetHeight());
  ASSERT_NE(nullptr, bitmap.GetPixelBits());
  DIBSECTION section = {};
  ASSERT_EQ(static_cast<int>(sizeof(section)),
            GetObjectW(bitmap.GetHandle(), sizeof(section), &section));
  EXPECT_EQ(32, section.dsBm.bmBitsPixel);
  EXPECT_EQ(5 * 4, section.dsBm.bmWidthBytes);
  EXPECT_EQ(static_cast<DWORD>(BI_RGB), section.dsBmih.biCompression);
  EXPECT_EQ(bitmap.GetPixelBits(), section.dsBm.bmBits);

  // Row 0 of the memory is the top row of a top-down bitmap, the bottom row otherwise.
  for (bool topDown : {true, false}) {
    ASSERT_TRUE(bitmap.Create(dc_, 2, 2, topDown));
    HGDIOBJ old = SelectObject(dc_, bitmap.GetHandle());
    SetPixel(dc_, 0, 0, RGB(255, 0, 0));
    GdiFlush();
    SelectObject(dc_, old);
    const auto* bytes = static_cast<const unsigned char*>(bitmap.GetPixelBits());
    EXPECT_EQ(topDown ? 255 : 0, bytes[2]) << topDown;
    EXPECT_EQ(topDown ? 0 : 255, bytes[2 * 4 + 2]) << topDown;
  }
}

TEST_F(GdiBitmapTest, RefusedSizesLeaveItEmpty) {
  struct Case {
    bool withDc;
    int width, height;
  } cases[] = {{false, 4, 4}, {true, 0, 4}, {true, 4, 0}, {true, -1, 4}, {true, 40000, 40000}};
  for (const Case& c : cases) {
    ui::GdiBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(dc_, 4, 4, true));
    EXPECT_FALSE(bitmap.Create(c.withDc ? dc_ : nullptr, c.width, c.height, true))
        << c.width << " x " << c.height;
    EXPECT_EQ(nullptr, bitmap.GetHandle());
    EXPECT_EQ(nullptr, bitmap.GetPixelBits());
    EXPECT_EQ(0, bitmap.GetWidth());
    EXPECT_EQ(0, bitmap.GetHeight());
    bitmap.Clear();
    bitmap.ResetPixels({0, 0, 4, 4}, 1);
    bitmap.MakeOpaque({0, 0, 4, 4}, {}, 0);
  }
}

TEST_F(GdiBitmapTest, DetachForgetsTheHandleWithoutDeletingIt) {
  ui::GdiBitmap bitmap;
  EXPECT_EQ(nullptr, bitmap.Detach());
  ASSERT_TRUE(bitmap.Create(dc_, 4, 4, true));
  HBITMAP handle = bitmap.Detach();
  EXPECT_EQ(nullptr, bitmap.GetHandle());
  EXPECT_EQ(nullptr, bitmap.GetPixelBits());
  EXPECT_EQ(0, bitmap.GetWidth());
  BITMAP description = {};
  EXPECT_TRUE(GetObjectW(handle, sizeof(description), &description));
  EXPECT_TRUE(DeleteObject(handle));
}

TEST_F(GdiBitmapTest, ClearZeroesAllBytes) {
  ui::GdiBitmap bitmap;
  ASSERT_TRUE(bitmap.Create(dc_, 3, 2, true));
  auto* bytes = static_cast<unsigned char*>(bitmap.GetPixelBits());
  for (int i = 0; i < 3 * 2 * 4; ++i) bytes[i] = 0x5A;
  bitmap.Clear();
  for (int i = 0; i < 3 * 2 * 4; ++i) ASSERT_EQ(0, bytes[i]) << i;
}

}  // namespace

namespace {

// GDI writes 0 into the alpha of what it draws; around such drawing, those pixels end up
// opaque and the others keep the alpha they had, whichever way up the bitmap lies.
TEST_F(GdiBitmapTest, PixelsGdiWroteBecomeOpaqueAndTheOthersKeepTheirAlpha) {
  for (bool topDown : {true, false}) {
    SCOPED_TRACE(topDown);
    ui::GdiBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(dc_, 4, 2, topDown));
    auto* pixels = static_cast<uint32_t*>(bitmap.GetPixelBits());
    // Transparent, translucent, opaque and translucent again, in both rows.
    const uint32_t before[] = {0x00000000u, 0x80402010u, 0xFF112233u, 0x40101010u};
    for (int i = 0; i < 8; ++i) pixels[i] = before[i % 4];
    std::vector<unsigned char> kept;
    const ui::UiRect area{0, 0, 4, 2};
    bitmap.KeepAlphaForGdi(area, &kept);
    HGDIOBJ old = SelectObject(dc_, bitmap.GetHandle());
    // GDI writes the second pixel of the top row only.
    SetPixel(dc_, 1, 0, RGB(255, 255, 255));
    GdiFlush();
    SelectObject(dc_, old);
    bitmap.RestoreAlphaAfterGdi(area, kept);
    const int top = topDown ? 0 : 4;
    const int bottom = topDown ? 4 : 0;
    EXPECT_EQ(pixels[top + 1], 0xFFFFFFFFu);
    for (int x : {0, 2, 3}) EXPECT_EQ(pixels[top + x], before[x]) << x;
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pixels[bottom + x], before[x]) << x;
  }
}

}  // namespace
