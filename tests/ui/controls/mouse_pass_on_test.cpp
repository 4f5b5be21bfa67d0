#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

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
#include "ui/controls/scrollable_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/tree_node.h"
#include "ui/controls/tree_view.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_layout.h"
#include "ui/core/window/window_test_util.h"

namespace ui {
namespace {

using window_test::At;
using window_test::CreateShown;

template <typename T>
Control* Make() {
  return new T();
}

struct KindCase {
  const char* name;
  Control* (*make)();
  // A list item lives in a list box; every other kind in a plain box.
  bool item;
};

struct Seen {
  int type;
  Control* sender;
  bool operator==(const Seen& other) const { return type == other.type && sender == other.sender; }
};

// A control of each kind, 100 x 40 at the top left of its parent in a real window, pressed
// with the mouse and then switched to take no mouse input: the move and the release that
// follow still reach it as the window's pushed control, and it hands them on to its parent's
// dispatch with itself as their sender, so the parent's bubbled handlers see them.
class MousePassOnTest : public ::testing::TestWithParam<KindCase> {
 protected:
  void SetUp() override {
    parent_ = GetParam().item ? new ListBox(new VLayout()) : new Box();
    target_ = GetParam().make();
    target_->SetFixedWidth(100);
    target_->SetFixedHeight(40);
    parent_->Add(target_);
    parent_->AttachBubbledEvent(kEventAll, [this](EventArgs* args) {
      bubbled_.push_back(Seen{args->type, args->sender});
      return true;
    });
    target_->AttachEvent(kEventButtonDown, [this](EventArgs*) {
      ++presses_;
      return true;
    });
    target_->AttachEvent(kEventClick, [this](EventArgs*) {
      ++clicks_;
      return true;
    });
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 300, 200}, parent_, false);
  }
  void TearDown() override {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }

  // The mouse events that reached the parent's bubbled handlers from the target (focus
  // changes and other events bubble from it as well).
  std::vector<Seen> MouseFromTarget() const {
    std::vector<Seen> seen;
    for (const Seen& s : bubbled_) {
      const bool mouse = s.type >= kEventMouseFirst && s.type <= kEventMouseLast;
      if (mouse && s.sender == target_) seen.push_back(s);
    }
    return seen;
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  Box* parent_ = nullptr;
  Control* target_ = nullptr;
  std::vector<Seen> bubbled_;
  int presses_ = 0;
  int clicks_ = 0;
};

TEST_P(MousePassOnTest, AControlWithoutMouseInputHandsMouseEventsToItsParent) {
  ASSERT_TRUE(hwnd_);
  ASSERT_TRUE(target_->GetPosition().Contains(UiPoint{50, 20}));
  ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(50, 20));
  ASSERT_EQ(presses_, 1);
  // A control that has its mouse input takes these events itself.
  EXPECT_TRUE(MouseFromTarget().empty());

  target_->SetMouseEnabled(false);
  bubbled_.clear();
  ::SendMessageW(hwnd_, WM_MOUSEMOVE, MK_LBUTTON, At(60, 20));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(60, 20));
  EXPECT_EQ(MouseFromTarget(),
            (std::vector<Seen>{{kEventMouseMove, target_}, {kEventButtonUp, target_}}));
  // The release was not the control's own, so nothing was activated.
  EXPECT_EQ(clicks_, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MousePassOnTest,
    ::testing::Values(
        KindCase{"Control", &Make<Control>, false}, KindCase{"Box", &Make<Box>, false},
        KindCase{"Label", &Make<Label>, false}, KindCase{"LabelBox", &Make<LabelBox>, false},
        KindCase{"Button", &Make<Button>, false}, KindCase{"ButtonBox", &Make<ButtonBox>, false},
        KindCase{"CheckBox", &Make<CheckBox>, false},
        KindCase{"CheckBoxBox", &Make<CheckBoxBox>, false},
        KindCase{"Option", &Make<Option>, false}, KindCase{"OptionBox", &Make<OptionBox>, false},
        KindCase{"Progress", &Make<Progress>, false}, KindCase{"Slider", &Make<Slider>, false},
        KindCase{"CircleProgress", &Make<CircleProgress>, false},
        KindCase{"ScrollBar", &Make<ScrollBar>, false},
        KindCase{"ScrollableBox", &Make<ScrollableBox>, false},
        KindCase{"ListBox", &Make<ListBox>, false},
        KindCase{"VirtualListBox", &Make<VirtualListBox>, false},
        KindCase{"TreeView", &Make<TreeView>, false}, KindCase{"RichEdit", &Make<RichEdit>, false},
        KindCase{"Combo", &Make<Combo>, false},
        KindCase{"ListItem", &Make<ListContainerElement>, true},
        KindCase{"TreeNode", &Make<TreeNode>, true}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return info.param.name; });

}  // namespace
}  // namespace ui
