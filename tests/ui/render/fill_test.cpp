#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "render_test_util.h"

namespace {

using render_test::CountWhere;
using render_test::Opaque;
using render_test::Pixel;
using render_test::PixelAt;
using ui::UiColor;
using ui::UiRect;

bool Near(int a, int b, int tolerance = 1) {
  return std::abs(a - b) <= tolerance;
}

struct FillCase {
  const char* name;
  UiColor color;
  unsigned char alpha;
  Pixel onTransparent;  // premultiplied result over a cleared surface
  Pixel onWhite;        // over opaque white
};

const FillCase kFillCases[] = {
    {"opaque at 255 unchanged", 0xFF20A0FF, 255, {0xFF, 0xA0, 0x20, 255}, {0xFF, 0xA0, 0x20, 255}},
    {"opaque at 128", 0xFFFF0000, 128, {0, 0, 128, 128}, {127, 127, 255, 255}},
    {"alpha 100 at 51 is 20", 0x64FF0000, 51, {0, 0, 20, 20}, {235, 235, 255, 255}},
    {"translucent at 255 unchanged", 0x800000FF, 255, {128, 0, 0, 128}, {255, 127, 127, 255}},
    {"at 0 draws nothing", 0xFFFF0000, 0, {0, 0, 0, 0}, {255, 255, 255, 255}},
};

class FillColorTest : public testing::TestWithParam<FillCase> {};

void ExpectNear(const Pixel& expected, const Pixel& actual) {
  EXPECT_TRUE(Near(expected.b, actual.b) && Near(expected.g, actual.g) &&
              Near(expected.r, actual.r) && Near(expected.a, actual.a))
      << "expected " << expected << ", got " << actual;
}

TEST_P(FillColorTest, ScalesTheColoursAlpha) {
  const FillCase& c = GetParam();
  auto context = render_test::MakeContext(20, 10);
  context->FillColor({0, 0, 10, 10}, c.color, c.alpha);
  context->FillColor({10, 0, 20, 10}, 0xFFFFFFFF, 255);
  context->FillColor({10, 0, 20, 10}, c.color, c.alpha);
  ExpectNear(c.onTransparent, PixelAt(*context, 5, 5));
  ExpectNear(c.onWhite, PixelAt(*context, 15, 5));
}

INSTANTIATE_TEST_SUITE_P(Cases, FillColorTest, testing::ValuesIn(kFillCases),
                         [](const testing::TestParamInfo<FillCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) ch = isalnum(ch) ? ch : '_';
                           return name;
                         });

TEST(FillTest, FillColorCoversExactlyTheRectangle) {
  auto context = render_test::MakeContext(20, 20);
  context->FillColor({3, 4, 11, 9}, 0xFF0000FF, 255);
  EXPECT_EQ((UiRect{3, 4, 11, 9}), render_test::BoundsWhere(*context, [](Pixel p) { return p.a; }));
  EXPECT_EQ(8 * 5, CountWhere(*context, {0, 0, 20, 20}, [](Pixel p) { return p.a == 255; }));
}

TEST(FillTest, NamedColoursComeFromTheColourTable) {
  render_test::LookupReset reset;
  std::map<std::wstring, UiColor> table{{L"blue", 0xFF0000FF}, {L"half", 0x80FF0000}};
  ui::RenderLookup::SetColorLookup([&table](const std::wstring& name) {
    auto it = table.find(name);
    return it == table.end() ? 0u : it->second;
  });
  auto context = render_test::MakeContext(40, 10);
  context->FillColor({0, 0, 40, 10}, 0xFFFFFFFF, 255);
  context->FillNamedColor({0, 0, 10, 10}, L"blue", 255);
  context->FillNamedColor({10, 0, 20, 10}, L"half", 255);
  context->FillNamedColor({20, 0, 30, 10}, L"missing", 255);
  context->FillNamedColor({30, 0, 40, 10}, L"", 255);
  EXPECT_EQ(Opaque(0xFF0000FF), PixelAt(*context, 5, 5));
  ExpectNear(Pixel{127, 127, 255, 255}, PixelAt(*context, 15, 5));
  EXPECT_EQ(Opaque(0xFFFFFFFF), PixelAt(*context, 25, 5));  // unknown: transparent
  EXPECT_EQ(Opaque(0xFFFFFFFF), PixelAt(*context, 35, 5));  // empty name: nothing
  context->Clear();
  context->FillNamedColor({0, 0, 10, 10}, L"blue", 51);
  ExpectNear(Pixel{51, 0, 0, 51}, PixelAt(*context, 5, 5));
}

TEST(FillTest, NamedColoursAreTransparentWithoutAColourTable) {
  auto context = render_test::MakeContext(10, 10);
  context->FillNamedColor({0, 0, 10, 10}, L"blue", 255);
  EXPECT_EQ(0, CountWhere(*context, {0, 0, 10, 10}, [](Pixel p) { return p.a || p.b; }));
}

TEST(FillTest, GradientRunsFromTopToBottomAndScalesOnlyTheTopColour) {
  auto context = render_test::MakeContext(20, 100);
  context->FillGradient({0, 0, 10, 100}, 0xFFFF0000, 0xFF0000FF, 255);
  const Pixel top = PixelAt(*context, 5, 2);
  const Pixel middle = PixelAt(*context, 5, 50);
  const Pixel bottom = PixelAt(*context, 5, 97);
  EXPECT_GT(top.r, 240);
  EXPECT_LT(top.b, 15);
  EXPECT_LT(bottom.r, 15);
  EXPECT_GT(bottom.b, 240);
  EXPECT_TRUE(Near(middle.r, 128, 8) && Near(middle.b, 128, 8)) << middle;
  // Every row is uniform across, and red falls row by row.
  for (int y = 1; y < 99; ++y) {
    ASSERT_EQ(PixelAt(*context, 0, y), PixelAt(*context, 9, y)) << y;
    ASSERT_LE(PixelAt(*context, 5, y + 1).r, PixelAt(*context, 5, y).r) << y;
  }
  EXPECT_EQ(0, PixelAt(*context, 10, 50).a);

  context->FillGradient({10, 0, 20, 100}, 0xFFFF0000, 0xFF0000FF, 128);
  EXPECT_TRUE(Near(PixelAt(*context, 15, 2).a, 128, 4)) << PixelAt(*context, 15, 2);
  EXPECT_GT(PixelAt(*context, 15, 97).a, 250);
}

bool Inked(Pixel p) {
  return p.a > 0;
}

TEST(StrokeTest, LineRunsBetweenTheTwoCorners) {
  auto context = render_test::MakeContext(30, 30);
  context->StrokeLine({2, 5, 25, 5}, 1, 0xFF00FF00);
  EXPECT_EQ(Opaque(0xFF00FF00), PixelAt(*context, 12, 5));
  const UiRect bounds = render_test::BoundsWhere(*context, Inked);
  EXPECT_EQ(5, bounds.top);
  EXPECT_EQ(6, bounds.bottom);  // one pixel high, no anti-aliasing
  EXPECT_TRUE(Near(bounds.left, 2) && Near(bounds.right, 26)) << bounds.left << " " << bounds.right;

  context->Clear();
  context->StrokeLine({3, 3, 20, 20}, 1, 0xFF00FF00);
  EXPECT_TRUE(Inked(PixelAt(*context, 10, 10)));
  EXPECT_FALSE(Inked(PixelAt(*context, 10, 14)));
}

TEST(StrokeTest, PenWidthWidensStrokes) {
  auto context = render_test::MakeContext(30, 30);
  context->StrokeLine({0, 10, 30, 10}, 5, 0xFF00FF00);
  const UiRect bounds = render_test::BoundsWhere(*context, Inked);
  EXPECT_TRUE(Near(bounds.Height(), 5)) << bounds.Height();
}

TEST(StrokeTest, RectangleOutlineWithoutFill) {
  auto context = render_test::MakeContext(30, 30);
  context->StrokeRect({2, 3, 12, 13}, 1, 0xFFFF0000);
  EXPECT_EQ(Opaque(0xFFFF0000), PixelAt(*context, 2, 8));
  EXPECT_EQ(Opaque(0xFFFF0000), PixelAt(*context, 7, 3));
  EXPECT_EQ(Opaque(0xFFFF0000), PixelAt(*context, 12, 8));
  EXPECT_EQ(Opaque(0xFFFF0000), PixelAt(*context, 7, 13));
  EXPECT_EQ(0, CountWhere(*context, {3, 4, 12, 13}, Inked));
  EXPECT_EQ((UiRect{2, 3, 13, 14}), render_test::BoundsWhere(*context, Inked));
}

TEST(StrokeTest, EllipseOutlineAndFill) {
  auto context = render_test::MakeContext(60, 30);
  context->StrokeEllipse({0, 0, 24, 24}, 2, 0xFF0000FF);
  context->FillEllipse({30, 0, 54, 24}, 0xFF0000FF);
  // Outline: the ring, not the centre or the box corners.
  EXPECT_FALSE(Inked(PixelAt(*context, 12, 12)));
  EXPECT_FALSE(Inked(PixelAt(*context, 1, 1)));
  EXPECT_TRUE(Inked(PixelAt(*context, 12, 0)));
  EXPECT_TRUE(Inked(PixelAt(*context, 0, 12)));
  // Filled: the centre in full colour, not the corners.
  EXPECT_EQ(Opaque(0xFF0000FF), PixelAt(*context, 42, 12));
  EXPECT_FALSE(Inked(PixelAt(*context, 31, 1)));
  // Anti-aliasing is requested but not checked: Wine's GDI+ fills without it.
}

TEST(StrokeTest, FillEllipseDoesNotScaleTheColour) {
  auto context = render_test::MakeContext(30, 30);
  context->FillEllipse({0, 0, 24, 24}, 0x80FF0000);
  EXPECT_TRUE(Near(PixelAt(*context, 12, 12).a, 128)) << PixelAt(*context, 12, 12);
}

TEST(StrokeTest, RoundRectangleHasRoundedCorners) {
  auto context = render_test::MakeContext(50, 40);
  context->StrokeRoundRect({2, 2, 42, 32}, {12, 12}, 1, 0xFFFF0000);
  // Straight sides along the whole edge between the arcs.
  for (int x = 14; x <= 30; ++x) {
    ASSERT_TRUE(Inked(PixelAt(*context, x, 2))) << x;
    ASSERT_TRUE(Inked(PixelAt(*context, x, 32))) << x;
  }
  for (int y = 14; y <= 20; ++y) {
    ASSERT_TRUE(Inked(PixelAt(*context, 2, y))) << y;
    ASSERT_TRUE(Inked(PixelAt(*context, 42, y))) << y;
  }
  // Corners cut off, inside empty.
  for (auto corner : {std::pair{2, 2}, std::pair{42, 2}, std::pair{2, 32}, std::pair{42, 32}}) {
    EXPECT_FALSE(Inked(PixelAt(*context, corner.first, corner.second)));
  }
  EXPECT_EQ(0, CountWhere(*context, {5, 5, 40, 30}, Inked));
  // The arcs pass near their 45-degree points.
  EXPECT_GT(CountWhere(*context, {2, 2, 8, 8}, Inked), 0);
  EXPECT_GT(CountWhere(*context, {37, 27, 44, 34}, Inked), 0);
}

}  // namespace
