#include "ui/controls/control_classes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/slider.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/tree/control_test_util.h"

namespace ui {
namespace {

using control_test::UiScope;

// Each class name of a layout gives a control of its own class with the element's attributes.
TEST(ControlClassesTest, LayoutsNameTheLibrarysControls) {
  UiScope ui;
  AddControlClasses();
  AddControlClasses();
  WindowBuilder builder;
  std::unique_ptr<Control> root(
      builder.Build(LR"(<Window><VBox><Label text="a"/><Button text="b"/><Option text="c"/>
          <CheckBox text="d"/><LabelBox text="e"><Control/></LabelBox><ButtonBox text="f"/>
          <OptionBox text="g"/><CheckBoxBox text="h"/><Progress text="i"/><Slider text="j"/>
          <CircleProgress text="k"/><label text="skipped"/></VBox></Window>)"));
  ASSERT_NE(root, nullptr);
  auto* box = static_cast<Box*>(root.get());
  const std::type_info* types[] = {&typeid(Label),     &typeid(Button),        &typeid(Option),
                                   &typeid(CheckBox),  &typeid(LabelBox),      &typeid(ButtonBox),
                                   &typeid(OptionBox), &typeid(CheckBoxBox),   &typeid(Progress),
                                   &typeid(Slider),    &typeid(CircleProgress)};
  ASSERT_EQ(box->GetCount(), 11);
  for (int i = 0; i < 11; ++i) {
    SCOPED_TRACE(i);
    Control* made = box->GetItemAt(i);
    EXPECT_EQ(typeid(*made), *types[i]);
    const auto* label = dynamic_cast<const Label*>(made);
    const auto* labelBox = dynamic_cast<const LabelBox*>(made);
    const std::wstring text = label ? label->GetText() : labelBox ? labelBox->GetText() : L"";
    EXPECT_EQ(text, std::wstring(1, static_cast<wchar_t>(L'a' + i)));
  }
  EXPECT_EQ(static_cast<Box*>(box->GetItemAt(4))->GetCount(), 1);
}

}  // namespace
}  // namespace ui
