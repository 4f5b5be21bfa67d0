#include "ui/core/image_attributes/image_drawing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using image_test::ImagePath;
using image_test::RecordingContext;
using render_test::Pixel;
using render_test::PixelAt;

const UiRect kUnset{-1, -1, -1, -1};

// The nine cells of grid.png, as drawn opaque.
Pixel GridCell(int column, int row) {
  return Pixel{200, uint8_t(40 + 80 * row), uint8_t(40 + 80 * column), 255};
}

bool SameColour(const Pixel& a, const Pixel& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}

std::wstring Grid() {
  return L"file='" + ImagePath(L"grid.png") + L"'";
}

class DrawImageTest : public ::testing::Test {
 protected:
  DrawImageTest() {
    host_.item = {10, 10, 40, 40};
    render_test::FillSurface(context_, Pixel{0, 0, 0, 255});
  }

  bool Draw(const std::wstring& text, const std::wstring& modification = std::wstring(),
            int fade = -1) {
    attribute_.SetImageString(text);
    return DrawImage(host_, context_, &attribute_, modification, fade);
  }
  Pixel At(int x, int y) { return PixelAt(context_, x, y); }

  image_test::DecodeCounter decodes_;
  image_test::TestImageHost host_;
  RecordingContext context_{110, 60};
  ImageAttribute attribute_;
};

struct ArgumentCase {
  std::wstring properties;  // after the file
  const wchar_t* modification;
  int fade;
  UiRect dest;
  UiRect source;
  UiRect corners;
  int expectedFade;
  bool tileX;
  bool tileY;
};

TEST_F(DrawImageTest, PropertiesReachPaintBitmap) {
  // Held throughout, so that resetting the attribute between cases does not free it.
  auto held = UiRegistry::GetImage(ImagePath(L"grid.png"));
  const UiRect item{10, 10, 40, 40};
  const UiRect whole{0, 0, 30, 30};
  const ArgumentCase cases[] = {
      {L"", L"", -1, item, whole, {}, 255, false, false},
      {L" dest='5,5,25,25'", L"", -1, {15, 15, 35, 35}, whole, {}, 255, false, false},
      // Only a fully given rectangle counts.
      {L" dest='5,5,25,-1'", L"", -1, item, whole, {}, 255, false, false},
      {L" source='10,0,20,30'", L"", -1, item, {10, 0, 20, 30}, {}, 255, false, false},
      {L" source='0,0,-1,10'", L"", -1, item, whole, {}, 255, false, false},
      {L" corner='10,9,8,7'", L"", -1, item, whole, {10, 9, 8, 7}, 255, false, false},
      {L" fade='128'", L"", -1, item, whole, {}, 128, false, false},
      {L" xtiled='true'", L"", -1, item, whole, {}, 255, true, false},
      {L" ytiled='true'", L"", -1, item, whole, {}, 255, false, true},
      // A given fade wins over the attribute's and the modification's.
      {L" fade='128'", L"fade='50'", 77, item, whole, {}, 77, false, false},
      {L" fade='128'", L"fade='50'", -1, item, whole, {}, 50, false, false},
      {L" dest='1,1,2,2'",
       L"destscale='false' dest='0,0,10,10'",
       -1,
       {10, 10, 20, 20},
       whole,
       {},
       255,
       false,
       false},
      {L" corner='1,1,1,1'",
       L"source='0,0,10,10' xtiled='true'",
       -1,
       item,
       {0, 0, 10, 10},
       {1, 1, 1, 1},
       255,
       true,
       false},
  };
  for (const ArgumentCase& c : cases) {
    const std::wstring text = Grid() + c.properties;
    SCOPED_TRACE(testing::PrintToString(text + L" | " + c.modification));
    context_.calls.clear();
    ASSERT_TRUE(Draw(text, c.modification, c.fade));
    ASSERT_EQ(context_.calls.size(), 1u);
    const RecordingContext::Call& call = context_.calls[0];
    EXPECT_EQ(call.paint, item);
    EXPECT_EQ(call.bitmap, attribute_.image->Frame(0));
    EXPECT_FALSE(call.hasAlpha);
    EXPECT_EQ(call.dest, c.dest);
    EXPECT_EQ(call.source, c.source);
    EXPECT_EQ(call.corners, c.corners);
    EXPECT_EQ(call.fade, c.expectedFade);
    EXPECT_EQ(call.tileX, c.tileX);
    EXPECT_EQ(call.tileY, c.tileY);
  }
  // Modifications apply to a copy; the attribute keeps its own values.
  EXPECT_EQ(attribute_.source, kUnset);
  EXPECT_FALSE(attribute_.xTiled);
  EXPECT_EQ(attribute_.corner, (UiRect{1, 1, 1, 1}));
  // Every drawing used the one decoded image.
  EXPECT_EQ(decodes_.total(), 1);
}

TEST_F(DrawImageTest, PaintRectangleAndAlphaComeFromHostAndImage) {
  host_.paint = {20, 20, 40, 30};
  attribute_.SetImageString(L"file='" + ImagePath(L"transparent.png") + L"'");
  ASSERT_TRUE(DrawImage(host_, context_, &attribute_));
  ASSERT_EQ(context_.calls.size(), 1u);
  EXPECT_EQ(context_.calls[0].paint, host_.paint);
  EXPECT_TRUE(context_.calls[0].hasAlpha);
}

TEST_F(DrawImageTest, DrawsTheImageIntoItsRectangle) {
  ASSERT_TRUE(Draw(Grid()));
  EXPECT_EQ(At(15, 15), GridCell(0, 0));
  EXPECT_EQ(At(25, 25), GridCell(1, 1));
  EXPECT_EQ(At(39, 39), GridCell(2, 2));
  EXPECT_EQ(At(9, 9), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(At(40, 40), (Pixel{0, 0, 0, 255}));
}

TEST_F(DrawImageTest, DestAndSourcePlaceAndCropTheImage) {
  ASSERT_TRUE(Draw(Grid() + L" dest='20,0,30,10' source='10,10,20,20'"));
  const UiRect drawn = render_test::BoundsWhere(context_, [](Pixel p) { return p.b != 0; });
  EXPECT_EQ(drawn, (UiRect{30, 10, 40, 20}));
  EXPECT_EQ(render_test::CountWhere(context_, drawn, [](Pixel p) { return p == GridCell(1, 1); }),
            100);
}

TEST_F(DrawImageTest, CornersKeepTheirSizeAndEdgesStretch) {
  host_.item = {0, 0, 100, 40};
  ASSERT_TRUE(Draw(Grid() + L" corner='10,10,10,10'"));
  // Stretched pieces of an opaque image are copied, which leaves their alpha to GDI.
  EXPECT_PRED2(SameColour, At(0, 0), GridCell(0, 0));
  EXPECT_PRED2(SameColour, At(9, 9), GridCell(0, 0));
  EXPECT_PRED2(SameColour, At(50, 5), GridCell(1, 0));
  EXPECT_PRED2(SameColour, At(90, 0), GridCell(2, 0));
  EXPECT_PRED2(SameColour, At(5, 20), GridCell(0, 1));
  EXPECT_PRED2(SameColour, At(89, 29), GridCell(1, 1));
  EXPECT_PRED2(SameColour, At(99, 39), GridCell(2, 2));
  EXPECT_PRED2(SameColour, At(10, 30), GridCell(1, 2));
}

TEST_F(DrawImageTest, TilingRepeatsTheSourceInsteadOfStretching) {
  host_.item = {0, 0, 50, 10};
  ASSERT_TRUE(Draw(Grid() + L" source='0,0,20,10' xtiled='true'"));
  const int columns[] = {0, 9, 10, 19, 20, 29, 30, 39, 40, 49};
  const int cells[] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(At(columns[i], 5), GridCell(cells[i], 0)) << columns[i];
  EXPECT_EQ(At(50, 5), (Pixel{0, 0, 0, 255}));

  host_.item = {0, 20, 10, 45};
  ASSERT_TRUE(Draw(Grid() + L" source='0,10,10,30' ytiled='true'"));
  EXPECT_EQ(At(5, 29), GridCell(0, 1));
  EXPECT_EQ(At(5, 30), GridCell(0, 2));
  EXPECT_EQ(At(5, 40), GridCell(0, 1));
  EXPECT_EQ(At(5, 44), GridCell(0, 1));
}

TEST_F(DrawImageTest, FadeBlendsOverWhatIsThere) {
  ASSERT_TRUE(Draw(Grid() + L" fade='128'"));
  const Pixel faded = At(15, 15);
  EXPECT_NEAR(faded.r, 40 * 128 / 255, 2);
  EXPECT_NEAR(faded.b, 200 * 128 / 255, 2);
  EXPECT_EQ(faded.a, 255);

  // A given fade of 0 leaves the surface as it was.
  ASSERT_TRUE(Draw(Grid() + L" dest='0,0,10,10'", L"", 0));
  EXPECT_EQ(At(15, 15), faded);
}

TEST_F(DrawImageTest, TransparentPixelsLeaveTheBackground) {
  host_.item = {0, 0, 8, 8};
  ASSERT_TRUE(Draw(L"file='" + ImagePath(L"transparent.png") + L"'"));
  EXPECT_EQ(At(1, 1), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(At(6, 6), (Pixel{0, 0, 255, 255}));
}

TEST_F(DrawImageTest, AttributeWithoutFileDrawsNothing) {
  EXPECT_FALSE(Draw(L""));
  attribute_.SetImageString(Grid());
  attribute_.Reset();
  EXPECT_FALSE(DrawImage(host_, context_, &attribute_));
  EXPECT_TRUE(context_.calls.empty());
  EXPECT_EQ(decodes_.total(), 0);
}

TEST_F(DrawImageTest, UnloadableFileIsForgottenAndNotTriedAgain) {
  const wchar_t* files[] = {L"missing.png", L"empty.png",           L"truncated.png",
                            L"text.png",    L"no_colour_table.gif", L"huge_frame.jpg"};
  for (const wchar_t* file : files) {
    SCOPED_TRACE(testing::PrintToString(file));
    const int before = decodes_.total();
    EXPECT_FALSE(Draw(L"file='" + ImagePath(file) + L"' fade='10'"));
    EXPECT_EQ(decodes_.total(), before + 1);
    EXPECT_TRUE(attribute_.file.empty());
    EXPECT_TRUE(attribute_.imageString.empty());
    EXPECT_EQ(attribute_.fade, 255);
    // The next paint does not try the file again.
    EXPECT_FALSE(DrawImage(host_, context_, &attribute_));
    EXPECT_EQ(decodes_.total(), before + 1);
  }
  EXPECT_TRUE(context_.calls.empty());
}

class LoadImageTest : public ::testing::Test {
 protected:
  ~LoadImageTest() override { UiRegistry::SetResourcePath(L""); }

  image_test::DecodeCounter decodes_;
  image_test::TestImageHost host_;
};

TEST_F(LoadImageTest, RelativeFilesLieUnderTheWindowsResourceFolder) {
  UiRegistry::SetResourcePath(image_test::DataFolder());
  host_.subFolder = L"images\\";
  ImageAttribute relative;
  relative.SetImageString(L"grid.png");
  LoadImage(host_, &relative);
  ASSERT_NE(relative.image, nullptr);
  EXPECT_EQ(relative.image->path, ImagePath(L"grid.png"));
  EXPECT_EQ(ResolveImagePath(host_, L"grid.png"), ImagePath(L"grid.png"));
  EXPECT_EQ(ResolveImagePath(host_, L"..\\images//grid.png"),
            image_test::DataFolder() + L"images\\..\\images\\grid.png");
  // Absolute files ignore both folders.
  EXPECT_EQ(ResolveImagePath(host_, L"C:/skin//a.png"), L"C:\\skin\\a.png");
}

TEST_F(LoadImageTest, TwoHoldersOfOnePathShareOneDecode) {
  std::wstring slashed = ImagePath(L"delays.gif");
  for (wchar_t& c : slashed) {
    if (c == L'\\') c = L'/';
  }
  image_test::TestImageHost other;
  ImageAttribute first;
  ImageAttribute second;
  first.SetImageString(ImagePath(L"delays.gif"));
  second.SetImageString(L"file='" + slashed + L"' fade='9'");
  LoadImage(host_, &first);
  LoadImage(other, &second);
  ASSERT_NE(first.image, nullptr);
  EXPECT_EQ(first.image, second.image);
  EXPECT_EQ(decodes_.total(), 1);

  // Loading again keeps the image; another file replaces it.
  const ImageInfo* held = first.image.get();
  LoadImage(host_, &first);
  EXPECT_EQ(first.image.get(), held);
  first.file = ImagePath(L"grid.png");
  LoadImage(host_, &first);
  EXPECT_EQ(first.image->width, 30);
  EXPECT_EQ(decodes_.total(), 2);

  // Once no one holds it, it is decoded again.
  first.Reset();
  second.Reset();
  EXPECT_EQ(UiRegistry::FindCachedImage(slashed), nullptr);
  second.SetImageString(slashed);
  LoadImage(other, &second);
  EXPECT_NE(second.image, nullptr);
  EXPECT_EQ(decodes_.total(), 3);
}

}  // namespace
}  // namespace ui
