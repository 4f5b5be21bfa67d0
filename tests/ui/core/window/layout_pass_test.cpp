#include "ui/core/window/layout_pass.h"

#include <gtest/gtest.h>

#include <functional>

#include "ui/core/tree/box.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_box.h"

namespace ui {
namespace {

// Counts its arrangements and may do something of its own while being arranged.
class CountingBox : public VBox {
 public:
  void SetPosition(const UiRect& rect) override {
    ++arranged;
    VBox::SetPosition(rect);
    if (onArranged) onArranged();
  }
  int arranged = 0;
  std::function<void()> onArranged;
};

class ArrangementQueueTest : public ::testing::Test {
 protected:
  ArrangementQueueTest() {
    auto* root = new CountingBox();
    outer_ = new CountingBox();
    inner_ = new CountingBox();
    other_ = new CountingBox();
    outer_->SetFixedHeight(100);
    other_->SetFixedHeight(100);
    outer_->Add(inner_);
    root->Add(outer_);
    root->Add(other_);
    root_ = root;
    window_.AttachRoot(root);
    window_.Layout(kClient);
    Reset();
  }
  void Reset() {
    for (CountingBox* box : {root_, outer_, inner_, other_}) box->arranged = 0;
  }

  static constexpr UiRect kClient{0, 0, 400, 300};
  control_test::UiScope ui_;
  control_test::TestWindow window_;
  CountingBox* root_ = nullptr;
  CountingBox* outer_ = nullptr;
  CountingBox* inner_ = nullptr;
  CountingBox* other_ = nullptr;
};

TEST_F(ArrangementQueueTest, OnlyTheControlsThatAskedAreArrangedOutermostFirst) {
  inner_->RelayoutSelf();
  outer_->RelayoutSelf();
  inner_->RelayoutSelf();
  window_.Layout(kClient);
  EXPECT_EQ(root_->arranged, 0);
  EXPECT_EQ(other_->arranged, 0);
  EXPECT_EQ(outer_->arranged, 1);
  // Arranged once, by its box.
  EXPECT_EQ(inner_->arranged, 1);
  EXPECT_EQ(window_.arrangements.size(), 0u);
}

TEST_F(ArrangementQueueTest, ARootThatWaitsArrangesEverythingOnce) {
  inner_->RelayoutSelf();
  root_->RelayoutSelf();
  window_.Layout(kClient);
  EXPECT_EQ(root_->arranged, 1);
  EXPECT_EQ(inner_->arranged, 1);
  EXPECT_EQ(other_->arranged, 1);
}

TEST_F(ArrangementQueueTest, RequestsMadeDuringThePassAreServedInIt) {
  outer_->onArranged = [this] {
    outer_->onArranged = nullptr;
    other_->RelayoutSelf();
  };
  outer_->RelayoutSelf();
  window_.Layout(kClient);
  EXPECT_EQ(outer_->arranged, 1);
  EXPECT_EQ(other_->arranged, 1);
  EXPECT_FALSE(other_->IsArrangePending());
}

TEST_F(ArrangementQueueTest, GoneHiddenAndRemovedControlsAreSkipped) {
  inner_->RelayoutSelf();
  other_->RelayoutSelf();
  // Destroyed while it waits.
  outer_->Remove(inner_);
  inner_ = nullptr;
  window_.RunDeferredDestroy();
  // Hidden while it waits.
  other_->SetVisible(false);
  window_.Layout(kClient);
  EXPECT_EQ(other_->arranged, 0);
  EXPECT_EQ(window_.arrangements.size(), 0u);
  // Shown again, it is arranged with its box.
  other_->SetVisible(true);
  window_.Layout(kClient);
  EXPECT_EQ(other_->arranged, 1);
}

TEST_F(ArrangementQueueTest, AControlTakenOutOfTheTreeIsNotArranged) {
  auto* detached = new CountingBox();
  other_->Add(detached);
  window_.Layout(kClient);
  detached->arranged = 0;
  detached->RelayoutSelf();
  other_->SetAutoDestroy(false);
  other_->Remove(detached);
  window_.Layout(kClient);
  EXPECT_EQ(detached->arranged, 0);
  delete detached;
}

}  // namespace
}  // namespace ui
