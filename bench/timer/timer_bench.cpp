// How late the UI timer queue runs 50 ms repeating timers, and how rarely it wakes while a
// single timer waits two seconds. Baselines from the same run: the system's own 50 ms
// window timer (SetTimer) for lateness, and a plain 16 ms multimedia timer for wake-ups.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "runtime/weak_callback.h"
#include "ui/services/multimedia_wake_timer.h"
#include "ui/services/timer_queue.h"

#include "common/bench_timing.h"
#include "common/message_counter.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kIntervalMs = 50;
constexpr int kTimerCount = 8;
constexpr int kLatenessRunMs = 3000;
constexpr int kLongWaitMs = 2000;

double MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Dispatches messages until `done` holds; false when that took more than ten seconds, so
// a broken queue ends the run instead of hanging it.
bool PumpUntil(const std::function<bool()>& done) {
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (Clock::now() >= deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  PumpUntil([end] { return Clock::now() >= end; });
}

// Lateness of one repeating timer: how long after (previous firing + interval) it fired.
class LatenessProbe {
 public:
  explicit LatenessProbe(std::vector<double>* samples) : samples_(samples), last_(Clock::now()) {}
  void Fire() {
    const auto now = Clock::now();
    samples_->push_back(MsBetween(last_, now) - kIntervalMs);
    last_ = now;
  }

 private:
  std::vector<double>* samples_;
  Clock::time_point last_;
};

double Mean(const std::vector<double>& samples) {
  double sum = 0;
  for (double sample : samples) sum += sample;
  return samples.empty() ? 0 : sum / samples.size();
}

std::vector<double> QueueLateness() {
  std::vector<double> samples;
  std::vector<LatenessProbe> probes;
  probes.reserve(kTimerCount);
  kbase::WeakCallbackFlag flag;
  for (int i = 0; i < kTimerCount; ++i) {
    probes.emplace_back(&samples);
    LatenessProbe* probe = &probes.back();
    ui::TimerQueue::Instance().Schedule(
        flag, [probe] { probe->Fire(); }, kIntervalMs, ui::TimerQueue::kRepeatForever);
    PumpFor(kIntervalMs / kTimerCount);  // spread the timers over the interval
  }
  PumpFor(kLatenessRunMs);
  flag.Revoke();
  if (!PumpUntil([] { return ui::TimerQueue::Instance().PendingCount() == 0; })) {
    std::printf("timer queue did not drain\n");
  }
  return samples;
}

std::vector<LatenessProbe>* g_windowTimerProbes = nullptr;

void CALLBACK WindowTimerFired(HWND, UINT, UINT_PTR id, DWORD) {
  for (size_t i = 0; i < g_windowTimerProbes->size(); ++i) {
    if (id == static_cast<UINT_PTR>(i + 1)) (*g_windowTimerProbes)[i].Fire();
  }
}

std::vector<double> WindowTimerLateness() {
  std::vector<double> samples;
  std::vector<LatenessProbe> probes;
  probes.reserve(kTimerCount);
  g_windowTimerProbes = &probes;
  HWND window = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  for (int i = 0; i < kTimerCount; ++i) {
    probes.emplace_back(&samples);
    SetTimer(window, i + 1, kIntervalMs, &WindowTimerFired);
    PumpFor(kIntervalMs / kTimerCount);
  }
  PumpFor(kLatenessRunMs);
  for (int i = 0; i < kTimerCount; ++i) KillTimer(window, i + 1);
  DestroyWindow(window);
  g_windowTimerProbes = nullptr;
  return samples;
}

// Wake-ups per second of the queue while its only timer waits kLongWaitMs.
double QueueWakesPerSecond() {
  test_windows::MessageCounter wakes(ui::TimerQueue::Instance().window(), ui::kTimerWakeMessage);
  kbase::WeakCallbackFlag flag;
  bool fired = false;
  const auto start = Clock::now();
  ui::TimerQueue::Instance().Schedule(
      flag, [&] { fired = true; }, kLongWaitMs, 0);
  if (!PumpUntil([&] { return fired; })) std::printf("the long-waiting timer did not fire\n");
  return wakes.count() * 1000.0 / MsBetween(start, Clock::now());
}

// Wake-ups per second of a plain 16 ms multimedia timer over the same wait.
double PlainPeriodWakesPerSecond() {
  HWND window = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  test_windows::MessageCounter wakes(window, ui::kTimerWakeMessage);
  ui::MultimediaWakeTimer timer;
  const auto start = Clock::now();
  const uint32_t id = timer.Start(16, window);
  PumpFor(kLongWaitMs);
  timer.Stop(id);
  const double perSecond = wakes.count() * 1000.0 / MsBetween(start, Clock::now());
  PumpFor(20);  // let wake messages still in flight arrive while counted
  DestroyWindow(window);
  return perSecond;
}

}  // namespace

int main() {
  const std::vector<double> queue = QueueLateness();
  const std::vector<double> baseline = WindowTimerLateness();
  const double queueMedian = bench::Percentile(queue, 0.5);
  const double queueP99 = bench::Percentile(queue, 0.99);
  const double baseMedian = bench::Percentile(baseline, 0.5);
  const double baseP99 = bench::Percentile(baseline, 0.99);
  std::printf("lateness of %d x %d ms repeating timers over %d ms\n", kTimerCount, kIntervalMs,
              kLatenessRunMs);
  std::printf(
      "  timer queue   : %zu firings, median %.2f ms, p99 %.2f ms (target p99 <= 17 ms: %s)\n",
      queue.size(), queueMedian, queueP99, queueP99 <= 17.0 ? "met" : "MISSED");
  std::printf("  SetTimer base : %zu firings, median %.2f ms, p99 %.2f ms\n", baseline.size(),
              baseMedian, baseP99);
  // The lateness floor is near zero, so the ratio that means something is the period the
  // timers really keep.
  const double queuePeriod = kIntervalMs + Mean(queue);
  const double basePeriod = kIntervalMs + Mean(baseline);
  std::printf("  mean period   : queue %.2f ms, SetTimer %.2f ms, ratio queue/base %.3f\n",
              queuePeriod, basePeriod, queuePeriod / basePeriod);

  const double queueWakes = QueueWakesPerSecond();
  const double plainWakes = PlainPeriodWakesPerSecond();
  std::printf("wake-ups per second while one timer waits %d ms\n", kLongWaitMs);
  std::printf("  timer queue   : %.2f /s (target about 1)\n", queueWakes);
  std::printf("  plain 16 ms   : %.2f /s\n", plainWakes);
  std::printf("  ratio queue/plain %.3f\n", plainWakes > 0 ? queueWakes / plainWakes : 0.0);
  return 0;
}
