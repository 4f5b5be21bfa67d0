#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "render_test_util.h"

namespace {

using render_test::Opaque;
using render_test::Pixel;
using render_test::PixelAt;
using ui::UiRect;

// A top-down 32-bit DIB filled by a function of the pixel position, selected into a
// memory dc of its own for the blit tests.
class SourceBitmap {
 public:
  SourceBitmap(int width, int height, const std::function<Pixel(int, int)>& pixel) : width_(width) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    handle_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        Pixel p = pixel(x, y);
        std::memcpy(static_cast<uint8_t*>(bits_) + (y * width + x) * 4, &p, 4);
      }
    }
  }
  SourceBitmap(const SourceBitmap&) = delete;
  SourceBitmap& operator=(const SourceBitmap&) = delete;
  ~SourceBitmap() {
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    DeleteObject(handle_);
  }
  HBITMAP handle() const { return handle_; }
  HDC dc() {
    if (!dc_) {
      dc_ = CreateCompatibleDC(nullptr);
      old_ = SelectObject(dc_, handle_);
    }
    return dc_;
  }

 private:
  int width_;
  void* bits_ = nullptr;
  HBITMAP handle_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// Opaque colour of the nine-grid cell (column, row) of the test image.
Pixel CellColor(int column, int row) {
  return Pixel{200, uint8_t(40 + 80 * row), uint8_t(40 + 80 * column), 255};
}

int Cell(int position, int low, int high) {
  return position < low ? 0 : position < high ? 1 : 2;
}

// 30 x 30 with 10-pixel corners, each of the nine cells in its own colour.
SourceBitmap NineCells() {
  return SourceBitmap(30, 30,
                      [](int x, int y) { return CellColor(Cell(x, 10, 20), Cell(y, 10, 20)); });
}

const Pixel kZero{0, 0, 0, 0};

// Stretch-copies of opaque images keep the colour but not the alpha byte (GDI's stretch
// does not keep it; the window repairs it or asks for exact alpha).
Pixel ColorOf(Pixel p) {
  return Pixel{p.b, p.g, p.r, 0};
}

// Corners 10 x 10, top and bottom edges 80 x 10, sides 10 x 20, middle 80 x 20; with exact
// alpha every piece is blended and keeps its alpha.
TEST(PaintBitmapTest, NineGridPiecesLandInTheirPlaces) {
  SourceBitmap image = NineCells();
  for (bool exact : {false, true}) {
    auto context = render_test::MakeContext(120, 60);
    context->SetAlphaExact(exact);
    const UiRect dest{10, 10, 110, 50};
    context->PaintBitmap({0, 0, 120, 60}, image.handle(), false, dest, {0, 0, 30, 30},
                         {10, 10, 10, 10}, 255, false, false);
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 120; ++x) {
        const bool inside = x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom;
        const int column = Cell(x - 10, 10, 90);
        const int row = Cell(y - 10, 10, 30);
        const Pixel expected = inside ? CellColor(column, row) : kZero;
        const Pixel actual = PixelAt(*context, x, y);
        const bool stretched = column == 1 || row == 1;
        if (inside && stretched && !exact) {
          ASSERT_EQ(ColorOf(expected), ColorOf(actual)) << x << "," << y;
        } else {
          ASSERT_EQ(expected, actual) << x << "," << y << (exact ? " exact" : "");
        }
      }
    }
  }
}

TEST(PaintBitmapTest, UsesTheSourceArea) {
  // The grid cut from the lower right 30 x 30 of a larger image.
  SourceBitmap image(50, 40, [](int x, int y) {
    if (x < 20 || y < 10) return Pixel{0, 0, 255, 255};
    return CellColor(Cell(x - 20, 10, 20), Cell(y - 10, 10, 20));
  });
  auto context = render_test::MakeContext(60, 60);
  context->PaintBitmap({0, 0, 60, 60}, image.handle(), false, {0, 0, 60, 60}, {20, 10, 50, 40},
                       {10, 10, 10, 10}, 255, false, false);
  EXPECT_EQ(CellColor(0, 0), PixelAt(*context, 0, 0));
  EXPECT_EQ(ColorOf(CellColor(1, 1)), ColorOf(PixelAt(*context, 30, 30)));
  EXPECT_EQ(CellColor(2, 2), PixelAt(*context, 59, 59));
  EXPECT_EQ(ColorOf(CellColor(2, 1)), ColorOf(PixelAt(*context, 55, 30)));
}

TEST(PaintBitmapTest, OnlyPiecesMeetingThePaintRectangleAreDrawnButThoseWhole) {
  SourceBitmap image = NineCells();
  auto context = render_test::MakeContext(100, 40);
  context->PaintBitmap({0, 0, 15, 40}, image.handle(), false, {0, 0, 100, 40}, {0, 0, 30, 30},
                       {10, 10, 10, 10}, 255, false, false);
  // The middle and the top and bottom edges reach into the paint rectangle: drawn whole.
  EXPECT_EQ(ColorOf(CellColor(1, 1)), ColorOf(PixelAt(*context, 80, 20)));
  EXPECT_EQ(ColorOf(CellColor(1, 0)), ColorOf(PixelAt(*context, 80, 5)));
  EXPECT_EQ(ColorOf(CellColor(1, 2)), ColorOf(PixelAt(*context, 80, 35)));
  // The right column of pieces does not: untouched.
  for (int y = 0; y < 40; ++y) EXPECT_EQ(kZero, PixelAt(*context, 95, y)) << y;
  EXPECT_EQ(ColorOf(CellColor(0, 1)), ColorOf(PixelAt(*context, 5, 20)));
}

TEST(PaintBitmapTest, NothingWithoutBitmapOrOutsideThePaintRectangle) {
  SourceBitmap image = NineCells();
  auto context = render_test::MakeContext(40, 40);
  context->PaintBitmap({0, 0, 40, 40}, nullptr, false, {0, 0, 30, 30}, {0, 0, 30, 30}, {}, 255,
                       false, false);
  context->PaintBitmap({0, 0, 10, 10}, image.handle(), false, {10, 10, 40, 40}, {0, 0, 30, 30}, {},
                       255, false, false);
  context->PaintBitmap({0, 0, 40, 40}, image.handle(), false, {10, 10, 10, 40}, {0, 0, 30, 30}, {},
                       255, false, false);
  EXPECT_EQ(0, render_test::CountWhere(*context, {0, 0, 40, 40}, [](Pixel p) { return p.a; }));
}

TEST(PaintBitmapTest, FollowsOriginAndClip) {
  SourceBitmap image = NineCells();
  auto context = render_test::MakeContext(40, 40);
  context->SetOrigin({-5, -5});
  context->PushClip({0, 0, 20, 40});
  context->PaintBitmap({0, 0, 40, 40}, image.handle(), false, {0, 0, 30, 30}, {0, 0, 30, 30}, {},
                       255, false, false);
  context->PopClip();
  EXPECT_EQ(CellColor(0, 0), PixelAt(*context, 5, 5));
  EXPECT_EQ(CellColor(1, 1), PixelAt(*context, 20, 20));
  EXPECT_EQ(kZero, PixelAt(*context, 4, 5));
  EXPECT_EQ(kZero, PixelAt(*context, 25, 20));  // logical 20: clipped
}

// A 30 x 30 image with 10-pixel corners whose middle has a colour per column and row.
Pixel MiddleColor(int column, int row) {
  return Pixel{0, uint8_t(100 + 10 * row), uint8_t(100 + 10 * column), 255};
}

SourceBitmap PatternedMiddle() {
  return SourceBitmap(30, 30, [](int x, int y) {
    if (x >= 10 && x < 20 && y >= 10 && y < 20) return MiddleColor(x - 10, y - 10);
    return Pixel{50, 50, 50, 255};
  });
}

struct TileCase {
  const char* name;
  bool tileX, tileY;
  int destWidth, destHeight;
};

class TilingTest : public testing::TestWithParam<TileCase> {};

// Tiled directions repeat the source middle at 1:1, the last piece cut (25 = 10 + 10 + 5);
// an untiled direction is stretched.
TEST_P(TilingTest, RepeatsTheMiddleAtItsOwnSize) {
  const TileCase& c = GetParam();
  SourceBitmap image = PatternedMiddle();
  auto context = render_test::MakeContext(c.destWidth, c.destHeight);
  context->PaintBitmap({0, 0, c.destWidth, c.destHeight}, image.handle(), true,
                       {0, 0, c.destWidth, c.destHeight}, {0, 0, 30, 30}, {10, 10, 10, 10}, 255,
                       c.tileX, c.tileY);
  const int innerWidth = c.destWidth - 20;
  const int innerHeight = c.destHeight - 20;
  for (int y = 0; y < innerHeight; ++y) {
    for (int x = 0; x < innerWidth; ++x) {
      const Pixel actual = PixelAt(*context, x + 10, y + 10);
      if (c.tileX) {
        ASSERT_EQ(100 + 10 * (x % 10), actual.r) << x << "," << y;
      } else {
        ASSERT_EQ(100 + 10 * (x * 10 / innerWidth), actual.r) << x << "," << y;
      }
      if (c.tileY) {
        ASSERT_EQ(100 + 10 * (y % 10), actual.g) << x << "," << y;
      } else {
        ASSERT_EQ(100 + 10 * (y * 10 / innerHeight), actual.g) << x << "," << y;
      }
    }
  }
  // The borders are drawn as usual.
  EXPECT_EQ((Pixel{50, 50, 50, 255}), PixelAt(*context, 0, 0));
  EXPECT_EQ((Pixel{50, 50, 50, 255}), PixelAt(*context, c.destWidth - 1, c.destHeight / 2));
}

INSTANTIATE_TEST_SUITE_P(Cases, TilingTest,
                         testing::Values(TileCase{"across", true, false, 45, 40},
                                         TileCase{"down", false, true, 40, 45},
                                         TileCase{"both", true, true, 45, 45},
                                         TileCase{"both exact fit", true, true, 40, 50}),
                         [](const testing::TestParamInfo<TileCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) ch = isalnum(ch) ? ch : '_';
                           return name;
                         });

// Corners covering the whole 20 x 20 source leave a middle without pixels: a tiled middle
// then draws nothing (there is nothing to repeat), and the edges have nothing either; the
// corners are still drawn.
TEST(PaintBitmapTest, TilingAnEmptyMiddleDrawsNothingThere) {
  SourceBitmap image(20, 20, [](int x, int y) { return CellColor(x / 10 * 2, y / 10 * 2); });
  for (auto tiles : {std::pair{true, false}, std::pair{false, true}, std::pair{true, true}}) {
    auto context = render_test::MakeContext(45, 45);
    context->PaintBitmap({0, 0, 45, 45}, image.handle(), false, {0, 0, 45, 45}, {0, 0, 20, 20},
                         {10, 10, 10, 10}, 255, tiles.first, tiles.second);
    EXPECT_EQ(CellColor(0, 0), PixelAt(*context, 0, 0));
    EXPECT_EQ(CellColor(2, 0), PixelAt(*context, 44, 0));
    EXPECT_EQ(CellColor(0, 2), PixelAt(*context, 0, 44));
    EXPECT_EQ(CellColor(2, 2), PixelAt(*context, 44, 44));
    EXPECT_EQ(4 * 100,
              render_test::CountWhere(*context, {0, 0, 45, 45}, [](Pixel p) { return p.a; }));
  }
}

TEST(PaintBitmapTest, CornersLargerThanTheSourceDrawNoMirroredPieces) {
  SourceBitmap image = NineCells();
  auto context = render_test::MakeContext(60, 60);
  context->PaintBitmap({0, 0, 60, 60}, image.handle(), false, {0, 0, 60, 60}, {0, 0, 30, 30},
                       {20, 20, 20, 20}, 255, false, false);
  // Four 20 x 20 corners; the middle and the edges have inverted sources.
  EXPECT_EQ(4 * 400,
            render_test::CountWhere(*context, {0, 0, 60, 60}, [](Pixel p) { return p.a; }));
  EXPECT_EQ(CellColor(0, 0), PixelAt(*context, 0, 0));
  EXPECT_EQ(CellColor(2, 2), PixelAt(*context, 59, 59));
}

TEST(PaintBitmapTest, CornerSizesPassThroughTheScaler) {
  render_test::LookupReset reset;
  ui::RenderLookup::SetRectScaler([](const UiRect& r) {
    return UiRect{r.left * 2, r.top * 2, r.right * 2, r.bottom * 2};
  });
  SourceBitmap image = NineCells();
  auto context = render_test::MakeContext(100, 60);
  context->PaintBitmap({0, 0, 100, 60}, image.handle(), true, {0, 0, 100, 60}, {0, 0, 30, 30},
                       {10, 10, 10, 10}, 255, false, false);
  // Drawn corners 20 x 20 from 10 x 10 source corners.
  EXPECT_EQ(CellColor(0, 0), PixelAt(*context, 19, 19));
  EXPECT_EQ(CellColor(1, 1), PixelAt(*context, 20, 20));
  EXPECT_EQ(CellColor(2, 2), PixelAt(*context, 80, 40));
  EXPECT_EQ(CellColor(1, 1), PixelAt(*context, 79, 39));
}

// A half-transparent source pixel over opaque white tells the two transfers apart: a
// copy keeps the source pixel, a blend lays it over the white.
struct TransferCase {
  const char* name;
  bool hasAlpha;
  bool alphaExact;
  unsigned char fade;
  int destSize;  // the source is 10 x 10
  bool blended;
};

class TransferTest : public testing::TestWithParam<TransferCase> {};

TEST_P(TransferTest, CopiesOnlyOpaqueUnfadedStretchedImages) {
  const TransferCase& c = GetParam();
  SourceBitmap image(10, 10, [](int, int) { return Pixel{0, 0, 128, 128}; });
  auto context = render_test::MakeContext(40, 40);
  context->FillColor({0, 0, 40, 40}, 0xFFFFFFFF, 255);
  context->SetAlphaExact(c.alphaExact);
  context->PaintBitmap({0, 0, 40, 40}, image.handle(), c.hasAlpha, {0, 0, c.destSize, c.destSize},
                       {0, 0, 10, 10}, {}, c.fade, false, false);
  const Pixel p = PixelAt(*context, 5, 5);
  if (!c.blended) {
    EXPECT_EQ(ColorOf(Pixel{0, 0, 128, 128}), ColorOf(p));
    return;
  }
  // dest = source * fade + white * (1 - sourceAlpha * fade)
  const double f = c.fade / 255.0;
  const int r = static_cast<int>(128 * f + 255 * (1 - 128 / 255.0 * f));
  const int g = static_cast<int>(255 * (1 - 128 / 255.0 * f));
  EXPECT_LE(std::abs(r - p.r), 2) << p;
  EXPECT_LE(std::abs(g - p.g), 2) << p;
  EXPECT_LE(std::abs(255 - p.a), 1) << p;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferTest,
    testing::Values(TransferCase{"opaque stretched copies", false, false, 255, 20, false},
                    TransferCase{"alpha stretched blends", true, false, 255, 20, true},
                    TransferCase{"exact alpha blends", false, true, 255, 20, true},
                    TransferCase{"fade blends", false, false, 128, 20, true},
                    TransferCase{"fade 254 blends", false, false, 254, 20, true},
                    TransferCase{"same size blends", false, false, 255, 10, true}),
    [](const testing::TestParamInfo<TransferCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) ch = isalnum(ch) ? ch : '_';
      return name;
    });

TEST(BlitTest, CopyBitsCopiesFromAnotherDc) {
  SourceBitmap image = NineCells();
  auto context = render_test::MakeContext(40, 40);
  EXPECT_TRUE(context->CopyBits(5, 5, 20, 20, image.dc(), 5, 5, SRCCOPY));
  EXPECT_EQ(CellColor(0, 0), PixelAt(*context, 5, 5));
  EXPECT_EQ(CellColor(1, 1), PixelAt(*context, 15, 15));
  EXPECT_EQ(kZero, PixelAt(*context, 25, 25));
  EXPECT_EQ(kZero, PixelAt(*context, 4, 4));
}

TEST(BlitTest, BlendBitsBlendsPerPixelWithConstantAlpha) {
  SourceBitmap image(10, 10, [](int, int) { return Pixel{0, 0, 128, 128}; });
  auto context = render_test::MakeContext(40, 40);
  context->FillColor({0, 0, 40, 40}, 0xFFFFFFFF, 255);
  EXPECT_TRUE(context->BlendBits(0, 0, 20, 20, image.dc(), 0, 0, 10, 10, 255));
  const Pixel p = PixelAt(*context, 15, 15);  // stretched
  EXPECT_LE(std::abs(255 - p.r), 1) << p;
  EXPECT_LE(std::abs(127 - p.g), 1) << p;
  EXPECT_FALSE(context->BlendBits(0, 0, 20, 20, nullptr, 0, 0, 10, 10, 255));
  EXPECT_FALSE(context->BlendBits(0, 0, 20, 20, image.dc(), 0, 0, 40, 40, 255));  // beyond
}

}  // namespace
