#include "runtime/default_message_pump.h"

#include <windows.h>

#include <cmath>

namespace kbase {

namespace {

// Out of work, the loop spins about as long as the runtime's locks do before it sleeps,
// looking for work every 128 pauses: a little later than at once, so that a loop fed by
// another thread takes the posts in batches instead of one lock handoff per task.
constexpr int kPausesPerLook = 128;
constexpr int kLooksBeforeSleep = 16;

}  // namespace

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
    if (did) WorkFound();
    did = delegate->RunImmediateTasks();
  }
  WorkFound();
  quit_ = false;
}

void DefaultMessagePump::WorkFound() {
  idleLooks_ = 0;
  if (sleeping_.load(std::memory_order_relaxed)) sleeping_.store(false);
}

void DefaultMessagePump::Wait() {
  DWORD timeout = INFINITE;
  if (!timedWake_.IsNull()) {
    const int64_t remaining = timedWake_ - TickTime::Now();
    if (remaining <= 0) {
      timedWake_ = TickTime();
      return;
    }
    const double milliseconds = std::ceil(remaining / 1000.0);
    timeout = milliseconds >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(milliseconds);
  }
  if (idleLooks_ < kLooksBeforeSleep) {
    ++idleLooks_;
    for (int pause = 0; pause < kPausesPerLook; ++pause) YieldProcessor();
    return;
  }
  if (!sleeping_.load(std::memory_order_relaxed)) {
    // Announce the sleep, then look once more: a post either finds the announcement and
    // signals, or is found by that look.
    sleeping_.store(true);
    return;
  }
  WaitForSingleObject(event_, timeout);
  // A signal that comes after a timeout stays in the event and only costs one early
  // return of a later wait.
  sleeping_.store(false);
  idleLooks_ = 0;
}

void DefaultMessagePump::RequestQuit() {
  quit_ = true;
}

void DefaultMessagePump::WakeForWork() {
  if (sleeping_.load() && sleeping_.exchange(false)) {
    wakeSignals_.fetch_add(1, std::memory_order_relaxed);
    SetEvent(event_);
  }
}

void DefaultMessagePump::WakeAt(TickTime time) {
  timedWake_ = time;
}

}  // namespace kbase
