#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/message_pump.h"

namespace kbase {

// Waits on an event with a timeout: the pump of loops that have no windows. When it runs
// out of work it looks again for a short while before it sleeps, and the event is
// signalled only while it sleeps: a thread that posts steadily then keeps the loop busy
// without a kernel call on either side.
class DefaultMessagePump : public MessagePump {
 public:
  DefaultMessagePump();
  ~DefaultMessagePump() override;

  void RunLoop(Delegate* delegate) override;
  void RequestQuit() override;
  void WakeForWork() override;
  void WakeAt(TickTime time) override;

  // How many times WakeForWork had to signal the event.
  uint32_t WakeSignalsSent() const { return wakeSignals_.load(std::memory_order_relaxed); }

 private:
  void Wait();
  void WorkFound();

  void* event_;
  bool quit_ = false;
  TickTime timedWake_;
  int idleLooks_ = 0;
  // Set before the last look for work that precedes a sleep; a post that finds it set
  // signals the event.
  std::atomic<bool> sleeping_{false};
  std::atomic<uint32_t> wakeSignals_{0};
};

}  // namespace kbase
