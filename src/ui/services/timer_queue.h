#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/weak_callback.h"
#include "ui/services/wake_timer.h"

namespace ui {

// Everything that must happen later or repeatedly on the UI thread. Callbacks run inside
// Poll, on the thread that owns the queue's message-only window; a wake timer posts that
// window a message every 16 ms while a timer is less than a second away, and once, sized
// to the wait, while the next one is further off.
class TimerQueue {
 public:
  static constexpr int kRepeatForever = -1;

  // The calling thread's queue, made on its first use and kept until the thread ends.
  static TimerQueue& Instance();

  // A queue woken by the given timer; its window belongs to the calling thread.
  explicit TimerQueue(std::unique_ptr<WakeTimer> wakeTimer);
  ~TimerQueue();
  TimerQueue(const TimerQueue&) = delete;
  TimerQueue& operator=(const TimerQueue&) = delete;

  // Runs the callback `milliseconds` from now, then again every `milliseconds`:
  // repeatCount n > 0 fires n times, 0 once, kRepeatForever until the flag is gone.
  // A gone flag drops the timer silently when it comes due. Call on the queue's thread.
  bool Schedule(std::weak_ptr<kbase::WeakFlag> flag, std::function<void()> callback,
                int milliseconds, int repeatCount);
  bool Schedule(kbase::SupportWeakCallback& owner, std::function<void()> callback, int milliseconds,
                int repeatCount);

  // Runs every due timer and reprograms the wake timer for the next one.
  void Poll();

  size_t PendingCount() const { return entries_.size(); }
  HWND__* window() const { return window_; }

 private:
  struct Entry {
    std::function<void()> callback;
    int64_t interval;
    int repeatCount;
    int64_t due;
    std::weak_ptr<kbase::WeakFlag> flag;
  };

  static int64_t Now();
  static bool LaterDue(const Entry& a, const Entry& b);
  void Push(Entry entry);
  Entry PopFront();
  static bool ConsumeRepeat(Entry& entry);
  void WakeFor(int64_t remaining);
  void EnsureShortPeriod();
  void RestartWake(uint32_t periodMs);
  void StopWake();

  std::vector<Entry> entries_;  // binary min-heap on due
  int64_t frequency_;
  bool shortPeriodMode_ = true;
  uint32_t wakeId_ = 0;
  std::unique_ptr<WakeTimer> wakeTimer_;
  HWND__* window_ = nullptr;
};

}  // namespace ui
