#include "runtime/tick_time.h"

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include "runtime/lock.h"

namespace kbase {

namespace {

uint32_t SystemMilliseconds() {
  return timeGetTime();
}

// One clock per process: the wrap offset must be shared by every thread, or two threads
// could disagree about which side of a wrap they are on.
struct Clock {
  Lock lock;
  TickTime::MillisecondSource source = &SystemMilliseconds;
  uint32_t lastReading = 0;
  int64_t wrapOffset = 0;
};

Clock& TheClock() {
  static Clock clock;
  return clock;
}

}  // namespace

TickTime TickTime::Now() {
  Clock& clock = TheClock();
  AutoLock hold(clock.lock);
  const uint32_t reading = clock.source();
  if (reading < clock.lastReading) clock.wrapOffset += int64_t{1} << 32;
  clock.lastReading = reading;
  return TickTime((clock.wrapOffset + reading) * 1000);
}

void TickTime::SetMillisecondSource(MillisecondSource source) {
  Clock& clock = TheClock();
  AutoLock hold(clock.lock);
  clock.source = source ? source : &SystemMilliseconds;
  clock.lastReading = 0;
  clock.wrapOffset = 0;
}

}  // namespace kbase
