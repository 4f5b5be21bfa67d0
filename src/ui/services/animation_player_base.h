#pragma once

#include <cstdint>
#include <functional>

#include "runtime/weak_callback.h"

namespace ui {

// An integer value moving from a start to an end value over time. Steps come from the
// timer queue and are timed by the performance counter, so a late wake-up skips values
// instead of slowing the animation down. How the value follows time is the subclass's.
class AnimationPlayerBase : public kbase::SupportWeakCallback {
 public:
  using PlayCallback = std::function<void(int value)>;
  using CompleteCallback = std::function<void()>;
  // Reads the performance counter; tests replace it to hold time still.
  using CounterSource = int64_t (*)();

  AnimationPlayerBase();
  ~AnimationPlayerBase() override;
  AnimationPlayerBase(const AnimationPlayerBase&) = delete;
  AnimationPlayerBase& operator=(const AnimationPlayerBase&) = delete;

  // Every value and flag back to the idle state; callbacks and the counter stay.
  virtual void Init();
  // Plays forward from the beginning.
  virtual void Start();
  // The steps stop; the values stay where they are.
  virtual void Stop();
  // Plays forward, or backward, from the point reached: turning round mirrors the time
  // played, so a fade-out begun half-way through a fade-in takes half the time.
  virtual void Continue();
  virtual void Reverse();
  virtual void StartTimer();
  // The value at the time played so far.
  virtual int GetCurrentValue() = 0;

  // Advances by the time passed since the last step and hands on the new value.
  void Step();
  // Stops and puts the forward motion at its end or its beginning, as a caller that set
  // the animated property itself needs it.
  void StopAt(bool atEnd);

  void SetStartValue(int value) { start = value; }
  void SetEndValue(int value) { end = value; }
  void SetTotalMillis(int millis) { totalMillis = millis; }
  void SetPlayCallback(PlayCallback callback) { playCallback = std::move(callback); }
  void SetCompleteCallback(CompleteCallback callback) { completeCallback = std::move(callback); }
  void SetCounterSource(CounterSource source, int64_t counterFrequency);

  int GetStartValue() const { return start; }
  int GetEndValue() const { return end; }
  int GetTotalMillis() const { return totalMillis; }
  // The value last handed on.
  int GetCurrent() const { return current; }
  double GetElapsedMillis() const { return elapsedMillis; }
  int GetIntervalMillis() const { return intervalMillis; }
  bool IsRunning() const { return running; }
  bool IsReversed() const { return reversed; }

 protected:
  int start;
  int end;
  int current;
  int totalMillis;
  double elapsedMillis;
  int intervalMillis;
  bool running;
  bool reversed;
  PlayCallback playCallback;
  CompleteCallback completeCallback;
  int64_t lastCounter;
  int64_t frequency;
  kbase::WeakCallbackFlag timerFlag;

 private:
  void Complete();
  // Turns the motion round when its direction differs from the one wanted.
  void TurnTo(bool backward);
  bool HasReachedEnd(int value) const;

  CounterSource counterSource_;
  bool handOnFirstStep_ = false;
};

}  // namespace ui
