#include "runtime/default_message_pump.h"

#include <windows.h>

#include <cmath>

namespace kbase {

DefaultMessagePump::DefaultMessagePump() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

DefaultMessagePump::~DefaultMessagePump() {
  if (event_) CloseHandle(event_);
}

void DefaultMessagePump::RunLoop(Delegate* delegate) {
  bool did = delegate->RunImmediateTasks();
  while (!quit_) {
    did |= delegate->RunDueTimedTask(&timedWake_);
    if (quit_) break;
    if (!did) {
      did = delegate->RunIdleTask();
      if (quit_) break;
      if (!did) Wait();
    }
    did = delegate->RunImmediateTasks();
  }
  quit_ = false;
}

void DefaultMessagePump::Wait() {
  if (timedWake_.IsNull()) {
    WaitForSingleObject(event_, INFINITE);
    return;
  }
  const int64_t remaining = timedWake_ - TickTime::Now();
  if (remaining <= 0) {
    timedWake_ = TickTime();
    return;
  }
  const double milliseconds = std::ceil(remaining / 1000.0);
  WaitForSingleObject(event_,
                      milliseconds >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(milliseconds));
}

void DefaultMessagePump::RequestQuit() {
  quit_ = true;
}

void DefaultMessagePump::WakeForWork() {
  wakeSignals_.fetch_add(1, std::memory_order_relaxed);
  SetEvent(event_);
}

void DefaultMessagePump::WakeAt(TickTime time) {
  timedWake_ = time;
}

}  // namespace kbase
