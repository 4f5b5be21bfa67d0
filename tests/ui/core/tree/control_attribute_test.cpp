#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::TestWindow;
using control_test::UiScope;
using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

class RecordingControl : public Control {
 public:
  void SetAttribute(const std::wstring& name, const std::wstring& value) override {
    pairs.emplace_back(name, value);
    Control::SetAttribute(name, value);
  }
  Pairs pairs;
};

struct ListCase {
  const char* name;
  const wchar_t* list;
  Pairs expected;
};

class AttributeListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(AttributeListTest, AppliesPairsUntilTheFirstFault) {
  RecordingControl control;
  // Built from a buffer exactly as long as the text, so a read past its end would show.
  const std::wstring list(GetParam().list);
  control.ApplyAttributeList(list);
  EXPECT_EQ(control.pairs, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, AttributeListTest,
    ::testing::Values(ListCase{"TwoPairs", L"a=\"1\" b=\"2\"", {{L"a", L"1"}, {L"b", L"2"}}},
                      ListCase{
                          "ValueWithBlanks", L"a=\"x y\" b=\"2\"", {{L"a", L"x y"}, {L"b", L"2"}}},
                      ListCase{"EmptyValue", L"a=\"\" b=\"c\"", {{L"a", L""}, {L"b", L"c"}}},
                      ListCase{"TwoBlanksStopAfterTheFirst", L"a=\"1\"  b=\"2\"", {{L"a", L"1"}}},
                      ListCase{"NoBlankStops", L"a=\"1\"b=\"2\"", {{L"a", L"1"}}},
                      ListCase{"TrailingBlank", L"a=\"1\" ", {{L"a", L"1"}}},
                      ListCase{"UnterminatedValue", L"a=\"1\" b=\"2", {{L"a", L"1"}}},
                      ListCase{"NoQuote", L"a=1", {}}, ListCase{"EqualsAtTheEnd", L"a=", {}},
                      ListCase{"NameOnly", L"abc", {}}, ListCase{"Empty", L"", {}},
                      ListCase{"EmptyName", L"=\"x\"", {{L"", L"x"}}},
                      ListCase{"BlankBeforeEquals", L"a =\"1\"", {{L"a ", L"1"}}}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return info.param.name; });

TEST(AttributeValues, NumbersAreReadAsFarAsTheyGo) {
  EXPECT_EQ(ParseRectValue(L"1,2,3,4"), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(ParseRectValue(L"1;2 3x4"), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(ParseRectValue(L"1,2,3"), (UiRect{1, 2, 3, 0}));
  EXPECT_EQ(ParseRectValue(L"1,"), (UiRect{1, 0, 0, 0}));
  EXPECT_EQ(ParseRectValue(L"1,2,3,4,5"), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(ParseRectValue(L""), (UiRect{}));
  // A non-number is a 0 that takes its own separator along.
  EXPECT_EQ(ParseRectValue(L"-3,x,7"), (UiRect{-3, 0, 0, 7}));
  EXPECT_EQ(ParseSizeValue(L"4"), (UiSize{4, 0}));
  EXPECT_EQ(ParseLengthValue(L"stretch"), kLengthStretch);
  EXPECT_EQ(ParseLengthValue(L"auto"), kLengthAuto);
  EXPECT_EQ(ParseLengthValue(L"Auto"), 0);
  EXPECT_TRUE(ParseBoolValue(L"true"));
  EXPECT_FALSE(ParseBoolValue(L"True"));
  EXPECT_FALSE(ParseBoolValue(L"1"));
}

struct SizeCase {
  const wchar_t* name;
  const wchar_t* value;
  int expected;
};

class FixedWidthTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FixedWidthTest, WidthAttribute) {
  Control control;
  control.SetAttribute(GetParam().name, GetParam().value);
  EXPECT_EQ(control.GetFixedWidth(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, FixedWidthTest,
    ::testing::Values(SizeCase{L"width", L"-5", kLengthStretch}, SizeCase{L"width", L"0", 0},
                      SizeCase{L"width", L"120", 120}, SizeCase{L"width", L"auto", kLengthAuto},
                      SizeCase{L"width", L"stretch", kLengthStretch},
                      SizeCase{L"width", L"wide", 0}, SizeCase{L"minwidth", L"5", kLengthStretch}));

TEST(ControlAttributes, GeometryAlignmentAndFlags) {
  Control control;
  control.ApplyAttributeList(
      L"margin=\"1,2,3,4\" halign=\"right\" valign=\"middle\" minwidth=\"-3\" maxheight=\"40\" "
      L"float=\"true\" visible=\"false\" mouse=\"false\" cursortype=\"hand\" alpha=\"128\" "
      L"name=\"ok\" bordersize=\"1,2,3,4\"");
  EXPECT_EQ(control.GetMargin(), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(control.GetHorAlignType(), kHAlignRight);
  EXPECT_EQ(control.GetVerAlignType(), kVAlignTop);  // unknown value ignored
  EXPECT_EQ(control.GetMinWidth(), -1);              // negative minimum ignored
  EXPECT_EQ(control.GetMaxHeight(), 40);
  EXPECT_TRUE(control.IsFloat());
  EXPECT_FALSE(control.IsVisible());
  EXPECT_FALSE(control.IsMouseEnabled());
  EXPECT_EQ(control.GetCursorType(), kCursorHand);
  EXPECT_EQ(control.GetAlpha(), 128);
  EXPECT_EQ(control.GetName(), L"ok");
  EXPECT_EQ(control.GetBorderSides(), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(control.GetBorderSize(), 0);
}

TEST(ControlAttributes, StateSetsHotAlpha) {
  Control control;
  control.SetAttribute(L"state", L"hot");
  EXPECT_EQ(control.GetState(), ControlState::kHot);
  EXPECT_EQ(control.GetHotAlpha(), 255);
  control.SetAttribute(L"state", L"warm");
  EXPECT_EQ(control.GetState(), ControlState::kHot);
  control.SetAttribute(L"state", L"normal");
  EXPECT_EQ(control.GetHotAlpha(), 0);
}

TEST(ControlAttributes, GlobalClassBeforeWindowClassInOrder) {
  UiScope ui;
  UiRegistry::AddClass(L"shared", L"width=\"10\" height=\"20\"");
  TestWindow window;
  window.classes[L"shared"] = L"width=\"99\"";
  window.classes[L"local"] = L"height=\"30\" alpha=\"7\"";
  auto* root = new Box();
  auto* control = new Control();
  root->Add(control);
  window.AttachRoot(root);
  control->SetAttribute(L"class", L"shared  local missing");
  EXPECT_EQ(control->GetFixedWidth(), 10);  // the global class wins over the window's
  EXPECT_EQ(control->GetFixedHeight(), 30);
  EXPECT_EQ(control->GetAlpha(), 7);
}

class SizingImageTest : public ::testing::Test {
 protected:
  UiScope ui_;
};

TEST_F(SizingImageTest, AutoSizeWithSourceFixesTheSize) {
  Control control;
  control.SetFixedWidth(kLengthAuto);
  control.SetFixedHeight(kLengthAuto);
  control.SetAttribute(L"bkimage",
                       L"file='" + image_test::ImagePath(L"grid.png") + L"' source='0,0,16,8'");
  EXPECT_EQ(control.EstimateSize(UiSize{100, 100}), (UiSize{16, 8}));
  EXPECT_EQ(control.GetFixedWidth(), 16);
  EXPECT_EQ(control.GetFixedHeight(), 8);
}

TEST_F(SizingImageTest, SourceReplacesOnlyTheAutoDimension) {
  Control control;
  control.SetFixedWidth(50);
  control.SetFixedHeight(kLengthAuto);
  control.SetAttribute(L"normalimage",
                       L"file='" + image_test::ImagePath(L"grid.png") + L"' source='0,0,16,8'");
  EXPECT_EQ(control.EstimateSize(UiSize{100, 100}), (UiSize{50, 8}));
  EXPECT_EQ(control.GetFixedWidth(), 50);
}

TEST_F(SizingImageTest, AutoSizeWithoutSourceTakesTheImage) {
  Control control;
  control.SetFixedWidth(kLengthAuto);
  control.SetFixedHeight(kLengthAuto);
  control.SetAttribute(L"bkimage", image_test::ImagePath(L"grid.png"));
  EXPECT_EQ(control.EstimateSize(UiSize{100, 100}), (UiSize{30, 30}));
  EXPECT_EQ(control.GetFixedWidth(), kLengthAuto);
  control.SetAttribute(L"bkimage", image_test::ImagePath(L"no-such-file.png"));
  EXPECT_EQ(control.EstimateSize(UiSize{100, 100}), (UiSize{0, 0}));
}

}  // namespace
}  // namespace ui
