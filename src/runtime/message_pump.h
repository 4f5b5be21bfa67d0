#pragma once

#include "runtime/tick_time.h"

namespace kbase {

// Owns the waiting of a thread: asks its delegate for work and sleeps when there is none.
class MessagePump {
 public:
  // The side that has the work: the thread's message loop.
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // Each returns true when it did work and should be asked again before sleeping.
    virtual bool RunImmediateTasks() = 0;
    // `next` receives the time of the earliest timed task, or 0 when none is left.
    virtual bool RunDueTimedTask(TickTime* next) = 0;
    virtual bool RunIdleTask() = 0;
  };

  virtual ~MessagePump() = default;

  // Runs until RequestQuit is called from inside the run.
  virtual void RunLoop(Delegate* delegate) = 0;
  virtual void RequestQuit() = 0;
  // Any thread: new work was queued.
  virtual void WakeForWork() = 0;
  // Loop thread only: a new earliest timed task falls due at `time`.
  virtual void WakeAt(TickTime time) = 0;
};

}  // namespace kbase
