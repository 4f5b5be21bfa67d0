#include "runtime/framework_thread.h"
#include "scripted_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "modal_test_util.h"
#include "runtime/message_loop_proxy.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_message_loop.h"
#include "test_window.h"

namespace {

using kbase::FrameworkThread;
using kbase::MessageLoop;
using kbase::ThreadRegistry;

using loop_test::Flooder;
using loop_test::ScriptedThread;
using loop_test::SpinFor;
using loop_test::Watchdog;
using namespace std::chrono_literals;

// How long a lost stop may keep a run going before the test ends it itself.
constexpr auto kFallback = 15s;

class TaskCounter : public MessageLoop::TaskObserver {
 public:
  void BeforeTask() override { ++tasks; }
  void AfterTask() override {}
  int tasks = 0;
};

class FrameworkThreadTest : public ::testing::TestWithParam<kbase::LoopKind> {
 protected:
  void TearDown() override { DrainQueue(); }
  ScriptedThread thread;
  std::vector<std::string> order;
};

TEST_P(FrameworkThreadTest, BodyRunsTheHooksAroundALoopOfTheAskedKind) {
  MessageLoop* loopAtStart = nullptr;
  thread.onStart = [&] {
    loopAtStart = MessageLoop::Current();
    order.push_back("start");
    ASSERT_NE(loopAtStart, nullptr);
    EXPECT_EQ(loopAtStart, thread.loop());
    EXPECT_EQ(loopAtStart->kind(), GetParam());
    EXPECT_EQ(thread.NativeId(), GetCurrentThreadId());
    loopAtStart->Post([&] {
      order.push_back("task");
      thread.Stop();
    });
  };
  thread.onEnd = [&] {
    order.push_back("end");
    EXPECT_EQ(MessageLoop::Current(), loopAtStart);  // the loop still exists
  };
  thread.RunHere(GetParam());
  EXPECT_EQ(order, (std::vector<std::string>{"start", "task", "end"}));
  EXPECT_EQ(thread.loop(), nullptr);
  EXPECT_EQ(MessageLoop::Current(), nullptr);
  EXPECT_EQ(thread.NativeId(), 0u);
  EXPECT_EQ(thread.name(), "ScriptedThread");
}

TEST_P(FrameworkThreadTest, StopTwicePostsOneQuitTaskAndReadyTasksRunFirst) {
  TaskCounter counter;
  thread.onStart = [&] {
    MessageLoop* loop = MessageLoop::Current();
    loop->AddTaskObserver(&counter);
    for (int i = 0; i < 3; ++i)
      loop->Post([&, i] { order.push_back("before " + std::to_string(i)); });
    thread.Stop();
    thread.Stop();
    loop->Post([&] { order.push_back("after stop"); });
    loop->PostAfter([&] { order.push_back("timed, due at once"); }, 0);
  };
  thread.onEnd = [&] { MessageLoop::Current()->RemoveTaskObserver(&counter); };
  thread.RunHere(GetParam());
  EXPECT_EQ(order, (std::vector<std::string>{"before 0", "before 1", "before 2", "after stop",
                                             "timed, due at once"}));
  EXPECT_EQ(counter.tasks, 6);  // five tasks and a single quit task
}

TEST_P(FrameworkThreadTest, StopFromAnotherThreadEndsTheRun) {
  std::thread stopper;
  std::atomic<bool> stopped{false};
  thread.onStart = [&] {
    MessageLoop::Current()->Post([&] {
      stopper = std::thread([&] {
        thread.Stop();
        stopped = true;
      });
    });
  };
  // Nothing else ends this run: returning at all shows that the stop arrived.
  thread.RunHere(GetParam());
  stopper.join();
  EXPECT_TRUE(stopped.load());
  EXPECT_EQ(thread.loop(), nullptr);
}

TEST_P(FrameworkThreadTest, StopBeforeTheLoopExistsIsHonouredOnceItRuns) {
  // Stopped before RunHere on this thread, and stopped from here while another thread
  // may still be making its loop.
  for (const bool runElsewhere : {false, true}) {
    SCOPED_TRACE(runElsewhere ? "run on another thread" : "run here after the stop");
    ScriptedThread early;
    bool ran = false;
    early.onStart = [&] { MessageLoop::Current()->Post([&] { ran = true; }); };
    // Only a second Stop would end a run whose first one was lost.
    Watchdog fallback(kFallback, [&] { early.Stop(); });
    if (runElsewhere) {
      std::thread runner([&] { early.RunHere(GetParam()); });
      early.Stop();
      runner.join();
    } else {
      early.Stop();
      early.RunHere(GetParam());
    }
    fallback.Cancel();
    EXPECT_FALSE(fallback.fired());
    EXPECT_TRUE(ran);  // what was ready when the loop started still ran

    // The stop belonged to that run: the next one runs until stopped again.
    std::vector<std::string> second;
    early.onStart = [&] {
      MessageLoop::Current()->Post([&] {
        second.push_back("task");
        MessageLoop::Current()->Post([&] {
          second.push_back("later task");
          early.Stop();
        });
      });
    };
    early.RunHere(GetParam());
    EXPECT_EQ(second, (std::vector<std::string>{"task", "later task"}));
  }
}

TEST_P(FrameworkThreadTest, StopTakesEffectWhileAnotherThreadKeepsTheLoopBusy) {
  // The flood never lets the loop become idle; it ends by itself only after this long.
  constexpr auto kFloodLength = 25s;
  // How long a stop may take here: the tasks queued ahead of it (at most kAhead of 20 us
  // each, plus each one's pass of the loop) and the quit's grace; far below kFloodLength.
  constexpr auto kStopBound = 10s;
  constexpr int kAhead = 2000;
  std::unique_ptr<Flooder> flooder;
  std::thread stopper;
  std::chrono::steady_clock::time_point stoppedAt;
  thread.onStart = [&] {
    flooder = std::make_unique<Flooder>(
        thread.LoopProxy(), kAhead, [] { SpinFor(20us); }, kFloodLength);
    stopper = std::thread([&] {
      loop_test::WaitUntil([&] { return flooder->ran() > 500; }, kFloodLength);
      stoppedAt = std::chrono::steady_clock::now();
      thread.Stop();
    });
  };
  thread.RunHere(GetParam());
  const auto stopTook = std::chrono::steady_clock::now() - stoppedAt;
  const bool floodStillGoing = !flooder->Expired();
  stopper.join();
  flooder->Stop();
  EXPECT_TRUE(floodStillGoing);
  EXPECT_LT(stopTook, kStopBound);
}

INSTANTIATE_TEST_SUITE_P(BothLoops, FrameworkThreadTest,
                         ::testing::Values(kbase::kPlainLoop, kbase::kUILoop),
                         [](const auto& info) {
                           return info.param == kbase::kUILoop ? "UILoop" : "PlainLoop";
                         });

TEST(FrameworkThreadUILoopTest, QuitMessageEndsTheMainRun) {
  ScriptedThread thread;
  thread.onStart = [] { MessageLoop::Current()->Post([] { PostQuitMessage(0); }); };
  thread.RunHere(kbase::kUILoop);
  EXPECT_TRUE(DrainQueue());
}

TEST(FrameworkThreadUILoopTest, DispatcherIsHandedToTheRun) {
  class Dispatcher : public kbase::WinMessagePump::Dispatcher {
   public:
    bool Forward(const MSG& message) override {
      forwarded.push_back(message.message);
      return message.message != WM_APP;
    }
    std::vector<UINT> forwarded;
  } dispatcher;
  ScriptedThread thread;
  TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
  thread.onStart = [&] { MessageLoop::Current()->Post([&] { window.Post(WM_APP); }); };
  thread.RunHere(kbase::kUILoop, &dispatcher);
  EXPECT_EQ(dispatcher.forwarded, (std::vector<UINT>{WM_APP}));
}

}  // namespace
