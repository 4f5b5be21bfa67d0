#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/message_pump.h"

namespace kbase {

// Waits on an event with a timeout: the pump of loops that have no windows.
class DefaultMessagePump : public MessagePump {
 public:
  DefaultMessagePump();
  ~DefaultMessagePump() override;

  void RunLoop(Delegate* delegate) override;
  void RequestQuit() override;
  void WakeForWork() override;
  void WakeAt(TickTime time) override;

  // How many times WakeForWork signalled the event.
  uint32_t WakeSignalsSent() const { return wakeSignals_.load(std::memory_order_relaxed); }

 private:
  void Wait();

  void* event_;
  bool quit_ = false;
  TickTime timedWake_;
  std::atomic<uint32_t> wakeSignals_{0};
};

}  // namespace kbase
