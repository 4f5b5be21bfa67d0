#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message_pump.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using control_test::TestWindow;

using Log = std::vector<std::string>;

EventHandler Record(Log* log, const std::string& entry, bool result = true) {
  return [log, entry, result](EventArgs*) {
    log->push_back(entry);
    return result;
  };
}

// Writes down when the event reaches the control's own handling.
class LoggingControl : public Control {
 public:
  explicit LoggingControl(Log* log) : log_(log) {}
  void HandleEvent(EventArgs* args) override {
    log_->push_back("handle");
    Control::HandleEvent(args);
  }
  void Activate() override { ++activations; }
  int activations = 0;

 private:
  Log* log_;
};

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() {
    outer_ = new Box();
    inner_ = new Box();
    control_ = new LoggingControl(&log_);
    inner_->Add(control_);
    outer_->Add(inner_);
    window_.AttachRoot(outer_);
  }

  Log log_;
  TestWindow window_;
  Box* outer_;
  Box* inner_;
  LoggingControl* control_;
};

TEST_F(DispatchTest, OwnListsThenHandlingThenBubbledListsUpTheTree) {
  control_->AttachLayoutEvent(kEventValueChange, Record(&log_, "layout type"));
  control_->AttachEvent(kEventAll, Record(&log_, "code all"));
  control_->AttachEvent(kEventValueChange, Record(&log_, "code type"));
  control_->AttachLayoutEvent(kEventAll, Record(&log_, "layout all"));
  control_->AttachEvent(kEventSelect, Record(&log_, "other type"));
  inner_->AttachLayoutBubbledEvent(kEventValueChange, Record(&log_, "inner layout bubbled"));
  inner_->AttachBubbledEvent(kEventAll, Record(&log_, "inner code bubbled all"));
  inner_->AttachBubbledEvent(kEventValueChange, Record(&log_, "inner code bubbled"));
  inner_->AttachEvent(kEventValueChange, Record(&log_, "inner own, not the sender"));
  outer_->AttachBubbledEvent(kEventValueChange, Record(&log_, "outer code bubbled"));

  control_->SendEvent(kEventValueChange);

  EXPECT_EQ(log_, (Log{"code type", "code all", "layout type", "layout all", "handle",
                       "inner code bubbled", "inner code bubbled all", "inner layout bubbled",
                       "outer code bubbled"}));
}

TEST_F(DispatchTest, AFalseHandlerStopsItsListButTheAllListStillRuns) {
  control_->AttachEvent(kEventValueChange, Record(&log_, "first", false));
  control_->AttachEvent(kEventValueChange, Record(&log_, "second"));
  control_->AttachEvent(kEventAll, Record(&log_, "all", false));
  control_->AttachLayoutEvent(kEventValueChange, Record(&log_, "layout"));
  inner_->AttachBubbledEvent(kEventValueChange, Record(&log_, "bubbled"));

  control_->SendEvent(kEventValueChange);
  // The "all" list said stop too: no layout handlers, no handling, no bubbling.
  EXPECT_EQ(log_, (Log{"first", "all"}));
}

TEST_F(DispatchTest, AnAllListThatGoesOnOverridesAStoppedTypeList) {
  control_->AttachEvent(kEventValueChange, Record(&log_, "first", false));
  control_->AttachEvent(kEventAll, Record(&log_, "all"));
  control_->SendEvent(kEventValueChange);
  EXPECT_EQ(log_, (Log{"first", "all", "handle"}));
}

TEST_F(DispatchTest, ABubbledHandlerSayingStopEndsBubbling) {
  inner_->AttachBubbledEvent(kEventValueChange, Record(&log_, "inner", false));
  inner_->AttachLayoutBubbledEvent(kEventValueChange, Record(&log_, "inner layout"));
  outer_->AttachBubbledEvent(kEventValueChange, Record(&log_, "outer"));
  control_->SendEvent(kEventValueChange);
  EXPECT_EQ(log_, (Log{"handle", "inner"}));
}

TEST_F(DispatchTest, InternalEventsGoStraightToHandling) {
  control_->AttachEvent(kEventAll, Record(&log_, "all"));
  control_->SendEvent(kEventInternalSetFocus);
  EXPECT_EQ(log_, (Log{"handle"}));
  EXPECT_TRUE(control_->IsFocused());
  EXPECT_EQ(control_->GetState(), ControlState::kHot);
  EXPECT_EQ(control_->GetHotAlpha(), 255);
  control_->SendEvent(kEventInternalKillFocus);
  EXPECT_FALSE(control_->IsFocused());
  EXPECT_EQ(control_->GetState(), ControlState::kNormal);
}

TEST_F(DispatchTest, HandlersAddedOrRemovedDuringDispatchTakeEffectNextTime) {
  int added = 0;
  control_->AttachEvent(kEventValueChange, [this, &added](EventArgs*) {
    log_.push_back("first");
    control_->AttachEvent(kEventValueChange, [&added](EventArgs*) {
      ++added;
      return true;
    });
    control_->DetachEvent(kEventAll);
    return true;
  });
  control_->AttachEvent(kEventValueChange, Record(&log_, "second"));
  control_->AttachEvent(kEventAll, Record(&log_, "all"));

  control_->SendEvent(kEventValueChange);
  EXPECT_EQ(log_, (Log{"first", "second", "handle"}));
  EXPECT_EQ(added, 0);

  log_.clear();
  control_->SendEvent(kEventValueChange);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(log_, (Log{"first", "second", "handle"}));
}

TEST_F(DispatchTest, AHandlerDestroyingItsControlStopsEverythingAfterIt) {
  inner_->SetDelayDestroy(false);
  control_->AttachEvent(kEventValueChange, [this](EventArgs*) {
    log_.push_back("destroying");
    inner_->Remove(control_);
    return true;
  });
  control_->AttachEvent(kEventValueChange, Record(&log_, "after, same list"));
  control_->AttachEvent(kEventAll, Record(&log_, "after, all list"));
  inner_->AttachBubbledEvent(kEventAll, Record(&log_, "bubbled"));

  control_->SendEvent(kEventValueChange);
  EXPECT_EQ(log_, (Log{"destroying"}));
  EXPECT_EQ(inner_->GetCount(), 0);
}

TEST_F(DispatchTest, AHandlerDestroyingTheBoxHoldingItStopsBubbling) {
  outer_->SetDelayDestroy(false);
  inner_->AttachBubbledEvent(kEventValueChange, [this](EventArgs*) {
    log_.push_back("destroying inner");
    outer_->Remove(inner_);
    return true;
  });
  inner_->AttachBubbledEvent(kEventAll, Record(&log_, "inner all"));
  outer_->AttachBubbledEvent(kEventAll, Record(&log_, "outer"));
  control_->SendEvent(kEventValueChange);
  EXPECT_EQ(log_, (Log{"handle", "destroying inner"}));
  EXPECT_EQ(outer_->GetCount(), 0);
}

TEST_F(DispatchTest, RemovingItselfWithDeferredDestroyKeepsItAliveUntilTheWindowRuns) {
  control_->SetName(L"me");
  window_.AddNamedControl(control_);
  auto alive = control_->WeakFlagOf();
  control_->AttachEvent(kEventClick, [this](EventArgs*) {
    inner_->Remove(control_);
    return true;
  });
  control_->SendEvent(kEventClick);
  EXPECT_FALSE(alive.expired());
  ASSERT_EQ(window_.deferred.size(), 1u);
  window_.RunDeferredDestroy();
  EXPECT_TRUE(alive.expired());
  EXPECT_EQ(window_.FindControlByName(L"me"), nullptr);
}

TEST(ControlStates, PressMoveOffReleaseEndsNormalWithoutActivation) {
  Log log;
  LoggingControl control(&log);
  control.SetPosition(UiRect{0, 0, 50, 20});
  control.SendEvent(kEventButtonDown, 0, 0, 0, 0.0f, UiPoint{5, 5});
  EXPECT_EQ(control.GetState(), ControlState::kPushed);
  EXPECT_TRUE(control.IsPressed());
  control.SendEvent(kEventButtonUp, 0, 0, 0, 0.0f, UiPoint{60, 5});
  EXPECT_EQ(control.GetState(), ControlState::kNormal);
  EXPECT_EQ(control.GetHotAlpha(), 0);
  EXPECT_FALSE(control.IsPressed());
  EXPECT_EQ(control.activations, 0);
}

struct ReleaseCase {
  const char* name;
  EventType down;
  EventType up;
  UiPoint upPoint;
  ControlState state;
  int hotAlpha;
  int activations;
};

class ReleaseTest : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(ReleaseTest, StateAndActivationAfterRelease) {
  const ReleaseCase& c = GetParam();
  Log log;
  LoggingControl control(&log);
  Log seen;
  control.AttachEvent(kEventAll, [&seen](EventArgs* args) {
    seen.push_back(std::to_string(args->type));
    return true;
  });
  control.SetPosition(UiRect{0, 0, 50, 20});
  control.SendEvent(c.down, 0, 0, 0, 0.0f, UiPoint{5, 5});
  control.SendEvent(c.up, 0, 0, 0, 0.0f, c.upPoint);
  EXPECT_EQ(control.GetState(), c.state);
  EXPECT_EQ(control.GetHotAlpha(), c.hotAlpha);
  EXPECT_EQ(control.activations, c.activations);
  // The state machine sends nothing of its own.
  EXPECT_EQ(seen, (Log{std::to_string(c.down), std::to_string(c.up)}));
}

INSTANTIATE_TEST_SUITE_P(
    Releases, ReleaseTest,
    ::testing::Values(
        ReleaseCase{
            "ClickInside", kEventButtonDown, kEventButtonUp, {10, 10}, ControlState::kHot, 255, 1},
        ReleaseCase{"ReleaseOutside",
                    kEventButtonDown,
                    kEventButtonUp,
                    {50, 10},
                    ControlState::kNormal,
                    0,
                    0},
        ReleaseCase{"PointerInside",
                    kEventPointerDown,
                    kEventPointerUp,
                    {10, 10},
                    ControlState::kNormal,
                    0,
                    1},
        ReleaseCase{"PointerOutside",
                    kEventPointerDown,
                    kEventPointerUp,
                    {-1, 10},
                    ControlState::kNormal,
                    0,
                    0}),
    [](const ::testing::TestParamInfo<ReleaseCase>& info) { return info.param.name; });

TEST(ControlStates, ReleaseWithoutPressDoesNothing) {
  Log log;
  LoggingControl control(&log);
  control.SetPosition(UiRect{0, 0, 50, 20});
  control.SendEvent(kEventButtonUp, 0, 0, 0, 0.0f, UiPoint{5, 5});
  EXPECT_EQ(control.GetState(), ControlState::kNormal);
  EXPECT_EQ(control.activations, 0);
}

TEST(ControlStates, DisabledControlIgnoresPressAndHover) {
  Log log;
  LoggingControl control(&log);
  control.SetPosition(UiRect{0, 0, 50, 20});
  control.SetEnabled(false);
  control.SendEvent(kEventMouseEnter);
  control.SendEvent(kEventButtonDown, 0, 0, 0, 0.0f, UiPoint{5, 5});
  control.SendEvent(kEventButtonUp, 0, 0, 0, 0.0f, UiPoint{5, 5});
  EXPECT_EQ(control.GetState(), ControlState::kDisabled);
  EXPECT_EQ(control.activations, 0);
}

TEST(ControlStates, HoverInvalidatesOnlyWithAHotLook) {
  TestWindow window;
  auto* root = new Box();
  auto* plain = new Control();
  auto* hot = new Control();
  hot->SetAttribute(L"hotcolor", L"anything");
  root->Add(plain);
  root->Add(hot);
  window.AttachRoot(root);
  window.Layout(UiRect{0, 0, 100, 100});

  window.invalidated.clear();
  window.hover = plain;
  plain->SendEvent(kEventMouseEnter);
  EXPECT_EQ(plain->GetState(), ControlState::kHot);
  EXPECT_TRUE(window.invalidated.empty());

  window.hover = hot;
  hot->SendEvent(kEventMouseEnter);
  EXPECT_EQ(hot->GetState(), ControlState::kHot);
  EXPECT_FALSE(window.invalidated.empty());
  // The hot look fades in and out over the timer queue's steps.
  EXPECT_TRUE(test_messages::PumpUntil([&] { return hot->GetHotAlpha() == 255; }, 10000));
  hot->SendEvent(kEventMouseLeave);
  EXPECT_EQ(hot->GetState(), ControlState::kNormal);
  EXPECT_TRUE(test_messages::PumpUntil([&] { return hot->GetHotAlpha() == 0; }, 10000));
}

TEST(ControlStates, ABoxIgnoresEnterFromAChildWhenTheMouseIsElsewhere) {
  TestWindow window;
  auto* root = new Box();
  auto* row = new Box();
  auto* child = new Control();
  auto* elsewhere = new Control();
  row->Add(child);
  root->Add(row);
  root->Add(elsewhere);
  window.AttachRoot(root);

  window.hover = elsewhere;
  child->SendEvent(kEventMouseEnter);
  EXPECT_EQ(child->GetState(), ControlState::kHot);
  EXPECT_EQ(row->GetState(), ControlState::kNormal);

  window.hover = child;
  child->SendEvent(kEventMouseLeave);
  child->SendEvent(kEventMouseEnter);
  EXPECT_EQ(row->GetState(), ControlState::kHot);
  // Leaving the child for the row itself does not make the row leave.
  child->SendEvent(kEventMouseLeave);
  EXPECT_EQ(row->GetState(), ControlState::kHot);
}

TEST(ControlStates, MouseDisabledControlPassesMouseEventsOn) {
  Log log;
  Box parent;
  auto* child = new LoggingControl(&log);
  parent.Add(child);
  child->SetMouseEnabled(false);
  parent.AttachBubbledEvent(kEventButtonDown, Record(&log, "parent saw it"));
  child->SendEvent(kEventButtonDown);
  EXPECT_EQ(child->GetState(), ControlState::kNormal);
  EXPECT_EQ(log, (Log{"handle", "parent saw it"}));
}

TEST(ControlWindow, ContextMenuRequestBecomesAMenuNotification) {
  TestWindow window;
  auto* root = new Box();
  auto* control = new Control();
  root->Add(control);
  window.AttachRoot(root);
  control->SendEvent(kEventInternalMenu);
  EXPECT_TRUE(window.notified.empty());
  control->SetAttribute(L"menu", L"true");
  int menus = 0;
  control->AttachEvent(kEventMenu, [&menus](EventArgs*) {
    ++menus;
    return true;
  });
  control->SendEvent(kEventInternalMenu);
  EXPECT_EQ(window.notified, (std::vector<EventType>{kEventMenu}));
  EXPECT_EQ(menus, 1);
}

TEST(ControlWindow, HidingTheFocusedControlClearsTheWindowFocus) {
  TestWindow window;
  auto* root = new Box();
  auto* control = new Control();
  root->Add(control);
  window.AttachRoot(root);
  control->SetFocus();
  ASSERT_EQ(window.focus, control);
  control->SetVisible(false);
  EXPECT_EQ(window.focus, nullptr);

  control->SetVisible(true);
  control->SetFocus();
  ASSERT_EQ(window.focus, control);
  root->SetVisible(false);  // hidden through its parent
  EXPECT_EQ(window.focus, nullptr);
}

TEST(ControlWindow, NoFocusRefusesFocusWhateverItsValue) {
  TestWindow window;
  auto* root = new Box();
  auto* control = new Control();
  root->Add(control);
  window.AttachRoot(root);
  control->SetAttribute(L"nofocus", L"false");
  control->SetFocus();
  EXPECT_EQ(window.focus, nullptr);
}

TEST(ControlWindow, InvalidationWithoutAWindowDoesNothing) {
  Control control;
  control.SetPosition(UiRect{0, 0, 10, 10});
  control.Invalidate();  // must not reach any native window
  control.RelayoutSelf();
  EXPECT_TRUE(control.IsArrangePending());
}

TEST(ControlWindow, InvalidationGoesThroughTheWindowWhileVisible) {
  TestWindow window;
  auto* root = new Box();
  auto* control = new Control();
  root->Add(control);
  window.AttachRoot(root);
  window.Layout(UiRect{0, 0, 40, 30});
  window.invalidated.clear();
  control->Invalidate();
  EXPECT_EQ(window.invalidated, (std::vector<UiRect>{{0, 0, 40, 30}}));
  control->SetVisible(false);
  window.invalidated.clear();
  control->Invalidate();
  EXPECT_TRUE(window.invalidated.empty());
}

TEST(ControlWindow, MovingAControlInvalidatesOldAndNewClippedByItsAncestors) {
  TestWindow window;
  auto* root = new Box();
  auto* control = new Control();
  control->SetFixedWidth(10);
  control->SetFixedHeight(10);
  root->Add(control);
  window.AttachRoot(root);
  window.Layout(UiRect{0, 0, 40, 30});
  int resizes = 0;
  control->AttachEvent(kEventResize, [&resizes](EventArgs*) {
    ++resizes;
    return true;
  });
  window.invalidated.clear();
  control->SetPosition(UiRect{35, 5, 45, 15});
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(window.invalidated, (std::vector<UiRect>{{0, 0, 40, 15}}));
}

TEST(ControlWindow, AResizeHandlerMayDestroyTheBoxBeingArranged) {
  TestWindow window;
  auto* root = new Box();
  root->SetDelayDestroy(false);
  auto* doomed = new Box();
  doomed->Add(new Control());
  root->Add(doomed);
  window.AttachRoot(root);
  doomed->AttachEvent(kEventResize, [root, doomed](EventArgs*) {
    root->Remove(doomed);
    return true;
  });
  window.Layout(UiRect{0, 0, 40, 30});
  EXPECT_EQ(root->GetCount(), 0);
}

class CountedData : public UserData {
 public:
  explicit CountedData(int* destroyed) : destroyed_(destroyed) {}
  ~CountedData() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(ControlData, UserDataReplacedIsDestroyedButTheSameObjectStays) {
  int destroyed = 0;
  {
    Control control;
    auto* first = new CountedData(&destroyed);
    control.SetUserData(first);
    control.SetUserData(first);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(control.GetUserData(), first);
    control.SetUserData(new CountedData(&destroyed));
    EXPECT_EQ(destroyed, 1);
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(ControlData, TooltipLineBreaksAndUtf8) {
  Control control;
  control.SetAttribute(L"tooltiptext", L"one<n>two<n>");
  EXPECT_EQ(control.GetToolTipText(), L"one\r\ntwo\r\n");
  control.SetUtf8ToolTipText("\xE6\x8F\x90\xE7\xA4\xBA");
  EXPECT_EQ(control.GetToolTipText(), L"\u63D0\u793A");
  EXPECT_EQ(control.GetUtf8ToolTipText(), "\xE6\x8F\x90\xE7\xA4\xBA");
  control.SetUtf8DataID("id-1");
  EXPECT_EQ(control.GetDataID(), L"id-1");
}

TEST(ControlFind, HitTestingSkipsMouseDisabledAndEntersOnlyBoxesHoldingThePoint) {
  Box root;
  root.SetPosition(UiRect{0, 0, 100, 100});
  auto* left = new Box();
  auto* right = new Box();
  auto* a = new Control();
  auto* b = new Control();
  left->Add(a);
  right->Add(b);
  root.Add(left);
  root.Add(right);
  left->SetPosition(UiRect{0, 0, 50, 100});
  right->SetPosition(UiRect{50, 0, 100, 100});
  a->SetPosition(UiRect{0, 0, 50, 50});
  b->SetPosition(UiRect{50, 0, 100, 50});
  static int visited;
  auto hit = [](Control* control, void*) -> Control* {
    ++visited;
    return control;
  };
  const unsigned flags = kFindVisible | kFindHitTest | kFindTopFirst;
  UiPoint point{60, 10};
  visited = 0;
  EXPECT_EQ(root.FindControl(hit, &point, flags), b);
  EXPECT_EQ(visited, 1);

  point = UiPoint{60, 70};  // in the right box, below its child
  EXPECT_EQ(root.FindControl(hit, &point, flags), right);

  right->SetMouseChildEnabled(false);
  point = UiPoint{60, 10};
  EXPECT_EQ(root.FindControl(hit, &point, flags), right);

  b->SetMouseEnabled(false);
  right->SetMouseChildEnabled(true);
  EXPECT_EQ(root.FindControl(hit, &point, flags), right);
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

TEST(ControlImages, FinishedBackgroundAnimationTellsTheImageHandlers) {
  Control control;
  std::vector<EventArgs> seen;
  control.AttachImageEvent(1, [&seen](EventArgs* args) {
    seen.push_back(*args);
    return true;
  });
  control.AttachImageEvent(2, [&seen](EventArgs* args) {
    seen.push_back(*args);
    return true;
  });
  control.OnBkImageAnimationFinished();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].type, kEventNone);
  EXPECT_EQ(seen[0].sender, &control);
}

TEST(ControlImages, APlayCountOfZeroForbidsTheBackgroundAnimation) {
  Control control;
  control.SetAttribute(L"bkimage", L"file='a.gif' playcount='0'");
  EXPECT_FALSE(control.IsBkImageAnimationAllowed());
  control.SetAttribute(L"bkimage", L"file='a.gif' playcount='2'");
  EXPECT_TRUE(control.IsBkImageAnimationAllowed());
}

}  // namespace
}  // namespace ui
