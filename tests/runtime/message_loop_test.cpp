#include "runtime/message_loop.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "loop_test_util.h"
#include "modal_test_util.h"
#include "runtime/message_loop_proxy.h"
#include "test_window.h"

namespace {

using kbase::LoopKind;
using kbase::MessageLoop;
using kbase::TickTime;

// Every ordering rule must hold whichever pump does the waiting.
class MessageLoopTest : public ::testing::TestWithParam<LoopKind> {
 protected:
  void SetUp() override { loop = MakeLoop(GetParam()); }
  void TearDown() override {
    loop.reset();
    DrainQueue();
  }

  kbase::Task Record(std::string name) {
    return [this, name] { order.push_back(name); };
  }

  std::unique_ptr<MessageLoop> loop;
  std::vector<std::string> order;
};

TEST_P(MessageLoopTest, LoopIsTheThreadsCurrentLoopWhileItLives) {
  EXPECT_EQ(MessageLoop::Current(), loop.get());
  EXPECT_EQ(loop->kind(), GetParam());
  loop.reset();
  EXPECT_EQ(MessageLoop::Current(), nullptr);
}

TEST_P(MessageLoopTest, ImmediateTasksRunInPostingOrderOnePerCall) {
  loop->Post(Record("A"));
  loop->Post(Record("B"));
  EXPECT_TRUE(loop->RunImmediateTasks());
  EXPECT_EQ(order, (std::vector<std::string>{"A"}));
  EXPECT_TRUE(loop->RunImmediateTasks());
  EXPECT_EQ(order, (std::vector<std::string>{"A", "B"}));
  EXPECT_FALSE(loop->RunImmediateTasks());

  order.clear();
  for (int i = 0; i < 50; ++i) loop->Post(Record(std::to_string(i)));
  RunUntilIdle(*loop);
  ASSERT_EQ(order.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], std::to_string(i));
}

TEST_P(MessageLoopTest, DelayZeroOnTheLoopGoesThroughTheTimedQueue) {
  loop->Post(Record("A"));
  loop->PostAfter(Record("T"), 0);
  loop->Post(Record("B"));
  RunUntilIdle(*loop);
  EXPECT_EQ(order, (std::vector<std::string>{"A", "B", "T"}));
}

TEST_P(MessageLoopTest, DelayZeroThroughTheProxyIsImmediate) {
  const auto proxy = loop->Proxy();
  loop->Post(Record("A"));
  EXPECT_TRUE(proxy->PostAfter(Record("T"), 0));
  loop->Post(Record("B"));
  RunUntilIdle(*loop);
  EXPECT_EQ(order, (std::vector<std::string>{"A", "T", "B"}));
}

TEST_P(MessageLoopTest, TaskPostedInsideATaskRunsAfterItReturns) {
  loop->Post([this] {
    order.push_back("outer begins");
    loop->Post(Record("inner"));
    loop->PostAfter(Record("inner timed"), 0);
    loop->PostNonNestable(Record("inner non-nestable"));
    order.push_back("outer ends");
  });
  RunUntilIdle(*loop);
  EXPECT_EQ(order, (std::vector<std::string>{"outer begins", "outer ends", "inner",
                                             "inner non-nestable", "inner timed"}));
}

TEST_P(MessageLoopTest, TimedTasksRunEarliestFirstAndEqualTimesInPostingOrder) {
  FakeClock clock(100000);
  loop->PostAfter(Record("3ms"), 3000);
  loop->PostAfter(Record("1ms first"), 1000);
  loop->PostNonNestableAfter(Record("2ms"), 2000);
  loop->PostAfter(Record("1ms second"), 1000);
  loop->PostAfter(Record("1ms third"), 1000);
  // Moves them into the timed queue while none is due yet.
  EXPECT_FALSE(loop->RunImmediateTasks());
  EXPECT_TRUE(order.empty());
  clock.Advance(5);
  RunUntilIdle(*loop);
  EXPECT_EQ(order,
            (std::vector<std::string>{"1ms first", "1ms second", "1ms third", "2ms", "3ms"}));
}

TEST_P(MessageLoopTest, TimedTaskWaitsUntilDueThenRunsWithoutFurtherPosts) {
  // Nothing else is posted: the pump must wake by itself when the task falls due.
  TickTime ranAt;
  const TickTime posted = TickTime::Now();
  loop->PostAfter(
      [&] {
        ranAt = TickTime::Now();
        loop->QuitWhenIdle();
      },
      30 * 1000);
  loop->Run();
  EXPECT_GE(ranAt - posted, 30 * 1000);
  EXPECT_LT(ranAt - posted, 10 * 1000 * 1000);  // generous: only guards against a hang
}

TEST_P(MessageLoopTest, QuitWhileAnotherThreadKeepsPostingRunsWhatWasQueuedThenEnds) {
  using namespace std::chrono_literals;
  // Together longer than the quit's grace, so the bound cannot cut them short by chance.
  constexpr int kQueued = 300;
  int queuedRan = 0;
  loop->Post([&] {
    for (int i = 0; i < kQueued; ++i) {
      loop->Post([&] {
        loop_test::SpinFor(1ms);
        ++queuedRan;
      });
    }
    loop->QuitWhenIdle();
  });
  // Never lets the loop become idle (its tasks are slower than its posts); it gives up by
  // itself only after this long.
  loop_test::Flooder flooder(
      loop->Proxy(), 500, [] { loop_test::SpinFor(20us); }, 30s);
  loop->Run();
  const bool floodStillGoing = !flooder.Expired();
  flooder.Stop();
  EXPECT_EQ(queuedRan, kQueued);
  EXPECT_TRUE(floodStillGoing);
}

int64_t PerformanceCounterMicroseconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return now.QuadPart * 1000000 / frequency.QuadPart;
}

TEST_P(MessageLoopTest, DelayedTasksNeverRunBeforeTheirDelayByAFinerClock) {
  // A loop kept busy looks at the clock on every pass, so a task runs the moment the
  // millisecond clock shows it due: the case in which a whole-millisecond clock would let
  // it run before its delay had passed.
  constexpr int kTasks = 150;
  constexpr int64_t kDelays[] = {1000, 1500, 3000};
  bool done = false;
  std::function<void()> keepBusy = [&] {
    if (!done) loop->Post(keepBusy);
  };
  int ran = 0;
  int early = 0;
  int64_t shortest = INT64_MAX;  // elapsed minus delay
  int64_t postedAt = 0;          // read after the post returned: the stricter end
  std::function<void()> postNext = [&] {
    const int64_t delay = kDelays[ran % 3];
    loop->PostAfter(
        [&, delay] {
          const int64_t margin = PerformanceCounterMicroseconds() - postedAt - delay;
          if (margin < 0) ++early;
          shortest = std::min(shortest, margin);
          if (++ran < kTasks) return postNext();
          done = true;
          loop->QuitWhenIdle();
        },
        delay);
    postedAt = PerformanceCounterMicroseconds();
  };
  loop->Post(keepBusy);
  postNext();
  loop->Run();
  EXPECT_EQ(ran, kTasks);
  EXPECT_EQ(early, 0) << "ran up to " << -shortest << " us early";
}

TEST_P(MessageLoopTest, ProxyRefusesEveryPostOnceTheLoopIsGone) {
  const auto proxy = loop->Proxy();
  EXPECT_TRUE(proxy->IsOnLoopThread());
  loop.reset();
  EXPECT_FALSE(proxy->IsOnLoopThread());
  auto token = std::make_shared<int>(0);
  kbase::Task task = [token] { ++*token; };
  EXPECT_FALSE(proxy->Post(task));
  EXPECT_FALSE(proxy->PostAfter(task, 1000));
  EXPECT_FALSE(proxy->PostNonNestable(task));
  EXPECT_FALSE(proxy->PostNonNestableAfter(task, 0));
  task = nullptr;
  EXPECT_EQ(token.use_count(), 1);  // each refused task was destroyed
  EXPECT_EQ(*token, 0);
}

TEST_P(MessageLoopTest, ProxyIsNotOnTheLoopThreadFromAnotherThread) {
  const auto proxy = loop->Proxy();
  bool elsewhere = true;
  std::thread([&] { elsewhere = proxy->IsOnLoopThread(); }).join();
  EXPECT_FALSE(elsewhere);
}

// Copies itself back into the loop whenever a live copy is destroyed unrun.
struct RepostingTask {
  int* reposts;
  bool live = true;

  RepostingTask(int* counter) : reposts(counter) {}
  RepostingTask(const RepostingTask& other) = default;
  RepostingTask(RepostingTask&& other) noexcept : reposts(other.reposts), live(other.live) {
    other.live = false;
  }
  ~RepostingTask() {
    if (!live) return;
    if (MessageLoop* current = MessageLoop::Current()) {
      ++*reposts;
      current->PostAfter(RepostingTask(reposts), 1000);
    }
  }
  void operator()() const {}
};

TEST_P(MessageLoopTest, LoopWhoseTasksRepostThemselvesOnDestructionStillGoesAway) {
  int reposts = 0;
  loop->PostAfter(RepostingTask(&reposts), 1000);
  reposts = 0;  // copies made while posting do not count
  loop.reset();
  EXPECT_EQ(reposts, 100);  // one per destruction pass, then the bound stops it
}

TEST_P(MessageLoopTest, TasksStillQueuedAtDestructionAreDestroyedWithoutRunning) {
  auto token = std::make_shared<int>(0);
  kbase::Task task = [token] { ++*token; };
  loop->PostAfter(task, 60 * 1000 * 1000);
  EXPECT_FALSE(loop->RunImmediateTasks());  // now in the timed queue
  loop->Post(task);
  loop->PostNonNestable(task);
  loop->PostAfter(task, 0);
  task = nullptr;
  EXPECT_EQ(token.use_count(), 5);
  loop.reset();
  EXPECT_EQ(token.use_count(), 1);
  EXPECT_EQ(*token, 0);
}

TEST_P(MessageLoopTest, PostsFromAnotherThreadThroughTheProxyAllRunInOrder) {
  constexpr int kCount = 2000;
  std::vector<int> seen;
  const auto proxy = loop->Proxy();
  std::thread producer;
  loop->Post([&] {
    producer = std::thread([&] {
      for (int i = 0; i < kCount; ++i) {
        proxy->Post([&, i] {
          seen.push_back(i);
          if (i == kCount - 1) loop->QuitWhenIdle();
        });
      }
    });
  });
  loop->Run();
  producer.join();
  ASSERT_EQ(seen.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(seen[i], i);
}

TEST_P(MessageLoopTest, PostsFromAnotherThreadWakeASleepingLoop) {
  // The gaps are far longer than the loop spins before it sleeps, so every post finds it
  // asleep; a lost wake-up hangs the test.
  constexpr int kPosts = 4;
  int ran = 0;
  const auto proxy = loop->Proxy();
  std::thread poster([&] {
    for (int i = 0; i < kPosts; ++i) {
      Sleep(30);
      proxy->Post([&] {
        if (++ran == kPosts) loop->QuitWhenIdle();
      });
    }
  });
  loop->Run();
  poster.join();
  EXPECT_EQ(ran, kPosts);
}

class CountingObserver : public MessageLoop::TaskObserver, public MessageLoop::DestructionObserver {
 public:
  void BeforeTask() override { events.push_back("before"); }
  void AfterTask() override { events.push_back("after"); }
  void LoopDestroying() override { events.push_back("destroying"); }
  std::vector<std::string> events;
};

TEST_P(MessageLoopTest, ObserversAreToldAroundEveryTaskAndAtDestruction) {
  CountingObserver observer;
  loop->AddTaskObserver(&observer);
  loop->AddDestructionObserver(&observer);
  loop->Post([&] {
    observer.events.push_back("task");
    loop->QuitWhenIdle();
  });
  loop->Run();
  loop->RemoveTaskObserver(&observer);
  loop.reset();
  EXPECT_EQ(observer.events, (std::vector<std::string>{"before", "task", "after", "destroying"}));
}

// Drives the plain loop's rules directly: a run that ends when no work is left, and
// that can start a nested run from outside any task, which a plain loop's own pump never
// does (all of its work is tasks, and no task runs inside another).
class ScriptedPump : public kbase::MessagePump {
 public:
  void RunLoop(Delegate* delegate) override {
    if (beforeFirstPass) {
      auto hook = std::move(beforeFirstPass);
      beforeFirstPass = nullptr;
      hook();
    }
    for (;;) {
      bool did = delegate->RunImmediateTasks();
      TickTime next;
      did |= delegate->RunDueTimedTask(&next);
      if (quit_) break;
      if (!did) did = delegate->RunIdleTask();
      if (quit_ || !did) break;
    }
    quit_ = false;
  }
  void RequestQuit() override { quit_ = true; }
  void WakeForWork() override {}
  void WakeAt(TickTime) override {}

  std::function<void()> beforeFirstPass;

 private:
  bool quit_ = false;
};

class ScriptedLoop : public MessageLoop {
 public:
  ScriptedLoop() : pump(std::make_shared<ScriptedPump>()) { ReplacePump(pump, kbase::kPlainLoop); }
  std::shared_ptr<ScriptedPump> pump;
};

TEST(PlainMessageLoopTest, NonNestableTaskWaitsForTheOutermostRun) {
  ScriptedLoop loop;
  std::vector<std::string> order;
  auto record = [&](std::string name) {
    return [&order, &loop, name] {
      order.push_back(name + " at depth " + std::to_string(loop.RunDepth()));
    };
  };
  loop.PostNonNestable(record("non-nestable"));
  loop.Post(record("nestable"));
  loop.PostNonNestableAfter(record("timed non-nestable"), 0);
  loop.pump->beforeFirstPass = [&] {
    loop.Run();
    order.push_back("nested run returned");
  };
  loop.Run();
  EXPECT_EQ(order,
            (std::vector<std::string>{"nestable at depth 2", "nested run returned",
                                      "non-nestable at depth 1", "timed non-nestable at depth 1"}));
}

TEST(PlainMessageLoopTest, RunStartedInsideATaskRunsNoTasks) {
  ScriptedLoop loop;
  std::vector<std::string> order;
  loop.Post([&] {
    loop.Post([&] { order.push_back("posted by the outer task"); });
    loop.Run();  // the scripted pump finds no work it may do and returns
    order.push_back("nested run returned");
  });
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"nested run returned", "posted by the outer task"}));
}

INSTANTIATE_TEST_SUITE_P(BothPumps, MessageLoopTest,
                         ::testing::Values(kbase::kPlainLoop, kbase::kUILoop),
                         [](const auto& info) { return LoopKindName(info.param); });

}  // namespace
