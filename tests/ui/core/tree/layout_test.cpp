#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/skin/child_box.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/tab_box.h"
#include "ui/core/tree/tile_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::ChildRects;
using control_test::TestWindow;
using control_test::TextControl;

enum class Kind { kBase, kH, kV, kTile };

struct ChildShape {
  int width;
  int height;
  UiRect margin{};
  int minWidth = -1;
  int maxWidth = kNoMaxLength;
  int minHeight = -1;
  int maxHeight = kNoMaxLength;
  HorizontalAlignment halign = kHAlignLeft;
  VerticalAlignment valign = kVAlignTop;
  bool isFloat = false;
};

struct ArrangeCase {
  const char* name;
  Kind kind;
  UiRect box;
  UiRect padding;
  int childMargin;
  std::vector<ChildShape> children;
  std::vector<UiRect> expected;
  const wchar_t* layoutAttribute = nullptr;  // name=value for the layout, e.g. columns
  const wchar_t* layoutValue = nullptr;
};

Box* MakeBox(Kind kind) {
  switch (kind) {
    case Kind::kH:
      return new HBox();
    case Kind::kV:
      return new VBox();
    case Kind::kTile:
      return new TileBox();
    default:
      return new Box();
  }
}

Control* MakeChild(const ChildShape& shape) {
  Control* child = new Control();
  child->SetFixedWidth(shape.width);
  child->SetFixedHeight(shape.height);
  child->SetMargin(shape.margin);
  if (shape.minWidth >= 0) child->SetMinWidth(shape.minWidth);
  if (shape.maxWidth != kNoMaxLength) child->SetMaxWidth(shape.maxWidth);
  if (shape.minHeight >= 0) child->SetMinHeight(shape.minHeight);
  if (shape.maxHeight != kNoMaxLength) child->SetMaxHeight(shape.maxHeight);
  child->SetHorAlignType(shape.halign);
  child->SetVerAlignType(shape.valign);
  child->SetFloat(shape.isFloat);
  return child;
}

class ArrangeTest : public ::testing::TestWithParam<ArrangeCase> {};

TEST_P(ArrangeTest, PlacesChildren) {
  const ArrangeCase& c = GetParam();
  std::unique_ptr<Box> box(MakeBox(c.kind));
  box->GetLayout()->SetPadding(c.padding);
  box->GetLayout()->SetChildMargin(c.childMargin);
  if (c.layoutAttribute) box->SetAttribute(c.layoutAttribute, c.layoutValue);
  for (const ChildShape& shape : c.children) ASSERT_TRUE(box->Add(MakeChild(shape)));
  box->SetPosition(c.box);
  EXPECT_EQ(ChildRects(*box), c.expected);
}

const UiRect kBox{0, 0, 100, 50};
const UiRect kTall{0, 0, 50, 100};

INSTANTIATE_TEST_SUITE_P(
    Layouts, ArrangeTest,
    ::testing::Values(
        // Stretch shares: 100 / 3 is 33, the pixel left over goes to the first child.
        ArrangeCase{"ThreeStretchShareTheRemainder",
                    Kind::kH,
                    kBox,
                    {},
                    0,
                    {{-1, -1}, {-1, -1}, {-1, -1}},
                    {{0, 0, 34, 50}, {34, 0, 67, 50}, {67, 0, 100, 50}}},
        // The min width wins over the share, and the child runs past the box.
        ArrangeCase{"MinWidthBeatsShare",
                    Kind::kH,
                    kBox,
                    {},
                    0,
                    {{30, -1}, {-1, -1, {}, 200}},
                    {{0, 0, 30, 50}, {30, 0, 230, 50}}},
        ArrangeCase{"MarginsChildMarginAndRowAlignment",
                    Kind::kH,
                    kBox,
                    {},
                    4,
                    {{20, 10, {2, 3, 4, 5}},
                     {-1, 10, {}, -1, kNoMaxLength, -1, kNoMaxLength, kHAlignLeft, kVAlignCenter},
                     {10,
                      -1,
                      {1, 1, 1, 1},
                      -1,
                      kNoMaxLength,
                      -1,
                      kNoMaxLength,
                      kHAlignLeft,
                      kVAlignBottom}},
                    {{2, 3, 22, 13}, {30, 20, 84, 30}, {89, 1, 99, 49}}},
        ArrangeCase{"MaxWidthCapsTheShare",
                    Kind::kH,
                    kBox,
                    {},
                    0,
                    {{-1, -1, {}, -1, 20}, {-1, -1}},
                    {{0, 0, 20, 50}, {20, 0, 70, 50}}},
        // "stretch" as a maximum bounds nothing.
        ArrangeCase{"NegativeMaxIsUnbounded",
                    Kind::kH,
                    kBox,
                    {},
                    0,
                    {{10, -1, {}, -1, -1, -1, -1}},
                    {{0, 0, 10, 50}}},
        ArrangeCase{"NoStretchChild",
                    Kind::kH,
                    kBox,
                    {},
                    0,
                    {{10, -1}, {20, 5}},
                    {{0, 0, 10, 50}, {10, 0, 30, 5}}},
        ArrangeCase{"Padding", Kind::kH, kBox, {5, 6, 7, 8}, 0, {{-1, -1}}, {{5, 6, 93, 42}}},
        // A float child takes no room in the row and is placed over the whole content.
        ArrangeCase{"FloatChildIgnoresTheRow",
                    Kind::kH,
                    kBox,
                    {},
                    0,
                    {{20,
                      10,
                      {0, 0, 5, 5},
                      -1,
                      kNoMaxLength,
                      -1,
                      kNoMaxLength,
                      kHAlignRight,
                      kVAlignBottom,
                      true},
                     {30, -1}},
                    {{75, 35, 95, 45}, {0, 0, 30, 50}}},
        ArrangeCase{"ColumnOfThreeStretch",
                    Kind::kV,
                    kTall,
                    {},
                    0,
                    {{-1, -1}, {-1, -1}, {-1, -1}},
                    {{0, 0, 50, 34}, {0, 34, 50, 67}, {0, 67, 50, 100}}},
        ArrangeCase{"ColumnAlignmentAndStretchWidth",
                    Kind::kV,
                    kTall,
                    {},
                    2,
                    {{10, 10, {}, -1, kNoMaxLength, -1, kNoMaxLength, kHAlignCenter},
                     {10, 10, {}, -1, kNoMaxLength, -1, kNoMaxLength, kHAlignRight},
                     {-1, 10, {3, 0, 4, 0}}},
                    {{20, 0, 30, 10}, {40, 12, 50, 22}, {3, 24, 46, 34}}},
        ArrangeCase{"ColumnNegativeMaxHeightIsUnbounded",
                    Kind::kV,
                    kTall,
                    {},
                    0,
                    {{10, -1, {}, -1, kNoMaxLength, -1, -2}},
                    {{0, 0, 10, 100}}},
        ArrangeCase{"BaseLayoutAligns",
                    Kind::kBase,
                    kBox,
                    {},
                    0,
                    {{20, 10, {}, -1, kNoMaxLength, -1, kNoMaxLength, kHAlignCenter, kVAlignCenter},
                     {-1, -1, {10, 10, 0, 0}},
                     {20, 10, {}, -1, kNoMaxLength, -1, kNoMaxLength, kHAlignRight, kVAlignBottom}},
                    {{40, 20, 60, 30}, {10, 10, 100, 50}, {80, 40, 100, 50}}},
        // Three columns of 33 pixels, the first of each row one wider; items centred.
        ArrangeCase{"TileColumns",
                    Kind::kTile,
                    kBox,
                    {},
                    0,
                    {{20, 10}, {20, 10}, {20, 10}, {20, 10}},
                    {{7, 0, 27, 10}, {40, 0, 60, 10}, {73, 0, 93, 10}, {7, 10, 27, 20}},
                    L"columns",
                    L"3"},
        ArrangeCase{"TileItemWidthGivesColumns",
                    Kind::kTile,
                    kBox,
                    {},
                    0,
                    {{20, 10}, {20, 12}, {20, 10}},
                    {{15, 1, 35, 11}, {65, 0, 85, 12}, {15, 12, 35, 22}},
                    L"itemsize",
                    L"40,20"},
        // An item wider than the box still makes one column.
        ArrangeCase{"TileZeroColumnsBecomeOne",
                    Kind::kTile,
                    kBox,
                    {},
                    0,
                    {{20, 10}, {20, 10}},
                    {{40, 0, 60, 10}, {40, 10, 60, 20}},
                    L"itemsize",
                    L"200,20"}),
    [](const ::testing::TestParamInfo<ArrangeCase>& info) { return info.param.name; });

struct EstimateCase {
  const char* name;
  Kind kind;
  UiRect padding;
  int childMargin;
  std::vector<ChildShape> children;
  UiSize expected;
};

class BoxEstimateTest : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(BoxEstimateTest, AutoSizeFollowsChildren) {
  const EstimateCase& c = GetParam();
  std::unique_ptr<Box> box(MakeBox(c.kind));
  box->SetFixedWidth(kLengthAuto);
  box->SetFixedHeight(kLengthAuto);
  box->GetLayout()->SetPadding(c.padding);
  box->GetLayout()->SetChildMargin(c.childMargin);
  for (const ChildShape& shape : c.children) ASSERT_TRUE(box->Add(MakeChild(shape)));
  EXPECT_EQ(box->EstimateSize(UiSize{500, 500}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxEstimateTest,
    ::testing::Values(
        EstimateCase{"RowSumsWidths", Kind::kH, {}, 0, {{10, 5}, {20, 8}}, {30, 8}},
        EstimateCase{
            "ChildMarginBetweenThree", Kind::kH, {}, 5, {{10, 5}, {10, 5}, {10, 5}}, {40, 5}},
        EstimateCase{"ChildMarginNotForOne", Kind::kH, {}, 5, {{10, 5}}, {10, 5}},
        // A stretch child asks for no width of its own.
        EstimateCase{"StretchChildCountsZero", Kind::kH, {}, 0, {{-1, 5}, {10, 5}}, {10, 5}},
        EstimateCase{"MarginsAndBounds",
                     Kind::kH,
                     {},
                     0,
                     {{10, 5, {1, 2, 3, 4}}, {50, 50, {}, -1, 30, 60}},
                     {44, 60}},
        EstimateCase{"ColumnSumsHeights", Kind::kV, {}, 2, {{10, 5}, {20, 8}}, {20, 15}},
        EstimateCase{"PaddingAdded", Kind::kH, {1, 2, 3, 4}, 0, {{10, 5}}, {14, 11}},
        EstimateCase{"EmptyBaseBoxIsItsPadding", Kind::kBase, {1, 2, 3, 4}, 0, {}, {4, 6}},
        EstimateCase{"BaseBoxTakesTheLargest",
                     Kind::kBase,
                     {},
                     0,
                     {{10, 30}, {20, 8, {0, 0, 5, 0}}},
                     {25, 30}}),
    [](const ::testing::TestParamInfo<EstimateCase>& info) { return info.param.name; });

TEST(TileBoxEstimate, RowsOfItemHeight) {
  TileBox box;
  box.SetFixedWidth(100);
  box.SetFixedHeight(kLengthAuto);
  box.SetAttribute(L"itemsize", L"40,20");
  box.SetAttribute(L"childmargin", L"3");
  for (int i = 0; i < 5; ++i) box.Add(MakeChild({20, 10}));
  // Two columns, three rows of 20 and two child margins between them.
  EXPECT_EQ(box.EstimateSize(UiSize{500, 500}), (UiSize{100, 66}));
  box.RemoveAll();
  EXPECT_EQ(box.EstimateSize(UiSize{500, 500}), (UiSize{100, 0}));
}

TEST(TileBoxEstimate, StretchWidthTakesItsColumnsFromTheWidthGiven) {
  TileBox box;
  box.SetFixedHeight(kLengthAuto);
  box.SetAttribute(L"itemsize", L"60,20");
  box.SetAttribute(L"padding", L"10,0,10,0");
  for (int i = 0; i < 100; ++i) box.Add(MakeChild({20, 10}));
  // 500 less the padding holds 8 columns: 13 rows.
  EXPECT_EQ(box.EstimateSize(UiSize{500, 500}), (UiSize{kLengthStretch, 260}));
  box.SetFixedWidth(kLengthAuto);
  EXPECT_EQ(box.EstimateSize(UiSize{500, 500}), (UiSize{8 * 60 + 20, 260}));
}

TEST(TileBoxEstimate, AutoWidthWithoutItemWidthIsOneColumn) {
  TileBox box;
  box.SetFixedWidth(kLengthAuto);
  box.SetFixedHeight(kLengthAuto);
  for (int i = 0; i < 3; ++i) box.Add(MakeChild({20, 10}));
  EXPECT_EQ(box.EstimateSize(UiSize{500, 500}).cy, 30);
}

TEST(PlaceChild, AutoLabelWithStretchMaxWrapsToTheWidthThere) {
  Box row;
  auto* label = new TextControl(std::wstring(20, L'x'));  // 140 pixels on one line
  label->SetFixedWidth(kLengthAuto);
  label->SetFixedHeight(kLengthAuto);
  label->SetMaxWidth(kLengthStretch);
  row.Add(label);
  row.SetPosition(UiRect{0, 0, 70, 100});
  // Estimated again at 70 pixels: ten characters a line, two lines.
  EXPECT_EQ(label->GetPosition(), (UiRect{0, 0, 70, 32}));
  EXPECT_EQ(label->GetFixedWidth(), kLengthAuto);
}

TEST(BoxChildren, AddRefusesWhatWouldBreakTheTree) {
  Box outer;
  auto* inner = new Box();
  ASSERT_TRUE(outer.Add(inner));
  auto* leaf = new Control();
  ASSERT_TRUE(inner->Add(leaf));

  EXPECT_FALSE(outer.Add(nullptr));
  EXPECT_FALSE(outer.Add(leaf));     // already in inner
  EXPECT_FALSE(inner->Add(inner));   // itself
  EXPECT_FALSE(inner->Add(&outer));  // an ancestor
  EXPECT_EQ(outer.GetCount(), 1);
  EXPECT_EQ(inner->GetCount(), 1);
  EXPECT_EQ(leaf->GetParent(), inner);

  auto* spare = new Control();
  EXPECT_FALSE(outer.AddAt(spare, -1));
  EXPECT_FALSE(outer.AddAt(spare, 2));
  EXPECT_TRUE(outer.AddAt(spare, 0));
  EXPECT_EQ(outer.GetItemAt(0), spare);
}

TEST(BoxChildren, ItemIndexMovesAndRemoveWithoutOwnershipKeepsTheChild) {
  Box box;
  Control* a = new Control();
  Control* b = new Control();
  Control* c = new Control();
  box.Add(a);
  box.Add(b);
  box.Add(c);
  EXPECT_TRUE(box.SetItemIndex(c, 0));
  EXPECT_EQ(box.GetItemIndex(c), 0);
  EXPECT_EQ(box.GetItemIndex(a), 1);
  EXPECT_FALSE(box.SetItemIndex(c, 3));
  Control outside;
  EXPECT_FALSE(box.SetItemIndex(&outside, 0));

  box.SetAutoDestroy(false);
  EXPECT_TRUE(box.Remove(b));
  EXPECT_EQ(b->GetParent(), nullptr);
  Box other;
  EXPECT_TRUE(other.Add(b));  // free to go elsewhere
  EXPECT_FALSE(box.Remove(b));
  box.SetAutoDestroy(true);
}

struct TabStep {
  const char* action;  // "add", "addat0", "remove", "select"
  int index;
  int expectedSelected;
  std::vector<bool> expectedVisible;
};

TEST(TabBoxPages, SelectedIdShowsThatPage) {
  TabBox tabs;
  tabs.SetAttribute(L"selectedid", L"1");
  for (int i = 0; i < 3; ++i) tabs.Add(new Control());
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_FALSE(tabs.GetItemAt(0)->IsVisible());
  EXPECT_TRUE(tabs.GetItemAt(1)->IsVisible());
  EXPECT_FALSE(tabs.GetItemAt(2)->IsVisible());
  EXPECT_EQ(tabs.GetItemAt(0)->GetAlpha(), 0);
  EXPECT_FALSE(tabs.GetItemAt(0)->IsMouseEnabled());
}

TEST(TabBoxPages, AddRemoveAndSelect) {
  TabBox tabs;
  Control* hidden = new Control();
  hidden->SetVisible(false);
  tabs.Add(hidden);
  for (int i = 0; i < 3; ++i) tabs.Add(new Control());
  auto visible = [&tabs] {
    std::vector<bool> v;
    for (Control* page : tabs.GetItems()) v.push_back(page->IsVisible());
    return v;
  };
  // The first visible page added is the one shown.
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_EQ(visible(), (std::vector<bool>{false, true, false, false}));

  EXPECT_TRUE(tabs.SelectItem(3));
  EXPECT_EQ(tabs.GetCurSel(), 3);
  EXPECT_EQ(visible(), (std::vector<bool>{false, false, false, true}));
  EXPECT_FALSE(tabs.SelectItem(4));
  EXPECT_EQ(tabs.GetCurSel(), 3);

  // Removing a page before the shown one keeps it shown under its new index.
  tabs.RemoveAt(0);
  EXPECT_EQ(tabs.GetCurSel(), 2);
  EXPECT_EQ(visible(), (std::vector<bool>{false, false, true}));

  // Inserting before the shown page moves its index up.
  tabs.AddAt(new Control(), 0);
  EXPECT_EQ(tabs.GetCurSel(), 3);

  // Removing the shown page shows the first.
  tabs.RemoveAt(3);
  EXPECT_EQ(tabs.GetCurSel(), 0);
  EXPECT_TRUE(tabs.GetItemAt(0)->IsVisible());
  EXPECT_EQ(tabs.GetItemAt(0)->GetAlpha(), 255);
  EXPECT_TRUE(tabs.GetItemAt(0)->IsMouseEnabled());

  tabs.RemoveAll();
  EXPECT_EQ(tabs.GetCurSel(), -1);
  tabs.Add(new Control());
  EXPECT_EQ(tabs.GetCurSel(), 0);
}

TEST(BoxState, DisablingABoxDisablesEveryDescendant) {
  VBox root;
  auto* inner = new HBox();
  auto* leaf = new Control();
  inner->Add(leaf);
  root.Add(inner);
  root.SetEnabled(false);
  EXPECT_FALSE(inner->IsEnabled());
  EXPECT_FALSE(leaf->IsEnabled());
  EXPECT_EQ(leaf->GetState(), ControlState::kDisabled);
  root.SetEnabled(true);
  EXPECT_TRUE(leaf->IsEnabled());
  EXPECT_EQ(leaf->GetState(), ControlState::kNormal);
}

TEST(BoxState, HidingABoxHidesItsChildrenAndTheyTakeNoRoom) {
  HBox row;
  auto* inner = new HBox();
  inner->SetFixedWidth(30);
  auto* leaf = new Control();
  inner->Add(leaf);
  row.Add(inner);
  row.Add(MakeChild({-1, -1}));
  inner->SetVisible(false);
  EXPECT_FALSE(leaf->IsVisible());
  row.SetPosition(kBox);
  EXPECT_EQ(row.GetItemAt(1)->GetPosition(), (UiRect{0, 0, 100, 50}));
  inner->SetVisible(true);
  EXPECT_TRUE(leaf->IsVisible());
}

// Relayout requests climb to the first box whose size does not depend on its children;
// the window then arranges only that box's subtree again.
TEST(Relayout, ChangeInsideAFixedBoxArrangesOnlyThatBox) {
  TestWindow window;
  auto* root = new VBox();
  auto* fixedRow = new HBox();
  fixedRow->SetFixedHeight(40);
  auto* changing = new TextControl(L"abc");
  changing->SetFixedWidth(kLengthAuto);
  changing->SetFixedHeight(kLengthAuto);
  fixedRow->Add(changing);
  auto* otherRow = new HBox();
  auto* other = new TextControl(L"other");
  other->SetFixedWidth(kLengthAuto);
  other->SetFixedHeight(kLengthAuto);
  otherRow->Add(other);
  root->Add(fixedRow);
  root->Add(otherRow);
  window.AttachRoot(root);
  window.Layout(UiRect{0, 0, 200, 100});
  EXPECT_EQ(changing->GetPosition(), (UiRect{0, 0, 21, 16}));

  TextControl::measurements = 0;
  window.Layout(UiRect{0, 0, 200, 100});
  EXPECT_EQ(TextControl::measurements, 0) << "nothing changed, nothing measured";

  changing->SetText(L"abcdef");
  EXPECT_TRUE(window.needsLayout);
  EXPECT_TRUE(fixedRow->IsArrangePending());
  EXPECT_FALSE(root->IsArrangePending());
  window.Layout(UiRect{0, 0, 200, 100});
  EXPECT_EQ(TextControl::measurements, 1);
  EXPECT_EQ(changing->GetPosition(), (UiRect{0, 0, 42, 16}));
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

class ChildBoxTest : public ::testing::Test {
 protected:
  ~ChildBoxTest() override { ChildBox::SetLoader(nullptr); }
};

TEST_F(ChildBoxTest, FillsItselfFromItsFileWhenAttached) {
  std::vector<std::wstring> asked;
  ChildBox::SetLoader([&asked](const std::wstring& file) -> Control* {
    asked.push_back(file);
    auto* tree = new HBox();
    tree->SetName(L"inside");
    return tree;
  });
  TestWindow window;
  auto* root = new VBox();
  auto* child = new ChildBox();
  child->SetAttribute(L"xmlfile", L"panel.xml");
  root->Add(child);
  window.AttachRoot(root);
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"panel.xml"}));
  ASSERT_EQ(child->GetCount(), 1);
  EXPECT_EQ(child->GetItemAt(0)->GetName(), L"inside");
  EXPECT_EQ(window.FindControlByName(L"inside"), child->GetItemAt(0));
}

TEST_F(ChildBoxTest, AFileThatDoesNotBuildLeavesItEmpty) {
  ChildBox::SetLoader([](const std::wstring&) -> Control* { return nullptr; });
  TestWindow window;
  auto* root = new VBox();
  auto* child = new ChildBox();
  child->SetAttribute(L"xmlfile", L"broken.xml");
  child->Add(new Control());
  root->Add(child);
  window.AttachRoot(root);
  EXPECT_EQ(child->GetCount(), 0);
}

}  // namespace
}  // namespace ui
