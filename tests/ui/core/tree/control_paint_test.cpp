#include <gtest/gtest.h>

#include <memory>

#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::TextControl;
using control_test::UiScope;
using render_test::Pixel;
using render_test::PixelAt;

const Pixel kBlack{0, 0, 0, 255};
const Pixel kRed{0, 0, 255, 255};
const Pixel kGreen{0, 255, 0, 255};

bool Near(const Pixel& a, const Pixel& b, int tolerance = 2) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

class ControlPaintTest : public ::testing::Test {
 protected:
  ControlPaintTest() : context_(render_test::MakeContext(100, 60)) {
    UiRegistry::AddTextColor(L"red", L"#FFFF0000");
    UiRegistry::AddTextColor(L"green", L"#FF00FF00");
    UiRegistry::AddTextColor(L"halfblue", L"#800000FF");
    render_test::FillSurface(*context_, kBlack);
  }

  void PaintAll(Control& control) { control.Paint(*context_, UiRect{0, 0, 100, 60}); }
  Pixel At(int x, int y) { return PixelAt(*context_, x, y); }

  UiScope ui_;
  std::unique_ptr<IRenderContext> context_;
};

TEST_F(ControlPaintTest, LayersInOrderColourImageStateColourBorder) {
  Control control;
  control.ApplyAttributeList(
      L"bkcolor=\"red\" normalcolor=\"halfblue\" bordercolor=\"green\" "
      L"bordersize=\"1\"");
  control.SetAttribute(L"bkimage", L"file='" + image_test::ImagePath(L"grid.png") +
                                       L"' dest='0,0,10,10' source='0,0,10,10'");
  control.SetPosition(UiRect{10, 10, 60, 40});
  PaintAll(control);
  // The state colour lies half over the background colour ...
  EXPECT_TRUE(Near(At(40, 25), Pixel{128, 0, 127, 255})) << At(40, 25);
  // ... and half over the image, which lies over the background colour.
  const Pixel cell{200, 40, 40, 255};
  EXPECT_TRUE(Near(At(15, 15),
                   Pixel{uint8_t(cell.b / 2 + 128), uint8_t(cell.g / 2), uint8_t(cell.r / 2), 255}))
      << At(15, 15);
  // The border is drawn last, over everything, inside the control.
  EXPECT_EQ(At(10, 25), kGreen);
  EXPECT_EQ(At(59, 25), kGreen);
  EXPECT_EQ(At(30, 39), kGreen);
  EXPECT_EQ(At(9, 25), kBlack);
  EXPECT_EQ(At(60, 25), kBlack);
}

struct BorderCase {
  const char* name;
  const wchar_t* attributes;
  std::vector<UiPoint> coloured;
  std::vector<UiPoint> clear;
};

class BorderTest : public ControlPaintTest, public ::testing::WithParamInterface<BorderCase> {};

// The control spans (20, 10) to (80, 50).
TEST_P(BorderTest, StrokedInsideTheControl) {
  Control control;
  control.ApplyAttributeList(std::wstring(L"bordercolor=\"green\" ") + GetParam().attributes);
  control.SetPosition(UiRect{20, 10, 80, 50});
  PaintAll(control);
  for (const UiPoint& p : GetParam().coloured) {
    EXPECT_TRUE(Near(At(p.x, p.y), kGreen, 40))
        << "(" << p.x << ", " << p.y << ") " << At(p.x, p.y);
  }
  for (const UiPoint& p : GetParam().clear) {
    EXPECT_EQ(At(p.x, p.y), kBlack) << "(" << p.x << ", " << p.y << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Borders, BorderTest,
    ::testing::Values(
        BorderCase{"OnePixel",
                   L"bordersize=\"1\"",
                   {{20, 10}, {79, 10}, {20, 49}, {79, 49}, {50, 10}, {50, 49}},
                   {{21, 11}, {50, 30}, {80, 30}, {50, 50}}},
        BorderCase{"ThreePixels",
                   L"bordersize=\"3\"",
                   {{20, 30}, {22, 30}, {77, 30}, {79, 30}, {50, 10}, {50, 12}, {50, 47}, {50, 49}},
                   {{23, 30}, {76, 30}, {50, 13}, {50, 46}, {19, 30}, {80, 30}}},
        BorderCase{"ThreePixelsRound",
                   L"bordersize=\"3\" borderround=\"12,12\"",
                   {{20, 30}, {79, 30}, {50, 10}, {50, 49}},
                   {{20, 10}, {79, 10}, {20, 49}, {79, 49}, {50, 30}}},
        BorderCase{"OnePixelRound",
                   L"bordersize=\"1\" borderround=\"12,12\"",
                   {{20, 30}, {50, 10}},
                   {{20, 10}, {79, 49}, {50, 30}}},
        BorderCase{"LeftAndBottomSides",
                   L"leftbordersize=\"1\" bottombordersize=\"3\"",
                   {{20, 20}, {50, 47}, {50, 49}},
                   {{79, 30}, {50, 10}, {21, 20}, {50, 45}}}),
    [](const ::testing::TestParamInfo<BorderCase>& info) { return info.param.name; });

TEST_F(ControlPaintTest, UndefinedColoursPaintNothing) {
  Control control;
  control.ApplyAttributeList(L"bkcolor=\"nosuchcolour\" bordercolor=\"alsonone\" bordersize=\"2\"");
  control.SetPosition(UiRect{0, 0, 100, 60});
  PaintAll(control);
  EXPECT_EQ(render_test::CountWhere(*context_, UiRect{0, 0, 100, 60},
                                    [](Pixel p) { return p != kBlack; }),
            0);
}

TEST_F(ControlPaintTest, TranslucentControlBlendsItsLayersOverItsChildren) {
  Box box;
  box.ApplyAttributeList(L"bkcolor=\"red\" alpha=\"128\"");
  auto* child = new Control();
  child->SetAttribute(L"bkcolor", L"green");
  child->SetFixedWidth(20);
  box.Add(child);
  box.SetPosition(UiRect{10, 10, 60, 40});
  PaintAll(box);
  // Red at half strength over black, and over the child's green.
  EXPECT_TRUE(Near(At(40, 20), Pixel{0, 0, 128, 255})) << At(40, 20);
  EXPECT_TRUE(Near(At(15, 20), Pixel{0, 127, 128, 255})) << At(15, 20);
  EXPECT_EQ(At(5, 5), kBlack);
}

TEST_F(ControlPaintTest, AlphaZeroPaintsNothingChildrenIncluded) {
  Box box;
  box.ApplyAttributeList(L"bkcolor=\"red\" alpha=\"0\"");
  auto* child = new Control();
  child->SetAttribute(L"bkcolor", L"green");
  box.Add(child);
  box.SetPosition(UiRect{0, 0, 100, 60});
  PaintAll(box);
  EXPECT_EQ(render_test::CountWhere(*context_, UiRect{0, 0, 100, 60},
                                    [](Pixel p) { return p != kBlack; }),
            0);
}

TEST_F(ControlPaintTest, CachedLayersStayUntilInvalidated) {
  Control control;
  control.ApplyAttributeList(L"bkcolor=\"red\" cache=\"true\"");
  control.SetPosition(UiRect{0, 0, 50, 30});
  PaintAll(control);
  EXPECT_EQ(At(10, 10), kRed);
  // Changed behind the cache's back: the kept copy is still what is drawn.
  control.SetBkColor(L"green");
  control.SetCacheDirty(false);
  render_test::FillSurface(*context_, kBlack);
  PaintAll(control);
  EXPECT_EQ(At(10, 10), kRed);
  control.Invalidate();
  PaintAll(control);
  EXPECT_EQ(At(10, 10), kGreen);
}

TEST_F(ControlPaintTest, APaintRectangleDrawsOnlyTheControlsItTouches) {
  HBox row;
  TextControl* cells[3];
  for (TextControl*& cell : cells) {
    cell = new TextControl(L"x");
    cell->SetAttribute(L"bkcolor", L"green");
    row.Add(cell);
  }
  row.SetPosition(UiRect{0, 0, 90, 60});
  TextControl::paints = 0;
  row.Paint(*context_, UiRect{35, 5, 45, 15});
  EXPECT_EQ(TextControl::paints, 1);
  EXPECT_EQ(At(40, 10), kGreen);
  EXPECT_EQ(At(34, 10), kBlack);
  EXPECT_EQ(At(45, 10), kBlack);
  EXPECT_EQ(At(10, 10), kBlack);
  EXPECT_EQ(At(70, 10), kBlack);
}

TEST_F(ControlPaintTest, StateColourFallsBackAndHotFadeBlends) {
  Control control;
  control.ApplyAttributeList(L"normalcolor=\"red\" pushedcolor=\"green\"");
  control.SetPosition(UiRect{0, 0, 50, 30});
  control.SetState(ControlState::kHot);  // no hot colour: normal
  PaintAll(control);
  EXPECT_EQ(At(10, 10), kRed);
  control.SetState(ControlState::kPushed);
  PaintAll(control);
  EXPECT_EQ(At(10, 10), kGreen);
  control.SetAttribute(L"hotcolor", L"green");
  control.SetState(ControlState::kNormal);
  control.SetHotAlpha(128);
  render_test::FillSurface(*context_, kBlack);
  PaintAll(control);
  EXPECT_TRUE(Near(At(10, 10), Pixel{0, 128, 127, 255})) << At(10, 10);
}

}  // namespace
}  // namespace ui
