#include "ui/services/timer_queue.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/weak_callback.h"
#include "ui/services/multimedia_wake_timer.h"

namespace ui {
#include "common/message_counter.h"

namespace {

using Clock = std::chrono::steady_clock;

int MsSince(Clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Dispatches this thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto start = Clock::now();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (done()) return true;
    if (MsSince(start) >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

// The real multimedia timer, with every programming of it written down.
class RecordingWakeTimer : public WakeTimer {
 public:
  uint32_t Start(uint32_t periodMs, HWND__* window) override {
    const uint32_t id = real_.Start(periodMs, window);
    if (id != 0) {
      periods.push_back(periodMs);
      ++running;
    }
    return id;
  }
  void Stop(uint32_t id) override {
    real_.Stop(id);
    --running;
  }

  std::vector<uint32_t> periods;
  int running = 0;

 private:
  MultimediaWakeTimer real_;
};

class TimerQueueTest : public ::testing::Test {
 protected:
  TimerQueueTest() {
    auto wake = std::make_unique<RecordingWakeTimer>();
    wake_ = wake.get();
    queue_ = std::make_unique<TimerQueue>(std::move(wake));
  }

  bool Drained(int timeoutMs = 1000) {
    return PumpUntil([this] { return queue_->PendingCount() == 0 && wake_->running == 0; },
                     timeoutMs);
  }

  RecordingWakeTimer* wake_;
  std::unique_ptr<TimerQueue> queue_;
};

TEST_F(TimerQueueTest, RepeatingTimerFiresUntilItsFlagIsCancelled) {
  kbase::WeakCallbackFlag flag;
  int fired = 0;
  const auto start = Clock::now();
  ASSERT_TRUE(queue_->Schedule(
      flag, [&] { ++fired; }, 50, TimerQueue::kRepeatForever));
  ASSERT_EQ(wake_->periods, std::vector<uint32_t>{16});

  ASSERT_TRUE(PumpUntil([&] { return fired == 4; }, 2000));
  const int elapsed = MsSince(start);
  EXPECT_GE(elapsed, 4 * 50);
  EXPECT_LE(elapsed, 4 * (50 + 16) + 250);

  flag.Revoke();
  const int firedBeforeCancel = fired;
  EXPECT_TRUE(Drained());
  PumpFor(100);
  EXPECT_EQ(fired, firedBeforeCancel);
  EXPECT_EQ(wake_->running, 0);
}

struct RepeatCase {
  int repeatCount;
  int expectedFirings;
};

class TimerRepeatTest : public TimerQueueTest, public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(TimerRepeatTest, FiresTheGivenNumberOfTimes) {
  kbase::WeakCallbackFlag flag;
  int fired = 0;
  queue_->Schedule(
      flag, [&] { ++fired; }, 10, GetParam().repeatCount);
  ASSERT_TRUE(Drained());
  PumpFor(60);
  EXPECT_EQ(fired, GetParam().expectedFirings);
}

INSTANTIATE_TEST_SUITE_P(Counts, TimerRepeatTest,
                         ::testing::Values(RepeatCase{0, 1}, RepeatCase{1, 1}, RepeatCase{3, 3},
                                           RepeatCase{-2, 1}));

TEST_F(TimerQueueTest, LoneDistantTimerWaitsLongUntilAShortOneArrives) {
  kbase::WeakCallbackFlag flag;
  queue_->Schedule(
      flag, [] {}, 2000, 0);
  ASSERT_EQ(wake_->periods.back(), 16u);

  // The first wake finds the timer about two seconds away.
  SendMessageW(queue_->window(), kTimerWakeMessage, 0, 0);
  ASSERT_EQ(wake_->periods.size(), 2u);
  EXPECT_GE(wake_->periods.back(), 1990u);
  EXPECT_LE(wake_->periods.back(), 2002u);
  EXPECT_EQ(wake_->running, 1);

  bool shortFired = false;
  queue_->Schedule(
      flag, [&] { shortFired = true; }, 30, 0);
  EXPECT_EQ(wake_->periods.back(), 16u);
  EXPECT_EQ(wake_->running, 1);

  ASSERT_TRUE(PumpUntil([&] { return shortFired; }, 1000));
  // Once the short timer has gone the wait is long again.
  EXPECT_GT(wake_->periods.back(), 1000u);
  EXPECT_EQ(wake_->running, 1);
}

TEST_F(TimerQueueTest, DistantTimerFiresAfterOneLongWait) {
  test_windows::MessageCounter wakes(queue_->window(), kTimerWakeMessage);
  kbase::WeakCallbackFlag flag;
  int firedAfter = -1;
  const auto start = Clock::now();
  queue_->Schedule(
      flag, [&] { firedAfter = MsSince(start); }, 1100, 0);
  ASSERT_TRUE(PumpUntil([&] { return firedAfter >= 0; }, 3000));
  EXPECT_GE(firedAfter, 1100);
  EXPECT_LE(firedAfter, 1100 + 250);
  // A few, not the 70 of a 16 ms tick; a busy machine may wake the queue early once or twice.
  EXPECT_LE(wakes.count(), 8);
  EXPECT_TRUE(Drained());
}

TEST_F(TimerQueueTest, TimerOfDestroyedOwnerIsNeverCalled) {
  struct Owner : kbase::SupportWeakCallback {};
  auto owner = std::make_unique<Owner>();
  kbase::WeakCallbackFlag witness;
  bool ownerCalled = false;
  bool witnessCalled = false;
  queue_->Schedule(
      *owner, [&] { ownerCalled = true; }, 20, TimerQueue::kRepeatForever);
  queue_->Schedule(
      witness, [&] { witnessCalled = true; }, 40, 0);
  owner.reset();

  ASSERT_TRUE(Drained());
  EXPECT_TRUE(witnessCalled);
  EXPECT_FALSE(ownerCalled);
}

TEST_F(TimerQueueTest, TimersDueTogetherFireInTheSamePoll) {
  test_windows::MessageCounter wakes(queue_->window(), kTimerWakeMessage);
  kbase::WeakCallbackFlag flag;
  int wakeOfFirst = -1;
  int wakeOfSecond = -1;
  queue_->Schedule(
      flag, [&] { wakeOfFirst = wakes.count(); }, 30, 0);
  queue_->Schedule(
      flag, [&] { wakeOfSecond = wakes.count(); }, 30, 0);
  // Both are certainly due by the first poll: on a loaded machine the two schedules can lie
  // far enough apart for a wake-up to fall between their due times.
  ::Sleep(60);
  ASSERT_TRUE(Drained());
  EXPECT_GT(wakeOfFirst, 0);
  EXPECT_EQ(wakeOfFirst, wakeOfSecond);
}

TEST_F(TimerQueueTest, CallbackMayScheduleATimerThatJoinsAtOnce) {
  kbase::WeakCallbackFlag flag;
  std::vector<int> order;
  queue_->Schedule(
      flag,
      [&] {
        order.push_back(1);
        queue_->Schedule(
            flag, [&] { order.push_back(2); }, 0, 0);
      },
      10, 0);
  ASSERT_TRUE(Drained());
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST_F(TimerQueueTest, ZeroIntervalRepeatFiresOncePerWake) {
  test_windows::MessageCounter wakes(queue_->window(), kTimerWakeMessage);
  kbase::WeakCallbackFlag flag;
  std::vector<int> wakeOfFiring;
  queue_->Schedule(
      flag,
      [&] {
        wakeOfFiring.push_back(wakes.count());
        if (wakeOfFiring.size() == 3) flag.Revoke();
      },
      0, TimerQueue::kRepeatForever);
  ASSERT_TRUE(Drained());
  ASSERT_EQ(wakeOfFiring.size(), 3u);
  EXPECT_LT(wakeOfFiring[0], wakeOfFiring[1]);
  EXPECT_LT(wakeOfFiring[1], wakeOfFiring[2]);
}

TEST(TimerQueueInstanceTest, IsOneMessageOnlyWindowThatRunsTimers) {
  TimerQueue& queue = TimerQueue::Instance();
  EXPECT_EQ(&queue, &TimerQueue::Instance());
  HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"UI_ANIMATION_TIMERMANAGER_H_", nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, queue.window());
  EXPECT_EQ(SendMessageW(window, kTimerWakeMessage, 0, 0), 1);

  kbase::WeakCallbackFlag flag;
  bool fired = false;
  queue.Schedule(
      flag, [&] { fired = true; }, 20, 0);
  EXPECT_TRUE(PumpUntil([&] { return fired && queue.PendingCount() == 0; }, 1000));
}

}  // namespace
}  // namespace ui
