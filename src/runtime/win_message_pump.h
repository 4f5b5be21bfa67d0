#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/message_pump.h"

struct tagMSG;

namespace kbase {

// Base of the Windows pump: the run frames, the wake flag and the wait computation.
class WinMessagePump : public MessagePump {
 public:
  // Takes over translating and dispatching native messages during a run. Answering false
  // ends the run after the message.
  class Dispatcher {
   public:
    virtual ~Dispatcher() = default;
    virtual bool Forward(const tagMSG& message) = 0;
  };

  void RunLoop(Delegate* delegate) override;
  void RequestQuit() override;

  // Runs like RunLoop, with `dispatcher` in place of TranslateMessage/DispatchMessageW.
  void RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher);

 protected:
  // One per run; runs nest.
  struct PumpFrame {
    int depth;
    bool quitNow;
    Delegate* delegate;
    Dispatcher* dispatcher;
  };

  virtual void RunLoopBody() = 0;

  // Milliseconds until the earliest timed task (0 when overdue), or -1 when there is none.
  int64_t CurrentDelay() const;

  TickTime timedWake_;
  // 1 while a wake-up is in flight; changed only by atomic exchange.
  std::atomic<int32_t> haveWork_{0};
  PumpFrame* frame_ = nullptr;
};

}  // namespace kbase
