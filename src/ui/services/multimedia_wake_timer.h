#pragma once

#include <memory>

#include "ui/services/wake_timer.h"

namespace ui {

// Wakes the queue with the multimedia timer (1 ms resolution), whose callback runs on a
// system thread and only posts the wake message.
class MultimediaWakeTimer : public WakeTimer {
 public:
  uint32_t Start(uint32_t periodMs, HWND__* window) override;
  void Stop(uint32_t id) override;
};

}  // namespace ui
