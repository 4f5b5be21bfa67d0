#include "runtime/framework_thread.h"
#include "scripted_thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/message_loop_proxy.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_message_loop.h"
#include "test_window.h"

namespace {

using kbase::FrameworkThread;
using kbase::MessageLoop;
using kbase::ThreadRegistry;

using loop_test::ScriptedThread;

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

TEST_P(FrameworkThreadTest, StopWithoutARunningLoopDoesNothing) {
  thread.Stop();
  bool ran = false;
  thread.onStart = [&] {
    MessageLoop::Current()->Post([&] {
      ran = true;
      thread.Stop();  // the earlier Stop must not have left the thread "stopping"
    });
  };
  thread.RunHere(GetParam());
  EXPECT_TRUE(ran);
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
