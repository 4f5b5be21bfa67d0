#include "runtime/tick_time.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "loop_test_util.h"

namespace {

using kbase::TickTime;

TEST(TickTimeTest, KeepsIncreasingAcrossWrapsOfTheMillisecondCounter) {
  FakeClock clock(0xFFFFFFF0u);
  const TickTime beforeWrap = TickTime::Now();
  clock.Set(0xFFFFFFFFu);
  const TickTime atEnd = TickTime::Now();
  clock.Set(5);  // wrapped: 6 ms after the last reading
  const TickTime afterWrap = TickTime::Now();
  EXPECT_EQ(atEnd - beforeWrap, 15 * 1000);
  EXPECT_EQ(afterWrap - atEnd, 6 * 1000);

  clock.Set(0xFFFFFFFEu);
  const TickTime nearSecondWrap = TickTime::Now();
  clock.Set(1);
  const TickTime afterSecondWrap = TickTime::Now();
  EXPECT_EQ(afterSecondWrap - nearSecondWrap, 3 * 1000);
  EXPECT_EQ(afterSecondWrap.ToMicroseconds(), ((int64_t{2} << 32) + 1) * 1000);
}

TEST(TickTimeTest, SameReadingGivesSameTimeAndNoWrap) {
  FakeClock clock(1234);
  const TickTime first = TickTime::Now();
  const TickTime second = TickTime::Now();
  EXPECT_EQ(first, second);
  EXPECT_EQ(first.ToMicroseconds(), 1234 * 1000);
}

TEST(TickTimeTest, SystemClockMovesForwardInMicroseconds) {
  const TickTime first = TickTime::Now();
  Sleep(20);
  const TickTime second = TickTime::Now();
  EXPECT_FALSE(first.IsNull());
  EXPECT_GE(second - first, 10 * 1000);  // slept 20 ms; timers may be coarse
  EXPECT_EQ(second.ToMicroseconds() % 1000, 0);
}

TEST(TickTimeTest, ArithmeticAndOrder) {
  const TickTime a = TickTime::FromMicroseconds(5000);
  const TickTime b = a + 2500;
  EXPECT_EQ(b.ToMicroseconds(), 7500);
  EXPECT_EQ(b - a, 2500);
  EXPECT_LT(a, b);
  EXPECT_GT(b, a);
  EXPECT_TRUE(TickTime().IsNull());
  EXPECT_FALSE(a.IsNull());
}

}  // namespace
