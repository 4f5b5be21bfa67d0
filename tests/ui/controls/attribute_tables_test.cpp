#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/scrollable_box.h"
#include "ui/controls/slider.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/layout.h"

namespace ui {
namespace {

template <typename T>
Control* Make() {
  return new T();
}

template <typename T>
T& As(Control* control) {
  return *static_cast<T*>(control);
}

// One attribute given to a fresh control of a kind, and what it must have done: a class's
// own names are read by the class, every other name goes on to its base classes, names
// nobody knows change nothing, and a switch is on only for the exact text "true".
struct AttributeCase {
  const char* name;
  Control* (*make)();
  const wchar_t* attribute;
  const wchar_t* value;
  bool (*holds)(Control* control);
};

class AttributeTablesTest : public ::testing::TestWithParam<AttributeCase> {
 protected:
  control_test::UiScope ui_;
};

TEST_P(AttributeTablesTest, TheAttributeReachesTheClassThatReadsIt) {
  const AttributeCase& c = GetParam();
  std::unique_ptr<Control> control(c.make());
  control->SetAttribute(c.attribute, c.value);
  EXPECT_TRUE(c.holds(control.get()));
}

INSTANTIATE_TEST_SUITE_P(
    Control, AttributeTablesTest,
    ::testing::Values(
        AttributeCase{"Own", &Make<Control>, L"minheight", L"12",
                      [](Control* c) { return c->GetMinHeight() == 12; }},
        AttributeCase{"SideBorder", &Make<Control>, L"topbordersize", L"3",
                      [](Control* c) {
                        return c->GetBorderSides() == UiRect{0, 3, 0, 0};
                      }},
        AttributeCase{"StateName", &Make<Control>, L"pushedcolor", L"red",
                      [](Control* c) { return c->GetStateColor(ControlState::kPushed) == L"red"; }},
        AttributeCase{"SwitchOnlyForTrue", &Make<Control>, L"keyboard", L"True",
                      [](Control* c) { return !c->IsKeyboardEnabled(); }},
        AttributeCase{"SwitchOn", &Make<Control>, L"float", L"true",
                      [](Control* c) { return c->IsFloat(); }},
        AttributeCase{"Unknown", &Make<Control>, L"text", L"x",
                      [](Control* c) { return c->GetFixedWidth() == kLengthStretch; }}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Labels, AttributeTablesTest,
    ::testing::Values(AttributeCase{"Own", &Make<Label>, L"text", L"hello",
                                    [](Control* c) { return As<Label>(c).GetText() == L"hello"; }},
                      AttributeCase{"OwnInABox", &Make<LabelBox>, L"font", L"big",
                                    [](Control* c) { return As<LabelBox>(c).GetFont() == L"big"; }},
                      AttributeCase{"StateName", &Make<Label>, L"hottextcolor", L"blue",
                                    [](Control* c) {
                                      return As<Label>(c).GetStateTextColor(ControlState::kHot) ==
                                             L"blue";
                                    }},
                      AttributeCase{
                          "StateNameCaseMatters", &Make<Label>, L"Hottextcolor", L"blue",
                          [](Control* c) {
                            return As<Label>(c).GetStateTextColor(ControlState::kHot).empty();
                          }},
                      AttributeCase{"SwitchOnlyForTrue", &Make<Label>, L"linelimit", L"TRUE",
                                    [](Control* c) { return !As<Label>(c).IsLineLimit(); }},
                      AttributeCase{"SwitchOn", &Make<Label>, L"linelimit", L"true",
                                    [](Control* c) { return As<Label>(c).IsLineLimit(); }},
                      AttributeCase{"AnyOtherWordIsOff", &Make<Label>, L"singleline", L"yes",
                                    [](Control* c) { return !As<Label>(c).IsSingleLine(); }},
                      AttributeCase{"ToTheControl", &Make<Label>, L"width", L"33",
                                    [](Control* c) { return c->GetFixedWidth() == 33; }},
                      AttributeCase{"ButtonToTheLabel", &Make<Button>, L"textpadding", L"1,2,3,4",
                                    [](Control* c) {
                                      return As<Button>(c).GetTextPadding() == UiRect{1, 2, 3, 4};
                                    }}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    CheckBoxes, AttributeTablesTest,
    ::testing::Values(AttributeCase{"Own", &Make<CheckBox>, L"selected", L"true",
                                    [](Control* c) { return As<CheckBox>(c).IsSelected(); }},
                      AttributeCase{"SwitchOnlyForTrue", &Make<CheckBoxBox>, L"selected", L"1",
                                    [](Control* c) { return !As<CheckBoxBox>(c).IsSelected(); }},
                      AttributeCase{
                          "ToTheLabel", &Make<CheckBox>, L"text", L"tick",
                          [](Control* c) { return As<CheckBox>(c).GetText() == L"tick"; }},
                      AttributeCase{"OptionOwn", &Make<Option>, L"group", L"g",
                                    [](Control* c) { return As<Option>(c).GetGroup() == L"g"; }},
                      AttributeCase{"OptionToTheCheckBox", &Make<Option>, L"selected", L"true",
                                    [](Control* c) { return As<Option>(c).IsSelected(); }},
                      AttributeCase{"OptionToTheControl", &Make<OptionBox>, L"alpha", L"9",
                                    [](Control* c) { return c->GetAlpha() == 9; }}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    ProgressBars, AttributeTablesTest,
    ::testing::Values(
        AttributeCase{"Own", &Make<Progress>, L"max", L"7",
                      [](Control* c) { return As<Progress>(c).GetMaxValue() == 7; }},
        AttributeCase{"SwitchOnlyForTrue", &Make<Progress>, L"isstretchfore", L"yes",
                      [](Control* c) { return !As<Progress>(c).IsStretchForeImage(); }},
        AttributeCase{"ToTheLabel", &Make<Progress>, L"text", L"50%",
                      [](Control* c) { return As<Progress>(c).GetText() == L"50%"; }},
        AttributeCase{"SliderOwn", &Make<Slider>, L"thumbsize", L"4,6",
                      [](Control* c) {
                        return As<Slider>(c).GetThumbSize() == UiSize{4, 6};
                      }},
        AttributeCase{"SliderToTheProgressBar", &Make<Slider>, L"value", L"30",
                      [](Control* c) { return As<Slider>(c).GetValue() == 30; }},
        AttributeCase{"SliderToTheControl", &Make<Slider>, L"height", L"25",
                      [](Control* c) { return c->GetFixedHeight() == 25; }},
        AttributeCase{"CircleOwn", &Make<CircleProgress>, L"circlewidth", L"5",
                      [](Control* c) { return As<CircleProgress>(c).GetCircleWidth() == 5; }},
        AttributeCase{"CircleSwitchOnlyForTrue", &Make<CircleProgress>, L"circular", L"on",
                      [](Control* c) { return !As<CircleProgress>(c).IsCircular(); }},
        AttributeCase{"CircleToTheProgressBar", &Make<CircleProgress>, L"hor", L"false",
                      [](Control* c) { return !As<CircleProgress>(c).IsHorizontal(); }}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Scrolling, AttributeTablesTest,
    ::testing::Values(
        AttributeCase{"BarOwn", &Make<ScrollBar>, L"range", L"50",
                      [](Control* c) { return As<ScrollBar>(c).GetScrollRange() == 50; }},
        AttributeCase{"BarSwitchOnlyForTrue", &Make<ScrollBar>, L"autohidescroll", L"True",
                      [](Control* c) { return !As<ScrollBar>(c).IsAutoHide(); }},
        AttributeCase{"BarToTheControl", &Make<ScrollBar>, L"name", L"bar",
                      [](Control* c) { return c->GetName() == L"bar"; }},
        AttributeCase{
            "BoxOwn", &Make<ScrollableBox>, L"vscrollbar", L"true",
            [](Control* c) { return As<ScrollableBox>(c).GetVerticalScrollBar() != nullptr; }},
        AttributeCase{"BoxStylesItsBar", &Make<ScrollableBox>, L"hscrollbarstyle",
                      L"linesize=\"12\"",
                      [](Control* c) {
                        const ScrollBar* bar = As<ScrollableBox>(c).GetHorizontalScrollBar();
                        return bar && bar->GetLineSize() == 12 && bar->IsHorizontal();
                      }},
        AttributeCase{"BoxToTheLayout", &Make<ScrollableBox>, L"padding", L"1,2,3,4",
                      [](Control* c) {
                        return As<Box>(c).GetLayout()->GetPadding() == UiRect{1, 2, 3, 4};
                      }},
        AttributeCase{"ListOwn", &Make<ListBox>, L"scrollselect", L"true",
                      [](Control* c) { return As<ListBox>(c).IsScrollSelect(); }},
        AttributeCase{"ListToTheScrollableBox", &Make<ListBox>, L"holdend", L"true",
                      [](Control* c) { return As<ListBox>(c).IsHoldEnd(); }}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    RichEdits, AttributeTablesTest,
    ::testing::Values(
        AttributeCase{"Own", &Make<RichEdit>, L"readonly", L"true",
                      [](Control* c) { return As<RichEdit>(c).IsReadOnly(); }},
        AttributeCase{"OnlyTrueOrFalseSwitch", &Make<RichEdit>, L"multiline", L"no",
                      [](Control* c) {
                        return (As<RichEdit>(c).GetStyle() & RichEdit::kStyleMultiline) != 0;
                      }},
        AttributeCase{"FalseSwitchesOff", &Make<RichEdit>, L"multiline", L"false",
                      [](Control* c) {
                        return (As<RichEdit>(c).GetStyle() & RichEdit::kStyleMultiline) == 0;
                      }},
        AttributeCase{"OwnBars", &Make<RichEdit>, L"vscrollbar", L"true",
                      [](Control* c) {
                        return (As<RichEdit>(c).GetStyle() & RichEdit::kStyleVScroll) != 0 &&
                               As<RichEdit>(c).GetVerticalScrollBar() != nullptr;
                      }},
        AttributeCase{"ColourWithoutLeadingBlanks", &Make<RichEdit>, L"normaltextcolor", L"  red",
                      [](Control* c) {
                        return As<RichEdit>(c).GetNormalTextColor() == L"red" &&
                               As<RichEdit>(c).GetTextColor() == L"red";
                      }},
        AttributeCase{"DisabledColourWaitsForTheDisabledState", &Make<RichEdit>,
                      L"disabledtextcolor", L"grey",
                      [](Control* c) {
                        return As<RichEdit>(c).GetDisabledTextColor() == L"grey" &&
                               As<RichEdit>(c).GetTextColor() != L"grey";
                      }},
        // The edit scrolls its text itself: the scrollable box's own names are not read.
        AttributeCase{"SkipsTheScrollableBox", &Make<RichEdit>, L"holdend", L"true",
                      [](Control* c) { return !As<RichEdit>(c).IsHoldEnd(); }},
        AttributeCase{"ToTheBox", &Make<RichEdit>, L"padding", L"4,3,2,1",
                      [](Control* c) {
                        return As<Box>(c).GetLayout()->GetPadding() == UiRect{4, 3, 2, 1};
                      }}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace ui
