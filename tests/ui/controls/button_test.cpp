#include "ui/controls/button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls/check_box.h"
#include "ui/controls/option.h"
#include "ui/core/tree/control_test_util.h"

namespace ui {
namespace {

using control_test::TestWindow;
using control_test::UiScope;

using Log = std::vector<std::string>;

EventHandler Record(Log* log, const std::string& entry) {
  return [log, entry](EventArgs*) {
    log->push_back(entry);
    return true;
  };
}

struct KeyCase {
  const char* name;
  wchar_t key;
  bool enabled;
  bool visible;
  bool keyboard;
  int clicks;
};

class ButtonKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ButtonKeyTest, SpaceAndReturnActivateOnce) {
  const KeyCase& c = GetParam();
  TestWindow window;
  auto* root = new Box();
  auto* button = new Button();
  root->Add(button);
  window.AttachRoot(root);
  int clicks = 0;
  button->AttachEvent(kEventClick, [&clicks](EventArgs*) {
    ++clicks;
    return true;
  });
  button->SetEnabled(c.enabled);
  button->SetVisible(c.visible);
  button->SetKeyboardEnabled(c.keyboard);
  button->SendEvent(kEventKeyDown, c.key, 0, c.key);
  EXPECT_EQ(clicks, c.clicks);
  EXPECT_EQ(button->CanTakeTabFocus(), c.enabled && c.keyboard);
}

INSTANTIATE_TEST_SUITE_P(Keys, ButtonKeyTest,
                         ::testing::Values(KeyCase{"Space", 32, true, true, true, 1},
                                           KeyCase{"Return", 13, true, true, true, 1},
                                           KeyCase{"OtherKey", 'A', true, true, true, 0},
                                           KeyCase{"Disabled", 32, false, true, true, 0},
                                           KeyCase{"Hidden", 13, true, false, true, 0},
                                           KeyCase{"KeyboardDisabled", 32, true, true, false, 0}),
                         [](const ::testing::TestParamInfo<KeyCase>& info) {
                           return info.param.name;
                         });

TEST(ButtonBoxes, ABoxButtonIsNoTabStopAndStretches) {
  ButtonBox box;
  EXPECT_FALSE(box.CanTakeTabFocus());
  EXPECT_EQ(box.GetFixedWidth(), kLengthStretch);
  Button leaf;
  EXPECT_EQ(leaf.GetFixedWidth(), kLengthAuto);
  EXPECT_EQ(leaf.GetTextStyle(), 0x8125u);
}

TEST(ButtonMouse, AMouseDisabledButtonPassesMouseEventsToItsParent) {
  TestWindow window;
  auto* root = new Box();
  auto* button = new Button();
  root->Add(button);
  window.AttachRoot(root);
  window.Layout(UiRect{0, 0, 50, 20});
  button->SetMouseEnabled(false);
  button->SendEvent(kEventButtonDown, 0, 0, 0, 0.0f, UiPoint{5, 5});
  EXPECT_FALSE(button->IsPressed());
  EXPECT_TRUE(root->IsPressed());
}

class CheckBoxTest : public ::testing::Test {
 protected:
  CheckBoxTest() {
    auto* root = new Box();
    box_ = new CheckBox();
    root->Add(box_);
    window_.AttachRoot(root);
    box_->AttachEvent(kEventSelect, Record(&log_, "select"));
    box_->AttachEvent(kEventUnselect, Record(&log_, "unselect"));
    box_->AttachEvent(kEventClick, Record(&log_, "click"));
  }
  Log log_;
  TestWindow window_;
  CheckBox* box_;
};

TEST_F(CheckBoxTest, ActivationTogglesWithEventsAndNoClick) {
  box_->Activate();
  EXPECT_TRUE(box_->IsSelected());
  box_->Activate();
  EXPECT_FALSE(box_->IsSelected());
  EXPECT_EQ(log_, (Log{"select", "unselect"}));
}

TEST_F(CheckBoxTest, SilentWhenAskedAndNothingForNoChange) {
  box_->SetSelected(true, false);
  box_->SetSelected(true, true);
  EXPECT_TRUE(box_->IsSelected());
  EXPECT_TRUE(log_.empty());
  box_->SetAttribute(L"selected", L"false");
  EXPECT_EQ(log_, (Log{"unselect"}));
  box_->SetEnabled(false);
  box_->Activate();
  EXPECT_FALSE(box_->IsSelected());
}

// Three options of one group in a window, each writing down what it is told.
class OptionGroupTest : public ::testing::Test {
 protected:
  Option* AddOption(Box* root, const std::string& name) {
    auto* option = new Option();
    option->SetGroup(L"g");
    root->Add(option);
    option->AttachEvent(kEventSelect, Record(&log_, name + " select"));
    option->AttachEvent(kEventUnselect, Record(&log_, name + " unselect"));
    return option;
  }
  void Build(TestWindow* window, std::vector<Option*>* options, const std::string& prefix) {
    auto* root = new Box();
    window->AttachRoot(root);
    for (const char* n : {"a", "b", "c"}) options->push_back(AddOption(root, prefix + n));
  }

  Log log_;
};

TEST_F(OptionGroupTest, SelectingOneUnselectsTheSelectedOtherFirst) {
  TestWindow window;
  std::vector<Option*> o;
  Build(&window, &o, "");
  ASSERT_EQ(window.GetOptionGroup(L"g")->size(), 3u);
  o[0]->Activate();
  log_.clear();
  o[1]->Activate();
  EXPECT_EQ(log_, (Log{"a unselect", "b select"}));
  EXPECT_FALSE(o[0]->IsSelected());
  EXPECT_TRUE(o[1]->IsSelected());
  EXPECT_FALSE(o[2]->IsSelected());
  // Clicking the selected option keeps it selected.
  log_.clear();
  o[1]->Activate();
  EXPECT_TRUE(o[1]->IsSelected());
  EXPECT_EQ(log_, (Log{"b select"}));
}

TEST_F(OptionGroupTest, TheSameGroupNameInTwoWindowsStaysApart) {
  TestWindow first;
  TestWindow second;
  std::vector<Option*> o1;
  std::vector<Option*> o2;
  Build(&first, &o1, "1");
  Build(&second, &o2, "2");
  o1[0]->Activate();
  o2[0]->Activate();
  EXPECT_TRUE(o1[0]->IsSelected());
  EXPECT_TRUE(o2[0]->IsSelected());
  EXPECT_EQ(log_, (Log{"1a select", "2a select"}));
}

TEST_F(OptionGroupTest, LeavingTheGroupEndsTheExclusion) {
  TestWindow window;
  std::vector<Option*> o;
  Build(&window, &o, "");
  o[0]->Activate();
  o[0]->SetGroup(L"");
  o[1]->Activate();
  EXPECT_TRUE(o[0]->IsSelected());
  EXPECT_TRUE(o[1]->IsSelected());
  EXPECT_EQ(window.GetOptionGroup(L"g")->size(), 2u);
}

TEST_F(OptionGroupTest, AHandlerThatDestroysOrRegroupsMembersDoesNotBreakTheWalk) {
  TestWindow window;
  std::vector<Option*> o;
  Build(&window, &o, "");
  auto* root = static_cast<Box*>(window.GetRoot());
  root->SetDelayDestroy(false);
  o[0]->Activate();
  // Unselecting a destroys c and moves itself out of the group mid-walk.
  o[0]->AttachEvent(kEventUnselect, [&](EventArgs*) {
    root->Remove(o[2]);
    o[0]->SetGroup(L"elsewhere");
    return true;
  });
  log_.clear();
  o[1]->Activate();
  EXPECT_TRUE(o[1]->IsSelected());
  EXPECT_EQ(log_, (Log{"a unselect", "b select"}));
  EXPECT_EQ(window.GetOptionGroup(L"g")->size(), 1u);
}

TEST_F(OptionGroupTest, NeverSelectedMembersAndSilentSelectionsSendNoUnselect) {
  TestWindow window;
  std::vector<Option*> o;
  Build(&window, &o, "");
  o[1]->SetSelected(true, false);
  EXPECT_TRUE(log_.empty());
  o[2]->SetSelected(true, true);
  EXPECT_EQ(log_, (Log{"b unselect", "c select"}));
  EXPECT_FALSE(o[1]->IsSelected());
}

}  // namespace
}  // namespace ui
