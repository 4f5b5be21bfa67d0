#include "ui/controls/control_classes.h"

#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/combo.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/slider.h"
#include "ui/controls/tree_node.h"
#include "ui/controls/tree_view.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/tree/h_layout.h"
#include "ui/core/tree/tile_layout.h"
#include "ui/core/tree/v_layout.h"

namespace ui {

namespace {

template <typename T>
Control* Make() {
  return new T();
}

// A list box with the layout of its kind.
template <typename L>
Control* MakeListBox() {
  return new ListBox(new L());
}

}  // namespace

void AddControlClasses() {
  const struct {
    const wchar_t* name;
    Control* (*make)();
  } classes[] = {
      {L"Label", &Make<Label>},
      {L"Button", &Make<Button>},
      {L"Option", &Make<Option>},
      {L"CheckBox", &Make<CheckBox>},
      {L"LabelBox", &Make<LabelBox>},
      {L"ButtonBox", &Make<ButtonBox>},
      {L"OptionBox", &Make<OptionBox>},
      {L"CheckBoxBox", &Make<CheckBoxBox>},
      {L"ScrollBar", &Make<ScrollBar>},
      {L"Progress", &Make<Progress>},
      {L"Slider", &Make<Slider>},
      {L"CircleProgress", &Make<CircleProgress>},
      {L"RichEdit", &Make<RichEdit>},
      {L"ListBox", &MakeListBox<Layout>},
      {L"HListBox", &MakeListBox<HLayout>},
      {L"VListBox", &MakeListBox<VLayout>},
      {L"TileListBox", &MakeListBox<TileLayout>},
      {L"VirtualListBox", &Make<VirtualListBox>},
      {L"ListContainerElement", &Make<ListContainerElement>},
      {L"TreeView", &Make<TreeView>},
      {L"TreeNode", &Make<TreeNode>},
      {L"Combo", &Make<Combo>},
  };
  for (const auto& c : classes) WindowBuilder::AddControlClass(c.name, c.make);
}

}  // namespace ui
