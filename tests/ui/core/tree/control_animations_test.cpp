#include "ui/core/tree/control_animations.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "common/manual_clock.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/event_args.h"

namespace ui {
namespace {

using control_test::TestWindow;
using control_test::UiScope;
using test_clock::ManualClock;
using Kind = ControlAnimations::Kind;

// One control of 80 x 30 in a box, with its effects held still by the manual clock.
class ControlAnimationsTest : public ::testing::Test {
 protected:
  ControlAnimationsTest() {
    auto* root = new Box();
    control_ = new Control();
    control_->SetFixedWidth(80);
    control_->SetFixedHeight(30);
    root->Add(control_);
    window_.AttachRoot(root);
    window_.Layout(UiRect{0, 0, 200, 100});
  }

  ControlAnimations& Animations() { return control_->GetAnimations(); }
  AnimationPlayer& Player(Kind kind) {
    AnimationPlayer* player = Animations().GetPlayer(kind);
    EXPECT_NE(player, nullptr);
    ManualClock::Drive(*player);
    return *player;
  }
  void StepAfter(Kind kind, double milliseconds) {
    ManualClock::Advance(milliseconds);
    Animations().GetPlayer(kind)->Step();
  }

  UiScope ui_;
  TestWindow window_;
  Control* control_;
};

struct Effect {
  const char* name;
  std::function<void(ControlAnimations&)> turnOn;
  Kind kind;
  int start;
  int end;
  int totalMillis;  // -1: computed when it starts
};

void PrintTo(const Effect& effect, std::ostream* out) {
  *out << effect.name;
}

class EffectTest : public ControlAnimationsTest, public ::testing::WithParamInterface<Effect> {};

TEST_P(EffectTest, TurningOnMakesItsPlayer) {
  const Effect& effect = GetParam();
  effect.turnOn(Animations());
  AnimationPlayer* player = Animations().GetPlayer(effect.kind);
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->GetStartValue(), effect.start);
  EXPECT_EQ(player->GetEndValue(), effect.end);
  EXPECT_EQ(player->GetTotalMillis(), effect.totalMillis);
  EXPECT_FALSE(player->IsRunning());
  for (int kind = ControlAnimations::kFadeAlpha; kind <= ControlAnimations::kFadeInOutYFromBottom;
       ++kind) {
    if (kind == effect.kind) continue;
    EXPECT_FALSE(Animations().IsEnabled(Kind(kind))) << kind;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EffectTest,
    ::testing::Values(Effect{"Alpha", [](ControlAnimations& a) { a.SetFadeAlpha(true); },
                             ControlAnimations::kFadeAlpha, 0, 255, 250},
                      Effect{"Hot", [](ControlAnimations& a) { a.SetFadeHot(true); },
                             ControlAnimations::kFadeHot, 0, 255, 250},
                      Effect{"Width", [](ControlAnimations& a) { a.SetFadeWidth(true); },
                             ControlAnimations::kFadeWidth, 0, 80, -1},
                      Effect{"Height", [](ControlAnimations& a) { a.SetFadeHeight(true); },
                             ControlAnimations::kFadeHeight, 0, 30, -1},
                      Effect{"FromLeft", [](ControlAnimations& a) { a.SetFadeInOutX(true, false); },
                             ControlAnimations::kFadeInOutXFromLeft, 80, 0, -1},
                      Effect{"FromRight", [](ControlAnimations& a) { a.SetFadeInOutX(true, true); },
                             ControlAnimations::kFadeInOutXFromRight, -80, 0, -1},
                      Effect{"FromTop", [](ControlAnimations& a) { a.SetFadeInOutY(true, false); },
                             ControlAnimations::kFadeInOutYFromTop, 30, 0, -1},
                      Effect{"FromBottom",
                             [](ControlAnimations& a) { a.SetFadeInOutY(true, true); },
                             ControlAnimations::kFadeInOutYFromBottom, -30, 0, -1}),
    [](const ::testing::TestParamInfo<Effect>& info) { return std::string(info.param.name); });

TEST(ControlSlides, AControlWithoutASizeSlidesAHundredPixels) {
  UiScope ui;
  Control control;
  control.GetAnimations().SetFadeInOutX(true, true);
  control.GetAnimations().SetFadeInOutY(true, false);
  EXPECT_EQ(
      control.GetAnimations().GetPlayer(ControlAnimations::kFadeInOutXFromRight)->GetStartValue(),
      -100);
  EXPECT_EQ(
      control.GetAnimations().GetPlayer(ControlAnimations::kFadeInOutYFromTop)->GetStartValue(),
      100);
}

TEST_F(ControlAnimationsTest, TheAlphaFadeMakesTheControlTransparentAndOffOpaque) {
  Animations().SetFadeAlpha(true);
  EXPECT_EQ(control_->GetAlpha(), 0);
  Animations().SetFadeAlpha(false);
  EXPECT_EQ(control_->GetAlpha(), 255);
  EXPECT_FALSE(Animations().IsEnabled(ControlAnimations::kFadeAlpha));
}

TEST_F(ControlAnimationsTest, TurningAnEffectOnAgainStartsItAfresh) {
  Animations().SetFadeHot(true);
  Player(ControlAnimations::kFadeHot).Continue();
  StepAfter(ControlAnimations::kFadeHot, 100);
  Animations().SetFadeHot(true);
  const AnimationPlayer* fresh = Animations().GetPlayer(ControlAnimations::kFadeHot);
  EXPECT_FALSE(fresh->IsRunning());
  EXPECT_DOUBLE_EQ(fresh->GetElapsedMillis(), 0);
}

TEST_F(ControlAnimationsTest, OffForOneDirectionLeavesTheOther) {
  Animations().SetFadeInOutX(true, false);
  Animations().SetFadeInOutX(true, true);
  Animations().SetFadeInOutX(false, true);
  EXPECT_TRUE(Animations().IsEnabled(ControlAnimations::kFadeInOutXFromLeft));
  EXPECT_FALSE(Animations().IsEnabled(ControlAnimations::kFadeInOutXFromRight));
}

TEST_F(ControlAnimationsTest, DisappearWithoutEffectsHidesAtOnce) {
  Animations().SetFadeHot(true);  // not a show effect
  control_->SetFadeVisible(false);
  EXPECT_FALSE(control_->IsVisible());
}

TEST_F(ControlAnimationsTest, DisappearHidesWhenTheAlphaReachesZero) {
  Animations().SetFadeAlpha(true);
  Player(ControlAnimations::kFadeAlpha);
  control_->SetFadeVisible(true);
  StepAfter(ControlAnimations::kFadeAlpha, 250);
  EXPECT_EQ(control_->GetAlpha(), 255);

  control_->SetFadeVisible(false);
  EXPECT_TRUE(control_->IsVisible());
  StepAfter(ControlAnimations::kFadeAlpha, 249);
  EXPECT_TRUE(control_->IsVisible());
  EXPECT_GT(control_->GetAlpha(), 0);
  StepAfter(ControlAnimations::kFadeAlpha, 1);
  EXPECT_EQ(control_->GetAlpha(), 0);
  EXPECT_FALSE(control_->IsVisible());
}

TEST_F(ControlAnimationsTest, TheFirstEffectToEndHidesTheControl) {
  Animations().SetFadeAlpha(true);
  Animations().SetFadeInOutX(true, false);  // 80 pixels: 298 ms
  Player(ControlAnimations::kFadeAlpha);
  Player(ControlAnimations::kFadeInOutXFromLeft);
  control_->SetFadeVisible(true);
  StepAfter(ControlAnimations::kFadeInOutXFromLeft, 400);
  Animations().GetPlayer(ControlAnimations::kFadeAlpha)->Step();
  EXPECT_EQ(control_->GetRenderOffset().x, 0);

  control_->SetFadeVisible(false);
  StepAfter(ControlAnimations::kFadeAlpha, 250);
  EXPECT_FALSE(control_->IsVisible());
  EXPECT_NE(control_->GetRenderOffset().x, 80);
}

TEST_F(ControlAnimationsTest, AppearingDuringADisappearKeepsTheControl) {
  Animations().SetFadeAlpha(true);
  Player(ControlAnimations::kFadeAlpha);
  control_->SetFadeVisible(true);
  StepAfter(ControlAnimations::kFadeAlpha, 250);
  control_->SetFadeVisible(false);
  StepAfter(ControlAnimations::kFadeAlpha, 100);
  control_->SetFadeVisible(true);
  StepAfter(ControlAnimations::kFadeAlpha, 250);
  EXPECT_TRUE(control_->IsVisible());
  EXPECT_EQ(control_->GetAlpha(), 255);
}

TEST_F(ControlAnimationsTest, SlidingInFromTheLeftShiftsTheDrawingToNothing) {
  Animations().SetFadeInOutX(true, false);
  AnimationPlayer& slide = Player(ControlAnimations::kFadeInOutXFromLeft);
  control_->SetFadeVisible(true);
  EXPECT_EQ(control_->GetRenderOffset().x, 80);
  StepAfter(ControlAnimations::kFadeInOutXFromLeft, slide.GetTotalMillis() / 2.0);
  EXPECT_GT(control_->GetRenderOffset().x, 0);
  EXPECT_LT(control_->GetRenderOffset().x, 80);
  StepAfter(ControlAnimations::kFadeInOutXFromLeft, slide.GetTotalMillis());
  EXPECT_EQ(control_->GetRenderOffset().x, 0);
  EXPECT_EQ(control_->GetRenderOffset().y, 0);
}

TEST_F(ControlAnimationsTest, GrowingInWidthEndsAtTheEstimatedWidth) {
  Animations().SetFadeWidth(true);
  AnimationPlayer& grow = Player(ControlAnimations::kFadeWidth);
  control_->SetFadeVisible(true);
  EXPECT_EQ(control_->GetFixedWidth(), 0);
  EXPECT_GT(grow.GetTotalMillis(), 0);
  StepAfter(ControlAnimations::kFadeWidth, grow.GetTotalMillis());
  EXPECT_EQ(control_->GetFixedWidth(), 80);
}

TEST_F(ControlAnimationsTest, TheHotFadeTurnsRoundWhereItStands) {
  control_->SetAttribute(L"hotcolor", L"anything");
  Player(ControlAnimations::kFadeHot);
  window_.hover = control_;
  control_->SendEvent(kEventMouseEnter);
  StepAfter(ControlAnimations::kFadeHot, 100);
  EXPECT_EQ(control_->GetHotAlpha(), 123);
  control_->SendEvent(kEventMouseLeave);
  // 150 ms into the way out, by the curve of that direction.
  EXPECT_EQ(control_->GetHotAlpha(), 59);
  StepAfter(ControlAnimations::kFadeHot, 100);
  EXPECT_EQ(control_->GetHotAlpha(), 0);
}

TEST_F(ControlAnimationsTest, AClickLeavesTheHotLookFullAndFadesOutFromThere) {
  control_->SetAttribute(L"hotcolor", L"anything");
  AnimationPlayer& hot = Player(ControlAnimations::kFadeHot);
  window_.hover = control_;
  control_->SendEvent(kEventMouseEnter);
  StepAfter(ControlAnimations::kFadeHot, 50);
  const UiPoint inside{10, 10};
  control_->SendEvent(kEventButtonDown, 0, 0, 0, 0, inside);
  control_->SendEvent(kEventButtonUp, 0, 0, 0, 0, inside);
  EXPECT_EQ(control_->GetHotAlpha(), 255);
  EXPECT_FALSE(hot.IsRunning());

  control_->SendEvent(kEventMouseLeave);
  StepAfter(ControlAnimations::kFadeHot, 75);
  EXPECT_EQ(control_->GetHotAlpha(), 255 - 76);
}

}  // namespace
}  // namespace ui
