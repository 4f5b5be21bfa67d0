#include <windows.h>

#include <gtest/gtest.h>

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
