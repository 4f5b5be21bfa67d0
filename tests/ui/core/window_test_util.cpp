#include "ui/core/window_test_util.h"

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

void Drain() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& condition, int milliseconds) {
  const DWORD end = ::GetTickCount() + milliseconds;
  while (!condition()) {
    if (static_cast<int>(end - ::GetTickCount()) <= 0) return false;
    Drain();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void Pump(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

LPARAM At(int x, int y) {
  return MAKELPARAM(x, y);
}

void ClickControl::Activate() {
  ++activations;
  SendEvent(ui::kEventClick);
}

}  // namespace window_test
