#pragma once

#include "runtime/message_loop.h"

namespace kbase {

class WinUIMessagePump;

// A message loop that interleaves its tasks with the thread's native window messages: the
// loop of a thread that owns windows.
class UIMessageLoop : public MessageLoop {
 public:
  UIMessageLoop();
  ~UIMessageLoop() override;

  WinUIMessagePump* UIPump() const;
};

}  // namespace kbase
