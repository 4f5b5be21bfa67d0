#include "ui/services/timer_queue.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "ui/services/multimedia_wake_timer.h"

namespace ui {
namespace {

constexpr wchar_t kWindowClass[] = L"UI_ANIMATION_TIMERMANAGER_H_";
constexpr uint32_t kShortPeriodMs = 16;
constexpr uint32_t kLongWaitSlackMs = 2;

LRESULT CALLBACK QueueWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == kTimerWakeMessage) {
    auto* queue = reinterpret_cast<TimerQueue*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (queue) queue->Poll();
    return 1;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND CreateQueueWindow(TimerQueue* queue) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &QueueWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  // A second queue (tests) finds the class already registered, which is fine.
  RegisterClassExW(&windowClass);
  return CreateWindowExW(0, kWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                         queue);
}

int64_t ReadFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

}  // namespace

TimerQueue& TimerQueue::Instance() {
  // One queue for each thread that asks, so that a thread's timers always run in its own
  // message loop: the client has a single UI thread, test programs start one after another.
  thread_local TimerQueue queue(std::make_unique<MultimediaWakeTimer>());
  return queue;
}

TimerQueue::TimerQueue(std::unique_ptr<WakeTimer> wakeTimer)
    : frequency_(ReadFrequency()), wakeTimer_(std::move(wakeTimer)) {
  window_ = CreateQueueWindow(this);
}

TimerQueue::~TimerQueue() {
  StopWake();
  if (window_) DestroyWindow(window_);
}

bool TimerQueue::Schedule(std::weak_ptr<kbase::WeakFlag> flag, std::function<void()> callback,
                          int milliseconds, int repeatCount) {
  const int64_t interval = frequency_ * std::max(milliseconds, 0) / 1000;
  Push(Entry{std::move(callback), interval, repeatCount, Now() + interval, std::move(flag)});
  EnsureShortPeriod();
  return true;
}

bool TimerQueue::Schedule(kbase::SupportWeakCallback& owner, std::function<void()> callback,
                          int milliseconds, int repeatCount) {
  return Schedule(owner.WeakFlagOf(), std::move(callback), milliseconds, repeatCount);
}

void TimerQueue::Poll() {
  // One reading per poll: a repeating timer is due again one interval after this poll,
  // so lateness is not made up by firing in a burst.
  const int64_t now = Now();
  while (!entries_.empty()) {
    const int64_t remaining = entries_.front().due - now;
    if (remaining > 0) {
      WakeFor(remaining);
      return;
    }
    Entry entry = PopFront();
    if (entry.flag.expired()) continue;
    entry.callback();
    if (ConsumeRepeat(entry)) {
      // At least one tick, so a zero interval fires once per poll instead of forever.
      entry.due = now + std::max<int64_t>(entry.interval, 1);
      Push(std::move(entry));
    }
  }
  StopWake();
}

int64_t TimerQueue::Now() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

void TimerQueue::Push(Entry entry) {
  entries_.push_back(std::move(entry));
  std::push_heap(entries_.begin(), entries_.end(), &TimerQueue::LaterDue);
}

TimerQueue::Entry TimerQueue::PopFront() {
  std::pop_heap(entries_.begin(), entries_.end(), &TimerQueue::LaterDue);
  Entry entry = std::move(entries_.back());
  entries_.pop_back();
  return entry;
}

bool TimerQueue::LaterDue(const Entry& a, const Entry& b) {
  return a.due > b.due;
}

bool TimerQueue::ConsumeRepeat(Entry& entry) {
  if (entry.repeatCount > 0) return --entry.repeatCount > 0;
  return entry.repeatCount == kRepeatForever;
}

void TimerQueue::WakeFor(int64_t remaining) {
  if (remaining < frequency_) {
    EnsureShortPeriod();
    return;
  }
  const int64_t waitMs = remaining * 1000 / frequency_ + kLongWaitSlackMs;
  RestartWake(
      static_cast<uint32_t>(std::min<int64_t>(waitMs, std::numeric_limits<uint32_t>::max())));
  shortPeriodMode_ = false;
}

void TimerQueue::EnsureShortPeriod() {
  // Also restarts when no wake timer runs although timers are queued (a nested poll inside
  // a callback may have stopped it), so a queued timer is never left without a wake.
  if (wakeId_ != 0 && shortPeriodMode_) return;
  RestartWake(kShortPeriodMs);
  shortPeriodMode_ = true;
}

void TimerQueue::RestartWake(uint32_t periodMs) {
  StopWake();
  wakeId_ = wakeTimer_->Start(periodMs, window_);
}

void TimerQueue::StopWake() {
  if (wakeId_ != 0) wakeTimer_->Stop(wakeId_);
  wakeId_ = 0;
}

}  // namespace ui
