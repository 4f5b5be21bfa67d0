#include "runtime/weak_callback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

class Counter : public kbase::SupportWeakCallback {
 public:
  bool Add(int amount) {
    total += amount;
    return true;
  }
  void Bump() { ++total; }
  int total = 0;
};

// Owners in this system often derive from the base virtually.
class VirtualOwner : public virtual kbase::SupportWeakCallback {
 public:
  int calls = 0;
};

TEST(WeakCallbackTest, RunsWhileOwnerLivesAndPassesArgumentsAndResult) {
  Counter counter;
  auto add = counter.MakeWeak(std::bind(&Counter::Add, &counter, std::placeholders::_1));
  EXPECT_TRUE(add.IsAlive());
  EXPECT_TRUE(add(5));
  EXPECT_TRUE(add(2));
  EXPECT_EQ(counter.total, 7);
}

TEST(WeakCallbackTest, DiesWithOwnerAndReturnsDefaultResult) {
  auto counter = std::make_unique<Counter>();
  auto add = counter->MakeWeak(std::bind(&Counter::Add, counter.get(), std::placeholders::_1));
  auto bump = counter->MakeWeak([raw = counter.get()] { raw->Bump(); });
  counter.reset();
  EXPECT_FALSE(add.IsAlive());
  EXPECT_FALSE(add(1));  // would touch freed memory if it ran
  bump();
}

TEST(WeakCallbackTest, CopiesShareTheFlagAndDieTogether) {
  auto counter = std::make_unique<Counter>();
  auto original = counter->MakeWeak([raw = counter.get()] { raw->Bump(); });
  std::vector<decltype(original)> copies(3, original);
  copies[0]();
  copies[2]();
  EXPECT_EQ(counter->total, 2);
  counter.reset();
  for (const auto& copy : copies) EXPECT_FALSE(copy.IsAlive());
  EXPECT_FALSE(original.IsAlive());
}

TEST(WeakCallbackTest, MovedFromCallbackLosesItsFlag) {
  Counter counter;
  auto source = counter.MakeWeak([&counter] { counter.Bump(); });
  auto target = std::move(source);
  EXPECT_TRUE(target.IsAlive());
  EXPECT_FALSE(
      source.IsAlive());  // NOLINT(bugprone-use-after-move): the moved-from state is the point
  target();
  EXPECT_EQ(counter.total, 1);
}

TEST(WeakCallbackTest, CallbacksOfOneOwnerShareOneFlag) {
  Counter counter;
  auto first = counter.WeakFlagOf();
  auto second = counter.WeakFlagOf();
  EXPECT_FALSE(first.owner_before(second) || second.owner_before(first));
}

TEST(WeakCallbackTest, CopyOfOwnerGetsItsOwnFlag) {
  auto counter = std::make_unique<Counter>();
  Counter copy = *counter;
  auto of_copy = copy.MakeWeak([&copy] { copy.Bump(); });
  counter.reset();
  EXPECT_TRUE(of_copy.IsAlive());
}

TEST(WeakCallbackTest, WorksThroughVirtualBase) {
  auto owner = std::make_unique<VirtualOwner>();
  auto call = owner->MakeWeak([raw = owner.get()] { ++raw->calls; });
  call();
  EXPECT_EQ(owner->calls, 1);
  owner.reset();
  call();
  EXPECT_FALSE(call.IsAlive());
}

class WeakCallbackFlagTest : public ::testing::Test {
 protected:
  Counter counter;
  kbase::WeakCallbackFlag timers;

  // What a control does for a timer: the flag of the group, the call bound to itself.
  std::function<void()> MakeTimerCallback() {
    auto flag = timers.WeakFlagOf();
    auto call = counter.MakeWeak([this] { counter.Bump(); });
    return [flag, call] {
      if (!flag.expired()) call();
    };
  }
};

TEST_F(WeakCallbackFlagTest, RevokeStopsEarlierCallbacksAndLaterOnesRun) {
  auto before = MakeTimerCallback();
  before();
  EXPECT_EQ(counter.total, 1);

  auto old_flag = timers.WeakFlagOf();
  timers.Revoke();
  EXPECT_TRUE(old_flag.expired());
  before();
  EXPECT_EQ(counter.total, 1);

  auto after = MakeTimerCallback();
  after();
  before();
  EXPECT_EQ(counter.total, 2);
}

TEST_F(WeakCallbackFlagTest, FlagAfterRevokeIsNewAndAlive) {
  auto old_flag = timers.WeakFlagOf();
  timers.Revoke();
  auto new_flag = timers.WeakFlagOf();
  EXPECT_FALSE(new_flag.expired());
  EXPECT_TRUE(old_flag.expired());
  EXPECT_TRUE(old_flag.owner_before(new_flag) || new_flag.owner_before(old_flag));
}

TEST_F(WeakCallbackFlagTest, RevokeWithoutFlagIsHarmless) {
  timers.Revoke();
  timers.Revoke();
  EXPECT_FALSE(timers.WeakFlagOf().expired());
}

TEST(WeakCallbackThreadTest, CopiedAndCalledOnOtherThreadsWhileOwnerLives) {
  Counter counter;
  std::atomic<int> calls{0};
  auto call = counter.MakeWeak([&calls] { calls.fetch_add(1); });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([call] {
      for (int i = 0; i < 10000; ++i) {
        auto copy = call;
        copy();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(calls.load(), 40000);
}

TEST(WeakCallbackThreadTest, CopiesOnOtherThreadsSeeTheOwnerDie) {
  auto counter = std::make_unique<Counter>();
  std::atomic<int> warm_calls{0};
  std::atomic<bool> owner_gone{false};
  std::atomic<int> calls_after_death{0};
  auto call = counter->MakeWeak([](int* calls) { ++*calls; });
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([call, &owner_gone, &warm_calls, &calls_after_death] {
      int calls = 0;
      while (!owner_gone.load()) {
        auto copy = call;
        copy(&calls);
        warm_calls.fetch_add(1);
      }
      // The owner died before this thread saw the signal: no copy may run any more.
      calls = 0;
      for (int i = 0; i < 1000; ++i) {
        auto copy = call;
        copy(&calls);
      }
      calls_after_death.fetch_add(calls);
    });
  }
  while (warm_calls.load() < 1000) std::this_thread::yield();
  counter.reset();
  owner_gone = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(calls_after_death.load(), 0);
  EXPECT_FALSE(call.IsAlive());
}

}  // namespace
