#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "runtime/weak_callback.h"
#include "ui/core/skin/window_impl_base.h"

namespace vok_comp {

class ShadowWnd;

// The base of the windows that host a browser. Such a window is never layered (the
// browser's native child window would not show in a layered one), so its drop shadow comes
// from a companion ShadowWnd that follows it.
//
// Ownership: the shadow object is made with this one and is freed with it while it has no
// native window; once it has one, it closes itself when this window closes or goes, and
// deletes itself with its native window. Either may go first.
class ShadowWndBase : public ui::WindowImplBase {
 public:
  ShadowWndBase();

  // This window, never layered, then its shadow behind it: disabled, and shown without
  // being activated when this window is visible already.
  HWND CreateNativeWindow(HWND parent, const std::wstring& title, DWORD style, DWORD exStyle,
                          bool layered, const ui::UiRect& rect) override;
  void OnFinalMessage(HWND hwnd) override;

  // The shadow, or none once it has gone.
  ShadowWnd* GetShadowWindow() const;

 protected:
  ~ShadowWndBase() override;

  ShadowWnd* shadowWindow = nullptr;

 private:
  // This window is going: the shadow lets go of it.
  void ReleaseShadow();

  std::weak_ptr<kbase::WeakFlag> shadowAlive_;
};

}  // namespace vok_comp
