#include "runtime/win_message_pump.h"

#include <cmath>

namespace kbase {

void WinMessagePump::RunLoop(Delegate* delegate) {
  RunWithDispatcher(delegate, nullptr);
}

void WinMessagePump::RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher) {
  PumpFrame frame = {frame_ ? frame_->depth + 1 : 1, false, delegate, dispatcher};
  PumpFrame* previous = frame_;
  frame_ = &frame;
  RunLoopBody();
  frame_ = previous;
}

void WinMessagePump::RequestQuit() {
  if (frame_) frame_->quitNow = true;
}

int64_t WinMessagePump::CurrentDelay() const {
  if (timedWake_.IsNull()) return -1;
  const int64_t milliseconds =
      static_cast<int64_t>(std::ceil((timedWake_ - TickTime::Now()) / 1000.0));
  return milliseconds < 0 ? 0 : milliseconds;
}

}  // namespace kbase
