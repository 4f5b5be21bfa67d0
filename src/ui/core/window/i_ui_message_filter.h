#pragma once

#include <windows.h>

#include "runtime/weak_callback.h"

namespace ui {

// Sees a window's messages before its controls do. A filter that is destroyed drops out of
// every window it was added to.
class IUIMessageFilter : public virtual kbase::SupportWeakCallback {
 public:
  // Sets handled to keep the message from the window's own handling.
  virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) = 0;
};

}  // namespace ui
