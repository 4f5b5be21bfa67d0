#include "runtime/thread_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "runtime/framework_thread.h"
#include "runtime/message_loop.h"
#include "runtime/message_loop_proxy.h"
#include "runtime/tick_time.h"
#include "scripted_thread.h"

namespace {

using kbase::FrameworkThread;
using kbase::kMainThreadId;
using kbase::MessageLoop;
using kbase::ThreadRegistry;

using loop_test::ScriptedThread;

// Runs `body` as the only task of a framework thread on the calling thread.
void RunInThreadBody(ScriptedThread& thread, std::function<void()> body) {
  thread.onStart = [&thread, body] {
    MessageLoop::Current()->Post([&thread, body] {
      body();
      thread.Stop();
    });
  };
  thread.RunHere(kbase::kPlainLoop);
}

TEST(ThreadRegistryTest, RegisterTwiceNeedsTwoUnregisters) {
  ScriptedThread thread;
  RunInThreadBody(thread, [&] {
    EXPECT_EQ(ThreadRegistry::CurrentId(), -1);
    EXPECT_TRUE(ThreadRegistry::Register(5));
    EXPECT_TRUE(ThreadRegistry::Register(5));
    EXPECT_EQ(ThreadRegistry::CurrentId(), 5);
    EXPECT_EQ(ThreadRegistry::FindThread(5), &thread);
    EXPECT_TRUE(ThreadRegistry::Unregister());
    EXPECT_EQ(ThreadRegistry::FindThread(5), &thread);  // one registration left
    EXPECT_EQ(ThreadRegistry::CurrentId(), 5);
    EXPECT_TRUE(ThreadRegistry::Unregister());
    EXPECT_EQ(ThreadRegistry::FindThread(5), nullptr);
    EXPECT_EQ(ThreadRegistry::CurrentId(), -1);
    EXPECT_FALSE(ThreadRegistry::Unregister());  // nothing left to undo
  });
}

TEST(ThreadRegistryTest, ThreadsWithoutAFrameworkBodyCannotRegister) {
  EXPECT_EQ(ThreadRegistry::CurrentId(), -1);
  EXPECT_FALSE(ThreadRegistry::Register(6));
  EXPECT_FALSE(ThreadRegistry::Unregister());
  EXPECT_EQ(ThreadRegistry::FindThread(6), nullptr);
  int32_t idElsewhere = 0;
  std::thread([&] { idElsewhere = ThreadRegistry::CurrentId(); }).join();
  EXPECT_EQ(idElsewhere, -1);
}

TEST(ThreadRegistryTest, IdentifierHeldByAnotherThreadIsRefused) {
  HANDLE registered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {
    ScriptedThread holder;
    RunInThreadBody(holder, [&] {
      ThreadRegistry::Register(7);
      SetEvent(registered);
      WaitForSingleObject(release, INFINITE);
      ThreadRegistry::Unregister();
    });
  });
  WaitForSingleObject(registered, INFINITE);
  ScriptedThread thread;
  RunInThreadBody(thread, [&] {
    EXPECT_FALSE(ThreadRegistry::Register(7));
    EXPECT_EQ(ThreadRegistry::CurrentId(), -1);
    EXPECT_NE(ThreadRegistry::FindThread(7), &thread);
    EXPECT_TRUE(ThreadRegistry::Register(8));
    EXPECT_FALSE(ThreadRegistry::Register(9));  // one identifier per thread
    EXPECT_EQ(ThreadRegistry::FindThread(9), nullptr);
    EXPECT_TRUE(ThreadRegistry::Unregister());
  });
  SetEvent(release);
  other.join();
  CloseHandle(registered);
  CloseHandle(release);
}

TEST(ThreadRegistryTest, PostToThreadOnlyWhileTheThreadIsRegistered) {
  auto token = std::make_shared<int>(0);
  EXPECT_FALSE(ThreadRegistry::PostToThread(kMainThreadId, [token] { ++*token; }));
  EXPECT_FALSE(ThreadRegistry::PostToThreadAfter([token] { ++*token; }, 1000));
  EXPECT_EQ(token.use_count(), 1);  // refused tasks are destroyed at once
  EXPECT_EQ(ThreadRegistry::LoopProxyOf(kMainThreadId), nullptr);

  ScriptedThread thread;
  std::atomic<int> ran{0};
  std::thread poster;
  thread.onStart = [&] {
    EXPECT_TRUE(ThreadRegistry::Register(kMainThreadId));
    EXPECT_EQ(ThreadRegistry::CurrentId(), kMainThreadId);
    poster = std::thread([&] {
      EXPECT_TRUE(ThreadRegistry::PostToThread(kMainThreadId, [&] { ++ran; }));
      EXPECT_TRUE(ThreadRegistry::PostToThreadAfter(
          [&] {
            ++ran;
            thread.Stop();
          },
          5 * 1000));
    });
  };
  thread.onEnd = [&] {
    poster.join();
    EXPECT_TRUE(ThreadRegistry::Unregister());
    EXPECT_FALSE(ThreadRegistry::PostToThread(kMainThreadId, [token] { ++*token; }));
  };
  thread.RunHere(kbase::kUILoop);
  EXPECT_EQ(ran.load(), 2);
  EXPECT_EQ(*token, 0);
}

TEST(ThreadRegistryTest, LoopProxyOfFollowsTheRunningLoop) {
  ScriptedThread thread;
  std::shared_ptr<kbase::MessageLoopProxy> proxy;
  RunInThreadBody(thread, [&] {
    ASSERT_TRUE(ThreadRegistry::Register(11));
    proxy = ThreadRegistry::LoopProxyOf(11);
    EXPECT_EQ(proxy, MessageLoop::Current()->Proxy());
    EXPECT_TRUE(ThreadRegistry::Unregister());
  });
  ASSERT_NE(proxy, nullptr);
  EXPECT_FALSE(proxy->Post([] {}));  // the loop is gone
}

TEST(ThreadRegistryTest, RegistrationLeftBehindEndsWithTheThreadBody) {
  ScriptedThread thread;
  RunInThreadBody(thread, [&] { EXPECT_TRUE(ThreadRegistry::Register(12)); });
  EXPECT_EQ(ThreadRegistry::FindThread(12), nullptr);
  EXPECT_FALSE(ThreadRegistry::PostToThread(12, [] {}));
}

}  // namespace
