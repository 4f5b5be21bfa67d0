#include "browser_host/shadow_wnd_base.h"

#include "browser_host/shadow_wnd.h"

namespace vok_comp {

ShadowWndBase::ShadowWndBase() : shadowWindow(new ShadowWnd()) {
  shadowAlive_ = shadowWindow->WeakFlagOf();
  // The shadow sees this window's messages before the window itself does.
  AddMessageFilter(shadowWindow);
}

ShadowWndBase::~ShadowWndBase() {
  ReleaseShadow();
}

ShadowWnd* ShadowWndBase::GetShadowWindow() const {
  return shadowAlive_.expired() ? nullptr : shadowWindow;
}

HWND ShadowWndBase::CreateNativeWindow(HWND parent, const std::wstring& title, DWORD style,
                                       DWORD exStyle, bool, const ui::UiRect& rect) {
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  const HWND hwnd =
      ui::WindowImplBase::CreateNativeWindow(parent, title, style, exStyle, false, rect);
  // A window whose layout did not build has gone already, shadow and all.
  if (alive.expired() || !hwnd) return nullptr;
  ShadowWnd* shadow = GetShadowWindow();
  if (!shadow) return hwnd;
  const std::weak_ptr<kbase::WeakFlag> shadowAlive = shadow->WeakFlagOf();
  const HWND shadowHwnd = shadow->CreateShadowFor(this);
  // A shadow whose layout did not build has gone with its native window; the window does
  // without.
  if (alive.expired()) return nullptr;
  if (shadowAlive.expired() || !shadowHwnd) return hwnd;
  // Input never reaches the shadow, so it never takes the focus or the activation.
  ::EnableWindow(shadowHwnd, FALSE);
  // A window made visible had its show message before its shadow existed. The shadow shows
  // behind it without taking the activation its creation gave it.
  if (::IsWindowVisible(hwnd)) shadow->ShowWithTarget();
  return hwnd;
}

void ShadowWndBase::OnFinalMessage(HWND hwnd) {
  ReleaseShadow();
  // Deletes this object.
  ui::WindowImplBase::OnFinalMessage(hwnd);
}

void ShadowWndBase::ReleaseShadow() {
  ShadowWnd* shadow = GetShadowWindow();
  shadowWindow = nullptr;
  shadowAlive_.reset();
  if (shadow) shadow->TargetGone();
}

}  // namespace vok_comp
