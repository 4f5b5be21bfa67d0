#include "ui/core/window/window_test_util.h"

#include <functional>

namespace window_test {

HWND CreateShown(ui::Window* window, const ui::UiRect& rect, ui::Control* root, bool layered,
                 bool shadow) {
  window->GetShadow().SetAttached(shadow);
  const HWND hwnd =
      window->CreateNativeWindow(nullptr, L"test", WS_POPUP | WS_CLIPCHILDREN, 0, layered, rect);
  if (!hwnd) return nullptr;
  window->InitWindow(hwnd);
  window->AttachRoot(window->GetShadow().WrapRoot(root));
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd);
  PumpUntil([window] { return !window->NeedsLayout(); }, 1000);
  Drain();
  return hwnd;
}

LPARAM At(int x, int y) {
  return MAKELPARAM(x, y);
}

void ClickControl::Activate() {
  ++activations;
  SendEvent(ui::kEventClick);
}

}  // namespace window_test
