#include "ui/services/animation_player.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "common/manual_clock.h"
#include "common/message_pump.h"

namespace ui {
namespace {

using test_clock::ManualClock;

// A player held still by the manual clock, recording what it hands on.
class PlayerTest : public ::testing::Test {
 protected:
  PlayerTest() {
    ManualClock::Drive(player_);
    player_.SetPlayCallback([this](int value) { values_.push_back(value); });
    player_.SetCompleteCallback([this] { ++completions_; });
  }

  // The alpha fade of a control: 0 to 255 in 250 ms, 30% accelerating, 70% braking.
  void SetUpFade() {
    player_.SetStartValue(0);
    player_.SetEndValue(255);
    player_.SetTotalMillis(250);
    player_.SetSpeedUpRatio(0.3);
    player_.SetSpeedDownRatio(0.7);
  }

  // Moves time on and takes the step the timer would take.
  void StepAfter(double milliseconds) {
    ManualClock::Advance(milliseconds);
    player_.Step();
  }

  AnimationPlayer player_;
  std::vector<int> values_;
  int completions_ = 0;
};

struct CurvePoint {
  const char* name;
  std::function<void(AnimationPlayer&)> setUp;
  int start;
  int end;
  double at;
  int value;
  int totalMillis;
};

void PrintTo(const CurvePoint& point, std::ostream* out) {
  *out << point.name;
}

void Fade(AnimationPlayer& p) {
  p.SetTotalMillis(250);
  p.SetSpeedUpRatio(0.3);
  p.SetSpeedDownRatio(0.7);
}

void SizeFade(AnimationPlayer& p) {
  p.SetSpeedUpRatio(0.3);
  p.SetSpeedDownRatio(0.7);
  p.SetSpeedUpFactor(0.00084);
}

void Uniform(AnimationPlayer& p) {
  p.SetTotalMillis(100);
}

class CurveTest : public PlayerTest, public ::testing::WithParamInterface<CurvePoint> {};

TEST_P(CurveTest, ValueAtElapsedTime) {
  const CurvePoint& point = GetParam();
  player_.SetStartValue(point.start);
  player_.SetEndValue(point.end);
  point.setUp(player_);
  player_.Start();
  StepAfter(point.at);
  EXPECT_EQ(player_.GetCurrent(), point.value);
  EXPECT_EQ(player_.GetTotalMillis(), point.totalMillis);
}

INSTANTIATE_TEST_SUITE_P(
    Curves, CurveTest,
    ::testing::Values(
        // A = 255 / (0.3 · 250²) = 0.0136: 0.0136 · 75² = 76.5 at the end of the speed-up.
        CurvePoint{"FadeStart", Fade, 0, 255, 0, 0, 250},
        CurvePoint{"FadeEndOfSpeedUp", Fade, 0, 255, 75, 76, 250},
        CurvePoint{"FadeBraking", Fade, 0, 255, 150, 196, 250},
        CurvePoint{"FadeJustBeforeEnd", Fade, 0, 255, 249.9, 254, 250},
        CurvePoint{"FadeEnd", Fade, 0, 255, 250, 255, 250},
        CurvePoint{"FadeDownward", Fade, 255, 0, 75, 179, 250},
        // Scrolling: T = trunc(sqrt(30 / 0.009)).
        CurvePoint{"ScrollLasts57Ms", SetUpScrollAnimation, 0, 30, 56.9, 29, 57},
        CurvePoint{"ScrollHalfWay", SetUpScrollAnimation, 0, 30, 28.5, 19, 57},
        CurvePoint{"ScrollEnd", SetUpScrollAnimation, 0, 30, 57, 30, 57},
        // The slide: T = trunc(sqrt(100 / 0.0009)) = 333; a long one is held to 650 ms.
        CurvePoint{"SlideShort", SetUpRenderOffsetAnimation, 100, 0, 333, 0, 333},
        CurvePoint{"SlideLongIsCut", SetUpRenderOffsetAnimation, 1000, 0, 649.9, 1, 650},
        // Held to 650 ms, A follows from the time: 1000 / (0.3 · 650²) · 195² = 300.
        CurvePoint{"SlideLongEndOfSpeedUp", SetUpRenderOffsetAnimation, 1000, 0, 195, 700, 650},
        CurvePoint{"SizeFromFactor", SizeFade, 0, 200, 890, 200, 890},
        CurvePoint{"UniformMotion", Uniform, 10, 60, 40, 30, 100}),
    [](const ::testing::TestParamInfo<CurvePoint>& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, AFadeHandsOnRisingValuesAndEndsExactlyAtTheEndOnce) {
  SetUpFade();
  player_.Start();
  // Wake-ups every 16 ms, as the timer queue gives them.
  for (int i = 0; i < 20 && player_.IsRunning(); ++i) StepAfter(16);
  ASSERT_FALSE(values_.empty());
  EXPECT_EQ(values_.back(), 255);
  EXPECT_EQ(completions_, 1);
  EXPECT_FALSE(player_.IsRunning());
  for (size_t i = 1; i < values_.size(); ++i) EXPECT_LT(values_[i - 1], values_[i]);
  EXPECT_GE(values_.size(), 14u);
}

TEST_F(PlayerTest, ALateWakeUpSkipsValuesInsteadOfSlowingDown) {
  SetUpFade();
  player_.Start();
  StepAfter(10);
  StepAfter(240);
  EXPECT_EQ(values_.back(), 255);
  EXPECT_EQ(completions_, 1);
}

TEST_F(PlayerTest, ReversingMirrorsTheElapsedTime) {
  SetUpFade();
  player_.Start();
  StepAfter(100);
  EXPECT_EQ(player_.GetCurrent(), 123);
  player_.Reverse();
  // 150 ms into the way back: the mirrored point of the other direction, 255 - 196.
  EXPECT_DOUBLE_EQ(player_.GetElapsedMillis(), 150);
  EXPECT_EQ(player_.GetCurrent(), 59);
  StepAfter(99);
  EXPECT_GT(player_.GetCurrent(), 0);
  EXPECT_EQ(completions_, 0);
  StepAfter(1);
  EXPECT_EQ(player_.GetCurrent(), 0);
  EXPECT_EQ(completions_, 1);

  // And forward again from the beginning of the way back.
  player_.Continue();
  EXPECT_FALSE(player_.IsReversed());
  EXPECT_EQ(player_.GetStartValue(), 0);
  EXPECT_DOUBLE_EQ(player_.GetElapsedMillis(), 0);
  StepAfter(250);
  EXPECT_EQ(player_.GetCurrent(), 255);
  EXPECT_EQ(completions_, 2);
}

TEST_F(PlayerTest, TurningRoundTwiceInTheSameDirectionChangesNothing) {
  SetUpFade();
  player_.Start();
  StepAfter(100);
  player_.Continue();
  EXPECT_DOUBLE_EQ(player_.GetElapsedMillis(), 100);
  EXPECT_EQ(player_.GetCurrent(), 123);
}

TEST_F(PlayerTest, StopKeepsTheValueAndContinueGoesOnFromIt) {
  SetUpFade();
  player_.Start();
  StepAfter(75);
  player_.Stop();
  EXPECT_FALSE(player_.IsRunning());
  ManualClock::Advance(1000);
  player_.Continue();
  EXPECT_EQ(player_.GetCurrent(), 76);
  StepAfter(175);
  EXPECT_EQ(player_.GetCurrent(), 255);
}

TEST_F(PlayerTest, StoppingAtAnEndPutsTheForwardMotionThere) {
  SetUpFade();
  player_.Start();
  StepAfter(100);
  player_.Reverse();
  player_.StopAt(true);
  EXPECT_FALSE(player_.IsReversed());
  EXPECT_EQ(player_.GetCurrent(), 255);
  // Leaving afterwards fades out from fully on.
  player_.Reverse();
  EXPECT_EQ(player_.GetCurrent(), 255);
  StepAfter(75);
  EXPECT_EQ(player_.GetCurrent(), 255 - 76);
}

TEST_F(PlayerTest, EqualStartAndEndCompleteAtOnceWithoutAValue) {
  player_.SetStartValue(40);
  player_.SetEndValue(40);
  player_.SetTotalMillis(250);
  player_.Start();
  EXPECT_EQ(completions_, 1);
  EXPECT_TRUE(values_.empty());
  EXPECT_FALSE(player_.IsRunning());
}

// Set-ups that give the curve no time, or no factors: none may divide by zero or turn an
// infinite time into an integer; each ends at its end value in the time it settles on.
struct Degenerate {
  const char* name;
  std::function<void(AnimationPlayer&)> setUp;
  int totalMillis;
};

void PrintTo(const Degenerate& curve, std::ostream* out) {
  *out << curve.name;
}

class DegenerateCurveTest : public PlayerTest, public ::testing::WithParamInterface<Degenerate> {};

TEST_P(DegenerateCurveTest, SettlesOnATimeAndEndsAtTheEndValue) {
  player_.SetStartValue(0);
  player_.SetEndValue(255);
  GetParam().setUp(player_);
  player_.Start();
  EXPECT_EQ(player_.GetTotalMillis(), GetParam().totalMillis);
  for (int i = 0; i < 100 && player_.IsRunning(); ++i) StepAfter(16);
  EXPECT_EQ(values_.back(), 255);
  EXPECT_EQ(completions_, 1);
  for (int value : values_) {
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 255);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Curves, DegenerateCurveTest,
    ::testing::Values(
        Degenerate{"CurveWithNoTime",
                   [](AnimationPlayer& p) {
                     Fade(p);
                     p.SetTotalMillis(0);
                   },
                   0},
        Degenerate{"UniformWithNoTime", [](AnimationPlayer& p) { p.SetTotalMillis(0); }, 0},
        // No preset speed: the time is undefined, and the value goes straight to the end.
        Degenerate{"UniformWithoutSpeed", [](AnimationPlayer&) {}, 0},
        Degenerate{"UniformTooSlow",
                   [](AnimationPlayer& p) {
                     p.SetConstantSpeed(1e-300);
                     p.SetMaxTotalMillis(400);
                   },
                   400},
        // Ratios but neither a time nor a factor: it would never arrive.
        Degenerate{"NoFactors",
                   [](AnimationPlayer& p) {
                     p.SetSpeedUpRatio(0.3);
                     p.SetSpeedDownRatio(0.7);
                     p.SetMaxTotalMillis(500);
                   },
                   500},
        // A factor that moves away from the end.
        Degenerate{"FactorPointingAway",
                   [](AnimationPlayer& p) {
                     p.SetSpeedUpRatio(0.3);
                     p.SetSpeedDownRatio(0.7);
                     p.SetSpeedUpFactor(-0.01);
                   },
                   0},
        // Ratios adding up to 2 leave no time to move in.
        Degenerate{"RatiosLeavingNoTime",
                   [](AnimationPlayer& p) {
                     p.SetSpeedUpRatio(1);
                     p.SetSpeedDownRatio(1);
                     p.SetTotalMillis(300);
                   },
                   300}),
    [](const ::testing::TestParamInfo<Degenerate>& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, WithoutAPlayCallbackThePlayerStillStopsAtTheEnd) {
  SetUpFade();
  player_.SetPlayCallback(nullptr);
  player_.Start();
  StepAfter(250);
  EXPECT_EQ(completions_, 1);
  EXPECT_FALSE(player_.IsRunning());
}

// The player lives in storage of the test's own, which is filled with a pattern the
// moment it is destroyed: a write after that shows in the pattern.
class SelfDestroyingPlayerTest : public ::testing::Test {
 protected:
  static constexpr unsigned char kFreed = 0xDD;

  SelfDestroyingPlayerTest() {
    player_ = new (storage_) AnimationPlayer();
    ManualClock::Drive(*player_);
    player_->SetStartValue(0);
    player_->SetEndValue(255);
    Fade(*player_);
  }
  ~SelfDestroyingPlayerTest() override { Destroy(); }

  void Destroy() {
    if (!player_) return;
    player_->~AnimationPlayer();
    player_ = nullptr;
    std::memset(storage_, kFreed, sizeof(storage_));
  }
  bool StorageUntouched() const {
    for (unsigned char byte : storage_) {
      if (byte != kFreed) return false;
    }
    return true;
  }

  alignas(AnimationPlayer) unsigned char storage_[sizeof(AnimationPlayer)];
  AnimationPlayer* player_ = nullptr;
};

TEST_F(SelfDestroyingPlayerTest, APlayCallbackMidwayDestroyingThePlayer) {
  player_->SetPlayCallback([this](int value) {
    if (value > 100) Destroy();
  });
  player_->Start();
  AnimationPlayer* player = player_;
  ManualClock::Advance(150);
  player->Step();
  EXPECT_EQ(player_, nullptr);
  EXPECT_TRUE(StorageUntouched());
}

TEST_F(SelfDestroyingPlayerTest, APlayCallbackAtTheEndDestroyingThePlayer) {
  int completions = 0;
  player_->SetPlayCallback([this](int value) {
    if (value == 255) Destroy();
  });
  player_->SetCompleteCallback([&completions] { ++completions; });
  player_->Start();
  AnimationPlayer* player = player_;
  ManualClock::Advance(300);
  player->Step();
  EXPECT_TRUE(StorageUntouched());
  EXPECT_EQ(completions, 0);
}

TEST_F(SelfDestroyingPlayerTest, ACompleteCallbackDestroyingThePlayer) {
  player_->SetCompleteCallback([this] { Destroy(); });
  player_->Start();
  AnimationPlayer* player = player_;
  ManualClock::Advance(300);
  player->Step();
  EXPECT_TRUE(StorageUntouched());
}

TEST_F(SelfDestroyingPlayerTest, TheFirstStepOfAStartDestroyingThePlayer) {
  // The first step runs inside Start, before the timer is set.
  player_->SetPlayCallback([this](int) { Destroy(); });
  player_->SetStartValue(255);
  player_->SetEndValue(0);
  player_->Reverse();
  EXPECT_TRUE(StorageUntouched());
}

TEST(PlayerTimer, TheTimerQueueDrivesAFadeToItsEnd) {
  AnimationPlayer player;
  std::vector<int> values;
  int completions = 0;
  player.SetStartValue(0);
  player.SetEndValue(255);
  Fade(player);
  player.SetPlayCallback([&values](int value) { values.push_back(value); });
  player.SetCompleteCallback([&completions] { ++completions; });
  player.Start();
  EXPECT_EQ(player.GetIntervalMillis(), 1);
  ASSERT_TRUE(test_messages::PumpUntil([&] { return completions > 0; }, 20000));
  EXPECT_EQ(values.back(), 255);
  // Nothing more arrives once it is complete.
  test_messages::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(completions, 1);
}

TEST(PlayerTimer, ADestroyedPlayerGetsNoMoreSteps) {
  int values = 0;
  {
    AnimationPlayer player;
    player.SetStartValue(0);
    player.SetEndValue(255);
    Fade(player);
    player.SetPlayCallback([&values](int) { ++values; });
    player.Start();
  }
  const int before = values;
  test_messages::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(values, before);
}

}  // namespace
}  // namespace ui
