#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "runtime/weak_callback.h"
#include "ui/core/skin/window_impl_base.h"

namespace vok_comp {

class ShadowWndBase;

// The companion window that carries the drop shadow of a window that is not layered: a
// layered, disabled, click-through top-level window that sits directly behind the window
// it follows, at its rectangle grown by the shadow band, and shows, hides and closes with
// it. It sees the followed window's messages as a message filter and never handles them.
//
// Ownership: while it has no native window, the ShadowWndBase that made it owns it; once
// it has one, it deletes itself when that native window is gone, like every window.
class ShadowWnd : public ui::WindowImplBase {
 public:
  ShadowWnd() = default;

  std::wstring GetWindowClassName() const override { return L"ShadowWindow"; }
  std::wstring GetSkinFolder() override { return L"shadow"; }
  std::wstring GetSkinFile() override { return L"shadow.xml"; }

  // Follows the target and makes the shadow's native window, hidden; none when it cannot be
  // made (a shadow whose layout does not build is gone with it).
  virtual HWND CreateShadowFor(ui::Window* target);

  void CloseWindow(UINT result = IDOK) override;
  void OnFinalMessage(HWND hwnd) override;

  // IUIMessageFilter: the followed window's messages.
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

  // The followed window, or none once it has gone or was let go.
  ui::Window* GetTargetWindow() const;
  // Shows the shadow behind the followed window at its rectangle, or hides it while that
  // window is maximised or minimised.
  void ShowWithTarget();
  // Between the start of its close and the end of its native window.
  bool IsClosing() const { return closing_; }

 protected:
  ~ShadowWnd() override = default;

  ui::Window* targetWindow = nullptr;

 private:
  friend class ShadowWndBase;

  // The followed window is going: the shadow forgets it and leaves the screen. Without a
  // native window it is deleted at once; with one it closes and goes with that window, after
  // any close fade it has started.
  void TargetGone();
  // Takes the followed window's rectangle, directly behind it in the z-order.
  void FollowTarget(UINT flags);

  std::weak_ptr<kbase::WeakFlag> targetAlive_;
  bool closing_ = false;
};

}  // namespace vok_comp
