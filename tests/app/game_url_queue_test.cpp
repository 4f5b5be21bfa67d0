// The start window's queue of game addresses: added on another thread, woken by a message
// that carries nothing, bounded, and nothing left behind when the wake fails.

#include "app/game_url_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(GameUrlQueueTest, KeepsTheAddressesInOrderUntilTaken) {
  GameUrlQueue queue;
  int wakes = 0;
  auto wake = [&] { return ++wakes > 0; };
  EXPECT_TRUE(queue.Add(L"a?m=game", wake));
  EXPECT_TRUE(queue.Add(L"b?m=game", wake));
  EXPECT_EQ(wakes, 2);
  EXPECT_EQ(queue.TakeAll(), (std::deque<std::wstring>{L"a?m=game", L"b?m=game"}));
  EXPECT_TRUE(queue.TakeAll().empty());
}

TEST(GameUrlQueueTest, AFailedWakeTakesItsAddressBackAndLeavesOthers) {
  GameUrlQueue queue;
  EXPECT_TRUE(queue.Add(L"first", [] { return true; }));
  EXPECT_FALSE(queue.Add(L"lost", [] { return false; }));
  EXPECT_FALSE(queue.Add(L"no wake", nullptr));
  EXPECT_EQ(queue.TakeAll(), std::deque<std::wstring>{L"first"});
  // Taken while the wake was still on its way: nothing to take back, nothing else lost.
  EXPECT_TRUE(queue.Add(L"x", [] { return true; }));
  EXPECT_FALSE(queue.Add(L"taken", [&] {
    queue.TakeAll();
    queue.Add(L"later", [] { return true; });
    return false;
  }));
  EXPECT_EQ(queue.TakeAll(), std::deque<std::wstring>{L"later"});
}

TEST(GameUrlQueueTest, HoldsOnlyAFewAddressesAtATime) {
  GameUrlQueue queue;
  auto wake = [] { return true; };
  for (size_t i = 0; i < GameUrlQueue::kMostPending; ++i) EXPECT_TRUE(queue.Add(L"u", wake));
  EXPECT_FALSE(queue.Add(L"one too many", wake));
  EXPECT_EQ(queue.Pending(), GameUrlQueue::kMostPending);
  queue.TakeAll();
  EXPECT_TRUE(queue.Add(L"again", wake));
}

TEST(GameUrlQueueTest, AddsFromOtherThreadsWhileTheOwnerTakes) {
  GameUrlQueue queue;
  std::atomic<int> accepted{0};
  std::atomic<int> finished{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        if (queue.Add(std::to_wstring(t * 1000 + i), [] { return true; })) ++accepted;
      }
      ++finished;
    });
  }
  size_t taken = 0;
  while (finished.load() < 4) {
    taken += queue.TakeAll().size();
    EXPECT_LE(queue.Pending(), GameUrlQueue::kMostPending);
  }
  for (auto& thread : threads) thread.join();
  taken += queue.TakeAll().size();
  EXPECT_GT(accepted.load(), 0);
  EXPECT_EQ(static_cast<int>(taken), accepted.load());
}

}  // namespace
