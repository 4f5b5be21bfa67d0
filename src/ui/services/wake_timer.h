#pragma once

#include <cstdint>

struct HWND__;

namespace ui {

// The message a wake timer posts to the timer queue's window (both parameters 0).
constexpr unsigned kTimerWakeMessage = 11023;

// The periodic timer that wakes the timer queue's window from another thread. The queue
// programs it; a replacement can watch or count that programming.
class WakeTimer {
 public:
  virtual ~WakeTimer() = default;

  // Starts a periodic timer that posts kTimerWakeMessage to the window every period.
  // Returns its id, 0 when the system refused it.
  virtual uint32_t Start(uint32_t periodMs, HWND__* window) = 0;
  virtual void Stop(uint32_t id) = 0;
};

}  // namespace ui
