#include "runtime/ui_message_loop.h"

#include <memory>

#include "runtime/win_ui_message_pump.h"

namespace kbase {

UIMessageLoop::UIMessageLoop() {
  ReplacePump(std::make_shared<WinUIMessagePump>(), kUILoop);
}

UIMessageLoop::~UIMessageLoop() = default;

WinUIMessagePump* UIMessageLoop::UIPump() const {
  return static_cast<WinUIMessagePump*>(pump());
}

}  // namespace kbase
