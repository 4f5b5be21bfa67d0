#include "live_view_window.h"

#include <windowsx.h>

#include <utility>

LiveViewWindow::LiveViewWindow(std::wstring skinFolder, std::wstring skinFile, Hooks hooks)
    : skinFolder_(std::move(skinFolder)),
      skinFile_(std::move(skinFile)),
      hooks_(std::move(hooks)) {}

LRESULT LiveViewWindow::HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  const HWND hwnd = GetHWND();
  const LRESULT result = WindowImplBase::HandleNativeMessage(message, wParam, lParam);
  if (alive.expired() || !::IsWindow(hwnd)) return result;
  switch (message) {
    case WM_PAINT:
      if (!painted_ && GetRoot() != nullptr) {
        painted_ = true;
        if (hooks_.painted) hooks_.painted(this);
      }
      break;
    case WM_MOVE:
    case WM_SIZE:
      if (hooks_.moved) hooks_.moved(this);
      break;
    case WM_MOUSEMOVE:
      Inspect(wParam, lParam);
      break;
    case WM_KEYUP:
      if (wParam == VK_CONTROL) Inspect(0, lParam);
      break;
    default:
      break;
  }
  return result;
}

void LiveViewWindow::Inspect(WPARAM keys, LPARAM point) {
  if (!(keys & MK_CONTROL)) {
    if (inspecting_ && hooks_.inspected) hooks_.inspected(this, nullptr);
    inspecting_ = false;
    return;
  }
  inspecting_ = true;
  ui::Control* control = FindControlAt(ui::UiPoint{GET_X_LPARAM(point), GET_Y_LPARAM(point)});
  if (hooks_.inspected) hooks_.inspected(this, control);
}

void LiveViewWindow::OnFinalMessage(HWND hwnd) {
  // The hook may be the last thing that knows this window; it must not outlive the call.
  const std::function<void(LiveViewWindow*)> gone = hooks_.gone;
  if (gone) gone(this);
  WindowImplBase::OnFinalMessage(hwnd);
}

RECT LiveViewWindow::VisibleRect() const {
  RECT rect{};
  ::GetWindowRect(GetHWND(), &rect);
  if (GetShadow().IsAttached()) {
    const ui::UiRect band = GetShadow().GetCorner();
    rect.left += band.left;
    rect.top += band.top;
    rect.right -= band.right;
    rect.bottom -= band.bottom;
  }
  return rect;
}
