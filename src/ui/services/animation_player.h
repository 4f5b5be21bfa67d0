#pragma once

#include "ui/services/animation_player_base.h"

namespace ui {

// A player whose value follows a speed curve: it accelerates for a share of the time
// (value = A·t²), cruises, and decelerates to a stop at the end value. Either the total
// time is given and the factors follow from it, or a factor is given and the time follows.
class AnimationPlayer : public AnimationPlayerBase {
 public:
  static constexpr int kDefaultMaxTotalMillis = 1000000;

  AnimationPlayer();

  void Init() override;
  // Sets the curve up for the distance, then starts stepping.
  void StartTimer() override;
  int GetCurrentValue() override;

  // A: the value grows as A·t² while accelerating.
  void SetSpeedUpFactor(double factor) { speedUpFactor = factor; }
  // B (0 or below): the braking term of the deceleration.
  void SetSpeedDownFactor(double factor) { speedDownFactor = factor; }
  // Shares of the total time spent accelerating and decelerating.
  void SetSpeedUpRatio(double ratio) { speedUpRatio = ratio; }
  void SetSpeedDownRatio(double ratio) { speedDownRatio = ratio; }
  // A computed total time longer than this is cut to it.
  void SetMaxTotalMillis(int millis) { maxTotalMillis = millis; }
  // Value units per millisecond, for a motion without acceleration whose time follows from it.
  void SetConstantSpeed(double speed) { constantSpeed = speed; }

  double GetSpeedUpFactor() const { return speedUpFactor; }
  double GetSpeedDownFactor() const { return speedDownFactor; }
  double GetSpeedUpMillis() const { return speedUpMillis; }
  double GetConstantMillis() const { return constantMillis; }
  double GetSpeedDownMillis() const { return speedDownMillis; }
  double GetConstantSpeed() const { return constantSpeed; }

 protected:
  double speedUpRatio;
  double speedDownRatio;
  double speedUpMillis;
  double constantSpeed;
  double constantMillis;
  double speedDownMillis;
  double speedUpFactor;
  double speedDownFactor;
  double speedDownStartSpeed;
  int maxTotalMillis;

 private:
  void SetUpCurve();
  void SetUpUniformMotion(double distance);
  void UniformMotionOver(double distance, double total);
  // Derives the missing factor from the total time.
  void FactorsFromTime(double distance, double total);
  // The term k·T of the cruising speed 2·k·T, completing the factors that follow from it.
  double CompleteFactors();
  // A total time for the factors: whole milliseconds, -1 when the factors never arrive.
  double TimeFromFactors(double distance, double k) const;
  void SetPhases(double total, double k);
};

// The players of a scrollable box, set up anew before each start (a start keeps the time it
// computed). Line scrolling: constant speed for the first half of
// the time, then braking to a stop; over 30 pixels it lasts 57 ms.
void SetUpScrollAnimation(AnimationPlayer& player);
// The slide-in after jumping to the end: accelerate, then brake, in at most 650 ms.
void SetUpRenderOffsetAnimation(AnimationPlayer& player);

}  // namespace ui
