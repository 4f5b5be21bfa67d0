#include "browser_host/shadow_wnd.h"

namespace vok_comp {

namespace {

constexpr DWORD kShadowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
// Not in the taskbar, and never under the mouse: clicks go to whatever lies beneath.
constexpr DWORD kShadowExStyle = WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;

}  // namespace

HWND ShadowWnd::CreateShadowFor(ui::Window* target) {
  targetWindow = target;
  targetAlive_ = target ? target->WeakFlagOf() : std::weak_ptr<kbase::WeakFlag>();
  // No owner: an owned window always stays above its owner, and the shadow goes behind it.
  return CreateNativeWindow(nullptr, L"ShadowWindow", kShadowStyle, kShadowExStyle, true,
                            ui::UiRect{});
}

ui::Window* ShadowWnd::GetTargetWindow() const {
  return targetAlive_.expired() ? nullptr : targetWindow;
}

void ShadowWnd::CloseWindow(UINT result) {
  closing_ = true;
  ui::WindowImplBase::CloseWindow(result);
}

void ShadowWnd::OnFinalMessage(HWND hwnd) {
  if (ui::Window* target = GetTargetWindow()) target->RemoveMessageFilter(this);
  targetWindow = nullptr;
  targetAlive_.reset();
  // Deletes this object.
  ui::WindowImplBase::OnFinalMessage(hwnd);
}

void ShadowWnd::TargetGone() {
  if (ui::Window* target = GetTargetWindow()) target->RemoveMessageFilter(this);
  targetWindow = nullptr;
  targetAlive_.reset();
  if (!::IsWindow(GetHWND())) {
    delete this;
    return;
  }
  ShowNativeWindow(false, false);
  // A close under way runs to its end: the fade's timer and the posted WM_CLOSE belong to
  // this object, which goes only with its native window.
  if (!closing_) CloseWindow(0);
}

void ShadowWnd::ShowWithTarget() {
  const HWND target = targetWindow->GetHWND();
  // A maximised or minimised window casts no shadow: there is no edge to cast it from. (A
  // display server without a compositor would also show the shadow's clear middle as black
  // wherever it lies over the window.)
  if (::IsZoomed(target) || ::IsIconic(target)) {
    if (::IsWindowVisible(GetHWND())) ShowNativeWindow(false, false);
    return;
  }
  FollowTarget(SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void ShadowWnd::FollowTarget(UINT flags) {
  RECT rect{};
  ::GetWindowRect(targetWindow->GetHWND(), &rect);
  // The shadow band goes around the rectangle, as the shadow's layout attaches a shadow.
  SetWindowRect(ui::UiRect{rect.left, rect.top, rect.right, rect.bottom}, flags,
                targetWindow->GetHWND());
}

LRESULT ShadowWnd::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool* handled) {
  // The followed window handles its messages as usual, whatever the shadow does.
  *handled = false;
  ui::Window* target = GetTargetWindow();
  // A closing shadow stays hidden whatever the window it followed still does.
  if (!target || closing_ || !::IsWindow(target->GetHWND()) || !::IsWindow(GetHWND())) return 0;
  switch (message) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_NCACTIVATE:
      if (::IsWindowVisible(target->GetHWND())) ShowWithTarget();
      break;
    case WM_SHOWWINDOW:
      if (wParam) {
        // Shown in place behind the window, never activated: the window is not visible
        // yet, so its rectangle is taken here rather than on its next move or paint.
        ShowWithTarget();
      } else {
        ShowNativeWindow(false, false);
      }
      break;
    case WM_CLOSE:
      ShowNativeWindow(false, false);
      CloseWindow(0);
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace vok_comp
