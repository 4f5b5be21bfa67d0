#include "ui/services/animation_player_base.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "ui/services/timer_queue.h"

namespace ui {
namespace {

int64_t ReadPerformanceCounter() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

int64_t ReadPerformanceFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

}  // namespace

AnimationPlayerBase::AnimationPlayerBase()
    : frequency(ReadPerformanceFrequency()), counterSource_(&ReadPerformanceCounter) {
  AnimationPlayerBase::Init();
}

AnimationPlayerBase::~AnimationPlayerBase() {
  timerFlag.Revoke();
}

void AnimationPlayerBase::Init() {
  timerFlag.Revoke();
  start = end = current = 0;
  totalMillis = -1;
  elapsedMillis = 0;
  intervalMillis = 0;
  running = reversed = false;
  lastCounter = 0;
}

void AnimationPlayerBase::Start() {
  elapsedMillis = 0;
  reversed = false;
  StartTimer();
}

void AnimationPlayerBase::Stop() {
  timerFlag.Revoke();
  running = false;
}

void AnimationPlayerBase::Continue() {
  TurnTo(false);
}

void AnimationPlayerBase::Reverse() {
  TurnTo(true);
}

void AnimationPlayerBase::TurnTo(bool backward) {
  timerFlag.Revoke();
  if (reversed != backward) {
    std::swap(start, end);
    current = start;
    elapsedMillis = std::max(0.0, totalMillis - elapsedMillis);
    reversed = backward;
  }
  StartTimer();
}

void AnimationPlayerBase::StartTimer() {
  timerFlag.Revoke();
  lastCounter = counterSource_();
  running = true;
  if (start == end) {
    Complete();
    return;
  }
  const int64_t distance = std::llabs(static_cast<int64_t>(end) - start);
  intervalMillis = static_cast<int>(std::max<int64_t>(totalMillis / distance, 1));
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  // The first step hands its value on even when it equals the last one, so that the
  // animated property starts where the motion does (a width fading in starts at 0).
  handOnFirstStep_ = true;
  Step();
  // The first step may have finished the motion, or its callbacks this player.
  if (alive.expired() || !running) return;
  TimerQueue::Instance().Schedule(
      timerFlag.WeakFlagOf(), [this] { Step(); }, intervalMillis, TimerQueue::kRepeatForever);
}

void AnimationPlayerBase::Step() {
  const int64_t now = counterSource_();
  if (frequency > 0) elapsedMillis += static_cast<double>(now - lastCounter) * 1000.0 / frequency;
  lastCounter = now;
  const int value = GetCurrentValue();
  // A callback may destroy this player (its owner turning the effect off or on again), so
  // nothing of the player is touched after one that did.
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  if (HasReachedEnd(value)) {
    current = end;
    const PlayCallback play = playCallback;
    if (play) play(end);
    if (!alive.expired()) Complete();
    return;
  }
  const bool first = handOnFirstStep_;
  handOnFirstStep_ = false;
  if (value == current && !first) return;
  current = value;
  const PlayCallback play = playCallback;
  if (play) play(value);
}

bool AnimationPlayerBase::HasReachedEnd(int value) const {
  return start < end ? value >= end : value <= end;
}

void AnimationPlayerBase::Complete() {
  // Stopped before the callback, so that a callback starting the player again keeps its
  // new timer.
  timerFlag.Revoke();
  running = false;
  const CompleteCallback done = completeCallback;
  if (done) done();
}

void AnimationPlayerBase::StopAt(bool atEnd) {
  Stop();
  if (reversed) {
    std::swap(start, end);
    reversed = false;
  }
  elapsedMillis = atEnd ? std::max(totalMillis, 0) : 0;
  current = atEnd ? end : start;
}

void AnimationPlayerBase::SetCounterSource(CounterSource source, int64_t counterFrequency) {
  counterSource_ = source ? source : &ReadPerformanceCounter;
  frequency = source ? counterFrequency : ReadPerformanceFrequency();
}

}  // namespace ui
