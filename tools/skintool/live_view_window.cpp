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

bool LiveViewWindow::Rebuild(int width, int height) {
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  if (!RebuildSkin()) return false;
  if (alive.expired()) return false;
  rebuilt_ = true;
  painted_ = false;
  inspecting_ = false;
  if (width > 0 && height > 0) SetInitSize(width, height);
  const ui::UiSize size = GetInitSize();
  RECT now{};
  ::GetWindowRect(GetHWND(), &now);
  if (size.cx > 0 && size.cy > 0 &&
      (size.cx != now.right - now.left || size.cy != now.bottom - now.top)) {
    ::SetWindowPos(GetHWND(), nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // A layered window has no paint of its own to wait for: the frame is drawn here.
  if (alive.expired()) return false;
  ::SendMessageW(GetHWND(), WM_PAINT, 0, 0);
  return true;
}

void LiveViewWindow::OnFirstLayout() {
  // A designer saving a file wants the new frame at once, not faded in again; a save during
  // the first fade must not leave the window half transparent either.
  if (rebuilt_) {
    if (GetWindowAlpha() != 255) SetWindowAlpha(255);
    return;
  }
  WindowImplBase::OnFirstLayout();
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
