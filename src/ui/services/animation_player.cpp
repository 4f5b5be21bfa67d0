#include "ui/services/animation_player.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ui {

AnimationPlayer::AnimationPlayer() {
  AnimationPlayer::Init();
}

void AnimationPlayer::Init() {
  AnimationPlayerBase::Init();
  speedUpRatio = speedDownRatio = 0;
  speedUpMillis = constantSpeed = constantMillis = speedDownMillis = 0;
  speedUpFactor = speedDownFactor = speedDownStartSpeed = 0;
  maxTotalMillis = kDefaultMaxTotalMillis;
}

void AnimationPlayer::StartTimer() {
  SetUpCurve();
  AnimationPlayerBase::StartTimer();
}

void AnimationPlayer::SetUpCurve() {
  const double distance = std::fabs(static_cast<double>(end) - start);
  if (speedUpRatio == 0 && speedDownRatio == 0) {
    SetUpUniformMotion(distance);
    return;
  }
  double total = totalMillis < 0 ? -1 : totalMillis;
  if (total >= 0) FactorsFromTime(distance, total);
  double k = CompleteFactors();
  if (total < 0) {
    total = TimeFromFactors(distance, k);
    // Factors that never arrive take as long as a motion may; so does one that is too slow.
    if (total < 0 || total > maxTotalMillis) {
      total = std::max(maxTotalMillis, 0);
      FactorsFromTime(distance, total);
      k = CompleteFactors();
    }
  }
  SetPhases(total, k);
  // Ratios that leave the curve no time to move (their sum reaching 2) give no factors.
  if (!std::isfinite(speedUpFactor) || !std::isfinite(speedDownFactor) ||
      !std::isfinite(constantSpeed)) {
    UniformMotionOver(distance, total);
  }
}

void AnimationPlayer::SetUpUniformMotion(double distance) {
  double total = totalMillis;
  if (totalMillis < 0) {
    // Only a preset speed gives the motion a time; without one it goes straight to the end.
    const double computed = constantSpeed > 0 ? std::trunc(distance / constantSpeed) : 0;
    total = std::min<double>(computed, std::max(maxTotalMillis, 0));
  }
  UniformMotionOver(distance, total);
}

void AnimationPlayer::UniformMotionOver(double distance, double total) {
  speedUpFactor = speedDownFactor = speedDownStartSpeed = 0;
  speedUpMillis = speedDownMillis = 0;
  constantMillis = total;
  constantSpeed = total > 0 ? distance / total : 0;
  totalMillis = static_cast<int>(total);
}

void AnimationPlayer::FactorsFromTime(double distance, double total) {
  if (total <= 0) {
    // No time to move in: the value is at the end at once.
    speedUpFactor = speedDownFactor = 0;
    return;
  }
  const double ra = speedUpRatio;
  const double rd = speedDownRatio;
  const double cruise = 1 - ra - rd;
  if (ra == 0) {
    speedDownFactor = -distance / ((cruise * 2 * rd + rd * rd + rd * ra) * total * total);
  } else {
    speedUpFactor = distance / ((cruise * 2 * ra + ra * ra + rd * ra) * total * total);
  }
}

double AnimationPlayer::CompleteFactors() {
  const double ra = speedUpRatio;
  const double rd = speedDownRatio;
  if (speedUpFactor == 0 || ra == 0) {
    if (speedDownFactor == 0 || rd == 0) return 0;
    const double k = -rd * speedDownFactor;
    if (ra != 0) speedUpFactor = k / ra;
    return k;
  }
  const double k = speedUpFactor * ra;
  if (rd != 0) speedDownFactor = -k / rd;
  return k;
}

double AnimationPlayer::TimeFromFactors(double distance, double k) const {
  const double ra = speedUpRatio;
  const double rd = speedDownRatio;
  const double reach = speedUpFactor * ra * ra + (1 - ra - rd) * 2 * k - speedDownFactor * rd * rd;
  const double time = std::sqrt(distance / reach);
  if (std::isnan(time)) return 0;  // factors that move away from the end: no time at all
  if (std::isinf(time)) return -1;
  return std::trunc(time);
}

void AnimationPlayer::SetPhases(double total, double k) {
  speedUpMillis = total * speedUpRatio;
  constantSpeed = speedDownStartSpeed = 2 * k * total;
  speedDownMillis = total * speedDownRatio;
  constantMillis = total - total * speedUpRatio - total * speedDownRatio;
  totalMillis = static_cast<int>(total);
}

int AnimationPlayer::GetCurrentValue() {
  const double t = elapsedMillis;
  if (t >= totalMillis) return end;
  const double a = speedUpFactor;
  double d;
  if (t <= speedUpMillis) {
    d = a * t * t;
  } else if (t <= speedUpMillis + constantMillis) {
    d = (t - speedUpMillis) * constantSpeed + a * speedUpMillis * speedUpMillis;
  } else {
    const double u = t - speedUpMillis - constantMillis;
    d = a * speedUpMillis * speedUpMillis + constantSpeed * constantMillis +
        speedDownFactor * u * u + speedDownStartSpeed * u;
  }
  // Rounding must not carry the value past either end, nor a number that is none into it.
  const double distance = std::fabs(static_cast<double>(end) - start);
  if (!(d > 0)) d = 0;
  d = std::min(d, distance);
  const int64_t moved = static_cast<int64_t>(d);
  return static_cast<int>(start < end ? start + moved : start - moved);
}

void SetUpScrollAnimation(AnimationPlayer& player) {
  player.SetSpeedUpRatio(0);
  player.SetSpeedDownRatio(0.5);
  player.SetSpeedUpFactor(0);
  player.SetSpeedDownFactor(-0.012);
  player.SetTotalMillis(-1);
}

void SetUpRenderOffsetAnimation(AnimationPlayer& player) {
  player.SetSpeedUpRatio(0.3);
  player.SetSpeedDownRatio(0.7);
  player.SetSpeedUpFactor(0.003);
  player.SetSpeedDownFactor(0);
  player.SetTotalMillis(-1);
  player.SetMaxTotalMillis(650);
}

}  // namespace ui
