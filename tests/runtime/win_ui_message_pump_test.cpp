#include "runtime/win_ui_message_pump.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "loop_test_util.h"
#include "modal_test_util.h"
#include "runtime/message_loop_proxy.h"
#include "runtime/ui_message_loop.h"
#include "test_window.h"

namespace {

using kbase::MessageLoop;
using kbase::TickTime;
using kbase::UIMessageLoop;
using kbase::WinUIMessagePump;
using loop_test::FindDialogOfThisThread;

constexpr UINT kTestMessage = WM_APP + 1;

class WinUIMessagePumpTest : public ::testing::Test {
 protected:
  void TearDown() override {
    loop.reset();
    DrainQueue();
  }

  WinUIMessagePump* pump() { return loop->UIPump(); }

  std::unique_ptr<UIMessageLoop> loop = std::make_unique<UIMessageLoop>();
};

TEST_F(WinUIMessagePumpTest, WakesThroughAMessageOnlyWindowOfItsOwnClass) {
  HWND window = reinterpret_cast<HWND>(pump()->window());
  ASSERT_TRUE(IsWindow(window));
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_STREQ(className, L"CorvaneMessagePumpWindow");
  EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"CorvaneMessagePumpWindow", nullptr), window);
  loop.reset();
  EXPECT_FALSE(IsWindow(window));
}

// Counts wake messages as the thread takes them out of its queue, independently of the
// pump's own bookkeeping.
class WakeMessageCounter {
 public:
  explicit WakeMessageCounter(HWND pumpWindow) {
    pumpWindow_ = pumpWindow;
    taken_ = 0;
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, &Hook, nullptr, GetCurrentThreadId());
  }
  ~WakeMessageCounter() { UnhookWindowsHookEx(hook_); }
  int taken() const { return taken_; }
  bool installed() const { return hook_ != nullptr; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        message->message == WinUIMessagePump::kWakeMessage && message->hwnd == pumpWindow_) {
      ++taken_;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline HWND pumpWindow_ = nullptr;
  static inline int taken_ = 0;
  HHOOK hook_ = nullptr;
};

TEST_F(WinUIMessagePumpTest, FloodFromAnotherThreadWhileTheThreadWaitsQueuesOneWakeMessage) {
  constexpr int kFlood = 5000;
  WakeMessageCounter counter(reinterpret_cast<HWND>(pump()->window()));
  ASSERT_TRUE(counter.installed());
  const auto proxy = loop->Proxy();
  int ran = 0;
  uint32_t postedBeforeFlood = 0;
  uint32_t postedByFlood = 0;
  loop->Post([&] {
    // This thread takes no messages until the other one is done: every post lands while
    // it waits, as it would while the pump sleeps.
    postedBeforeFlood = pump()->WakeMessagesPosted();
    std::thread([&] {
      for (int i = 0; i < kFlood; ++i) {
        proxy->Post([&] {
          if (++ran == kFlood) loop->QuitWhenIdle();
        });
      }
    }).join();
    postedByFlood = pump()->WakeMessagesPosted() - postedBeforeFlood;
  });
  loop->Run();
  EXPECT_EQ(ran, kFlood);
  EXPECT_EQ(postedByFlood, 1u);
  // One for the first post, one for the whole flood: and each was taken exactly once.
  EXPECT_EQ(pump()->WakeMessagesPosted(), 2u);
  EXPECT_EQ(counter.taken(), 2);
}

TEST_F(WinUIMessagePumpTest, WakeMessageSeenWithoutARunOnlyClearsTheWakeFlag) {
  bool ran = false;
  loop->Post([&] { ran = true; });
  EXPECT_EQ(pump()->WakeMessagesPosted(), 1u);
  pump()->WakeForWork();  // a wake-up is in flight: nothing more is posted
  EXPECT_EQ(pump()->WakeMessagesPosted(), 1u);
  // A foreign loop dispatches the wake message while the loop is not running.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_FALSE(ran);
  pump()->WakeForWork();
  EXPECT_EQ(pump()->WakeMessagesPosted(), 2u);
  RunUntilIdle(*loop);
  EXPECT_TRUE(ran);
}

struct TimerCase {
  const char* name;
  int64_t delay;       // microseconds
  uint32_t overdueBy;  // milliseconds the clock moves on before the loop sees the task
  uint32_t expectedInterval;
};

void PrintTo(const TimerCase& value, std::ostream* out) {
  *out << value.name;
}

class TimerIntervalTest : public WinUIMessagePumpTest,
                          public ::testing::WithParamInterface<TimerCase> {};

TEST_P(TimerIntervalTest, TimerIntervalIsClamped) {
  FakeClock clock(50000);
  loop->PostAfter([] {}, GetParam().delay);
  clock.Advance(GetParam().overdueBy);
  uint32_t interval = 0;
  loop->Post([&] {
    interval = pump()->LastTimerInterval();
    loop->QuitWhenIdle();
  });
  loop->Run();
  EXPECT_EQ(interval, GetParam().expectedInterval);
}

// A positive delay counts from the clock's next tick (a reading may be almost a tick old),
// so a task posted with a delay of d is d plus one millisecond away.
INSTANTIATE_TEST_SUITE_P(Delays, TimerIntervalTest,
                         ::testing::Values(TimerCase{"ThreeMilliseconds", 3000, 0, 10},
                                           TimerCase{"FiveSecondsAway", 5000 * 1000 - 1000, 0,
                                                     5000},
                                           TimerCase{"DelayOfFiveSeconds", 5000 * 1000, 0, 5001},
                                           TimerCase{"RoundedUp", 20 * 1000 + 1, 0, 22},
                                           TimerCase{"Overdue", 1000, 500, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WinUIMessagePumpTest, TasksKeepRunningWhileAForeignModalLoopPumps) {
  std::vector<std::string> order;
  int boxResult = 0;
  // Closes the box should the timed task never come.
  loop_test::Watchdog fallback(std::chrono::seconds(15),
                               loop_test::CloseBoxOf(GetCurrentThreadId(), IDCANCEL));
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != kTestMessage) return false;
    // Posted from native message handling, not from a task: the box's own loop is all
    // that pumps until it closes. (Under Wine without a window manager, hiding the box
    // takes about two seconds.)
    loop->Post([&] { order.push_back(FindDialogOfThisThread() ? "task, box open" : "task"); });
    loop->Post([&] { order.push_back(FindDialogOfThisThread() ? "task, box open" : "task"); });
    loop->PostAfter(
        [&] {
          HWND box = FindDialogOfThisThread();
          order.push_back(box ? "timed task closes box" : "timed task, no box");
          if (box) EndDialog(box, IDOK);
        },
        30 * 1000);
    boxResult = MessageBoxW(nullptr, L"Modal loop under test", L"Tarnwick test", MB_OK);
    order.push_back("box returned");
    loop->QuitWhenIdle();
    return true;
  });
  loop->Post([&] { window.Post(kTestMessage); });
  loop->Run();
  EXPECT_FALSE(fallback.fired());
  EXPECT_EQ(boxResult, IDOK);
  EXPECT_EQ(order, (std::vector<std::string>{"task, box open", "task, box open",
                                             "timed task closes box", "box returned"}));
}

TEST_F(WinUIMessagePumpTest, QuitMessageInsideATaskEndsTheNestedRunThenTheOuterOne) {
  std::vector<std::string> order;
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != kTestMessage) return false;
    loop->Post([&] {
      order.push_back("task in nested run, depth " + std::to_string(loop->RunDepth()));
      PostQuitMessage(7);
    });
    loop->Run();
    order.push_back("nested run returned");
    return true;
  });
  loop->Post([&] { window.Post(kTestMessage); });
  loop->Run();
  order.push_back("outer run returned");
  int quitCode = -1;
  EXPECT_TRUE(DrainQueue(&quitCode));  // reposted once more for any enclosing loop
  EXPECT_EQ(quitCode, 7);
  EXPECT_EQ(order, (std::vector<std::string>{"task in nested run, depth 2", "nested run returned",
                                             "outer run returned"}));
}

TEST_F(WinUIMessagePumpTest, NonNestableTaskWaitsForTheOutermostRun) {
  std::vector<std::string> order;
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != kTestMessage) return false;
    auto record = [&](std::string name) {
      return [&order, name, this] {
        order.push_back(name + " at depth " + std::to_string(loop->RunDepth()));
      };
    };
    loop->Post(record("nestable"));
    loop->PostNonNestable(record("non-nestable"));
    loop->PostAfter(record("timed nestable"), 0);
    loop->Post([&] { loop->QuitWhenIdle(); });
    loop->Run();
    order.push_back("nested run returned");
    loop->QuitWhenIdle();  // the outer run, whose frame is current again
    return true;
  });
  loop->Post([&] { window.Post(kTestMessage); });
  loop->Run();
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[0], "nestable at depth 2");
  EXPECT_EQ(order[1], "timed nestable at depth 2");
  EXPECT_EQ(order[2], "nested run returned");
  EXPECT_EQ(order[3], "non-nestable at depth 1");
}

// Forwards like the pump would, and answers false for one message.
class StoppingDispatcher : public kbase::WinMessagePump::Dispatcher {
 public:
  explicit StoppingDispatcher(UINT stopAt) : stopAt_(stopAt) {}
  bool Forward(const MSG& message) override {
    seen.push_back(message.message);
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return message.message != stopAt_;
  }
  std::vector<UINT> seen;

 private:
  UINT stopAt_;
};

TEST_F(WinUIMessagePumpTest, DispatcherAnsweringFalseEndsTheRunAfterThatMessage) {
  std::vector<UINT> handled;
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message < WM_APP) return false;
    handled.push_back(message);
    return true;
  });
  StoppingDispatcher dispatcher(WM_APP + 2);
  bool taskRan = false;
  loop->Post([&] {
    taskRan = true;
    window.Post(WM_APP + 1);
    window.Post(WM_APP + 2);
    window.Post(WM_APP + 3);
  });
  loop->Run(&dispatcher);
  EXPECT_TRUE(taskRan);
  EXPECT_EQ(dispatcher.seen, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));  // no wake message
  EXPECT_EQ(handled, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
  MSG left = {};
  EXPECT_TRUE(PeekMessageW(&left, window.handle(), 0, 0, PM_REMOVE));
  EXPECT_EQ(left.message, static_cast<UINT>(WM_APP + 3));
}

class RecordingUIObserver : public WinUIMessagePump::UIObserver {
 public:
  void BeforeMessage(const MSG& message) override { events.push_back({true, message.message}); }
  void AfterMessage(const MSG& message) override { events.push_back({false, message.message}); }
  std::vector<std::pair<bool, UINT>> events;
};

TEST_F(WinUIMessagePumpTest, ObserversSeeEveryDispatchedMessageButNoWakeMessage) {
  RecordingUIObserver observer;
  pump()->AddUIObserver(&observer);
  std::vector<std::string> order;
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != kTestMessage) return false;
    order.push_back("dispatched");
    return true;
  });
  loop->Post([&] { window.Post(kTestMessage); });
  RunUntilIdle(*loop);
  pump()->RemoveUIObserver(&observer);
  ASSERT_EQ(observer.events.size(), 2u);
  EXPECT_EQ(observer.events[0], std::make_pair(true, kTestMessage));
  EXPECT_EQ(observer.events[1], std::make_pair(false, kTestMessage));
  EXPECT_EQ(order, (std::vector<std::string>{"dispatched"}));
}

}  // namespace
