#include "ui/controls/control_classes.h"

#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/slider.h"
#include "ui/core/window_builder.h"

namespace ui {

namespace {

template <typename T>
Control* Make() {
  return new T();
}

}  // namespace

void AddControlClasses() {
  const struct {
    const wchar_t* name;
    Control* (*make)();
  } classes[] = {
      {L"Label", &Make<Label>},         {L"Button", &Make<Button>},
      {L"Option", &Make<Option>},       {L"CheckBox", &Make<CheckBox>},
      {L"LabelBox", &Make<LabelBox>},   {L"ButtonBox", &Make<ButtonBox>},
      {L"OptionBox", &Make<OptionBox>}, {L"CheckBoxBox", &Make<CheckBoxBox>},
      {L"ScrollBar", &Make<ScrollBar>}, {L"Progress", &Make<Progress>},
      {L"Slider", &Make<Slider>},       {L"CircleProgress", &Make<CircleProgress>},
      {L"RichEdit", &Make<RichEdit>},
  };
  for (const auto& c : classes) WindowBuilder::AddControlClass(c.name, c.make);
}

}  // namespace ui
