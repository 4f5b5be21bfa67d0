// Task throughput of the runtime's message loops against a plain mutex, deque and
// condition-variable queue doing the same work in the same run.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#include "runtime/default_message_pump.h"
#include "runtime/message_loop.h"
#include "runtime/message_loop_proxy.h"
#include "runtime/tick_time.h"
#include "runtime/ui_message_loop.h"
#include "runtime/win_ui_message_pump.h"

namespace {

using Clock = std::chrono::steady_clock;

int g_immediateTasks = 1000000;
int g_delayedTasks = 100000;
// Every task of the UI loop costs a pass of its run loop with its native calls, which
// under an emulator can take tens of microseconds; its runs are cut to this many seconds
// (an estimate from the measured cost of a pass) unless --full is given.
constexpr double kUISecondsPerRun = 8;
// Delays are spread over this many microseconds, out of posting order.
constexpr int64_t kDelaySpread = 20 * 1000;

int64_t DelayOf(int i) {
  return (static_cast<int64_t>(i) * 7919) % kDelaySpread;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Result {
  double seconds = 0;
  uint32_t wakes = 0;  // wake-ups the loop's pump was sent during the run
  double Rate(int tasks) const { return tasks / seconds; }
};

// ---- The runtime's loops -------------------------------------------------------------

std::unique_ptr<kbase::MessageLoop> MakeLoop(kbase::LoopKind kind) {
  if (kind == kbase::kUILoop) return std::make_unique<kbase::UIMessageLoop>();
  return std::make_unique<kbase::MessageLoop>();
}

uint32_t WakesSent(kbase::MessageLoop& loop) {
  if (loop.kind() == kbase::kUILoop) {
    return static_cast<kbase::UIMessageLoop&>(loop).UIPump()->WakeMessagesPosted();
  }
  return static_cast<kbase::DefaultMessagePump*>(loop.pump())->WakeSignalsSent();
}

// A task small enough to be stored without an allocation: it counts, and the last one
// quits the run.
struct CountingTask {
  struct State {
    kbase::MessageLoop* loop;
    int remaining;
  } * state;
  void operator()() const {
    if (--state->remaining == 0) state->loop->QuitWhenIdle();
  }
};

Result LoopSameThread(kbase::LoopKind kind, int tasks) {
  auto loop = MakeLoop(kind);
  CountingTask::State state{loop.get(), tasks};
  const uint32_t wakesBefore = WakesSent(*loop);
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < tasks; ++i) loop->Post(CountingTask{&state});
  loop->Run();
  return {SecondsSince(start), WakesSent(*loop) - wakesBefore};
}

Result LoopCrossThread(kbase::LoopKind kind, int tasks) {
  auto loop = MakeLoop(kind);
  CountingTask::State state{loop.get(), tasks};
  const std::shared_ptr<kbase::MessageLoopProxy> proxy = loop->Proxy();
  std::thread producer;
  const Clock::time_point start = Clock::now();
  loop->Post([&] {
    producer = std::thread([&] {
      for (int i = 0; i < tasks; ++i) proxy->Post(CountingTask{&state});
    });
  });
  const uint32_t wakesBefore = WakesSent(*loop);  // after the starting post's
  loop->Run();
  const double seconds = SecondsSince(start);
  producer.join();
  return {seconds, WakesSent(*loop) - wakesBefore};
}

Result LoopDelayed(kbase::LoopKind kind, int tasks) {
  auto loop = MakeLoop(kind);
  CountingTask::State state{loop.get(), tasks};
  const uint32_t wakesBefore = WakesSent(*loop);
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < tasks; ++i) loop->PostAfter(CountingTask{&state}, DelayOf(i));
  loop->Run();
  return {SecondsSince(start), WakesSent(*loop) - wakesBefore};
}

// ---- Baseline: mutex, deque and condition variable -------------------------------------

class BaselineQueue {
 public:
  void Push(std::function<void()> task) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      tasks_.push_back(std::move(task));
    }
    ready_.notify_one();
  }
  // Runs tasks until one of them calls Quit.
  void Run() {
    while (!quit_) {
      std::function<void()> task;
      {
        std::unique_lock<std::mutex> hold(mutex_);
        ready_.wait(hold, [this] { return !tasks_.empty(); });
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }
  void Quit() { quit_ = true; }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
  bool quit_ = false;
};

class BaselineTimedQueue {
 public:
  void Push(std::function<void()> task, int64_t delay) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      tasks_.push({Clock::now() + std::chrono::microseconds(delay), sequence_++, std::move(task)});
    }
    ready_.notify_one();
  }
  void Run() {
    while (!quit_) {
      std::function<void()> task;
      {
        std::unique_lock<std::mutex> hold(mutex_);
        for (;;) {
          if (tasks_.empty()) {
            ready_.wait(hold);
          } else if (tasks_.top().runAt > Clock::now()) {
            ready_.wait_until(hold, tasks_.top().runAt);
          } else {
            break;
          }
        }
        task = std::move(const_cast<Entry&>(tasks_.top()).task);
        tasks_.pop();
      }
      task();
    }
  }
  void Quit() { quit_ = true; }

 private:
  struct Entry {
    Clock::time_point runAt;
    uint64_t sequence;
    std::function<void()> task;
    bool operator<(const Entry& other) const {
      return runAt != other.runAt ? runAt > other.runAt : sequence > other.sequence;
    }
  };
  std::mutex mutex_;
  std::condition_variable ready_;
  std::priority_queue<Entry, std::deque<Entry>> tasks_;
  uint64_t sequence_ = 0;
  bool quit_ = false;
};

Result BaselineSameThread() {
  BaselineQueue queue;
  int remaining = g_immediateTasks;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < g_immediateTasks; ++i) {
    queue.Push([&] {
      if (--remaining == 0) queue.Quit();
    });
  }
  queue.Run();
  return {SecondsSince(start), 0};
}

Result BaselineCrossThread() {
  BaselineQueue queue;
  int remaining = g_immediateTasks;
  const Clock::time_point start = Clock::now();
  std::thread producer([&] {
    for (int i = 0; i < g_immediateTasks; ++i) {
      queue.Push([&] {
        if (--remaining == 0) queue.Quit();
      });
    }
  });
  queue.Run();
  const double seconds = SecondsSince(start);
  producer.join();
  return {seconds, 0};
}

Result BaselineDelayed() {
  BaselineTimedQueue queue;
  int remaining = g_delayedTasks;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < g_delayedTasks; ++i) {
    queue.Push(
        [&] {
          if (--remaining == 0) queue.Quit();
        },
        DelayOf(i));
  }
  queue.Run();
  return {SecondsSince(start), 0};
}

// ---- The native calls of one pass of the UI loop -----------------------------------------

// Each pass of the UI loop asks the queue status and peeks for a message before it runs a
// task; this is their cost with an empty queue.
double NativeCallsPerPassMicroseconds(int passes) {
  kbase::UIMessageLoop loop;  // the thread's pump window exists, as during a real run
  MSG message;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < passes; ++i) {
    GetQueueStatus(QS_SENDMESSAGE);
    PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
  }
  return SecondsSince(start) * 1e6 / passes;
}

struct Rates {
  int tasks;
  double rate;
};

void PrintRow(const char* workload, const Rates& baseline, const Rates& plain, const Rates& ui) {
  std::printf("%-30s %9d %12.0f %12.0f %6.2f  %8d %9.0f %6.4f\n", workload, baseline.tasks,
              baseline.rate, plain.rate, plain.rate / baseline.rate, ui.tasks, ui.rate,
              ui.rate / baseline.rate);
}

Rates RatesOf(const Result& result, int tasks) {
  return {tasks, result.Rate(tasks)};
}

}  // namespace

int main(int argc, char** argv) {
  bool full = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--full") == 0) {
      full = true;
    } else if (const double scale = std::atof(argv[i]); scale > 0 && scale <= 1) {
      // A scale below 1 shrinks every run, for a quick look.
      g_immediateTasks = static_cast<int>(g_immediateTasks * scale);
      g_delayedTasks = static_cast<int>(g_delayedTasks * scale);
    }
  }
  const Clock::time_point benchStart = Clock::now();

  const double perPass = NativeCallsPerPassMicroseconds(20000);
  int uiImmediate = g_immediateTasks;
  if (!full) {
    const double fits = kUISecondsPerRun * 1e6 / perPass;
    if (fits < uiImmediate) uiImmediate = fits < 10000 ? 10000 : static_cast<int>(fits);
  }
  const int uiDelayedTasks =
      static_cast<int>(static_cast<int64_t>(g_delayedTasks) * uiImmediate / g_immediateTasks);

  const Result baseSame = BaselineSameThread();
  const Result plainSame = LoopSameThread(kbase::kPlainLoop, g_immediateTasks);
  const Result uiSame = LoopSameThread(kbase::kUILoop, uiImmediate);
  const Result baseCross = BaselineCrossThread();
  const Result plainCross = LoopCrossThread(kbase::kPlainLoop, g_immediateTasks);
  const Result uiCross = LoopCrossThread(kbase::kUILoop, uiImmediate);
  const Result baseDelayed = BaselineDelayed();
  const Result plainDelayed = LoopDelayed(kbase::kPlainLoop, g_delayedTasks);
  const Result uiDelayed = LoopDelayed(kbase::kUILoop, uiDelayedTasks);

  std::printf("Task loop throughput in tasks per second; ratio = loop rate / baseline rate.\n");
  std::printf("Baseline: std::mutex + std::deque + std::condition_variable, same work.\n");
  std::printf(
      "Plain loop: MessageLoop with its event pump. UI loop: UIMessageLoop with its "
      "window-message pump%s.\n\n",
      uiImmediate < g_immediateTasks ? " (fewer tasks, see below)" : "");
  std::printf("%-30s %9s %12s %12s %6s  %8s %9s %6s\n", "workload", "tasks", "baseline",
              "plain loop", "ratio", "UI tasks", "UI loop", "ratio");
  PrintRow("same thread, immediate", RatesOf(baseSame, g_immediateTasks),
           RatesOf(plainSame, g_immediateTasks), RatesOf(uiSame, uiImmediate));
  PrintRow("cross thread, through proxy", RatesOf(baseCross, g_immediateTasks),
           RatesOf(plainCross, g_immediateTasks), RatesOf(uiCross, uiImmediate));
  char label[64];
  std::snprintf(label, sizeof(label), "delayed, 0-%lld ms spread",
                static_cast<long long>(kDelaySpread / 1000));
  PrintRow(label, RatesOf(baseDelayed, g_delayedTasks), RatesOf(plainDelayed, g_delayedTasks),
           RatesOf(uiDelayed, uiDelayedTasks));

  std::printf(
      "\nWake-ups during the cross-thread runs: plain loop %u event signals for %d "
      "tasks; UI loop %u wake messages for %d tasks.\n",
      plainCross.wakes, g_immediateTasks, uiCross.wakes, uiImmediate);
  std::printf(
      "UI loop cost per task: same thread %.2f us, cross thread %.2f us; native calls "
      "of one pass (GetQueueStatus + PeekMessageW): %.2f us; per task / per pass: %.2f "
      "and %.2f.\n",
      1e6 / uiSame.Rate(uiImmediate), 1e6 / uiCross.Rate(uiImmediate), perPass,
      1e6 / uiSame.Rate(uiImmediate) / perPass, 1e6 / uiCross.Rate(uiImmediate) / perPass);
  if (uiImmediate < g_immediateTasks) {
    std::printf(
        "The UI loop ran %d immediate and %d delayed tasks per run, what fits in about "
        "%.0f s at the measured cost of a pass; --full runs it with %d and %d.\n",
        uiImmediate, uiDelayedTasks, kUISecondsPerRun, g_immediateTasks, g_delayedTasks);
  }
  std::printf("Total time %.1f s.\n", SecondsSince(benchStart));
  return 0;
}
