#pragma once

#include <windows.h>

#include "browser_host/cef_control_base.h"

namespace vok_comp {

// The browser control of layouts (class "CefControl"): its browser is a native child window
// of the window that hosts the control, kept at the control's rectangle and visibility.
class CefNativeControl : public CefControlBase {
 public:
  CefNativeControl();
  ~CefNativeControl() override;

  // The browser's native window, or none before the browser exists.
  HWND GetCefHandle() const;

  // ui::Control
  void AttachToWindow(ui::IControlWindow* window, ui::Box* parent, bool init) override;
  void Init() override;
  void SetPosition(const ui::UiRect& rect) override;
  void SetFadeVisible(bool visible) override;
  void SetParentVisible(bool visible) override;
  void SetVisible(bool visible) override;
  void HandleEvent(ui::EventArgs* args) override;

  // CefControlBase
  bool ShowDevTools(ui::Control* view) override;
  void ReCreateBrowser() override;

 protected:
  void ShowPage(bool show) override;

 private:
  // The native window of the window the control is in; none outside a native window.
  HWND HostWindow() const;
  // Its browser has come: before the window hears of it.
  void OnBrowserArrived();
  // Shows the browser window, or shrinks it to nothing in place.
  void ShowBrowserWindow(bool show);

  // A browser was asked for and has not arrived yet: asking again would make a second one.
  bool browserPending_ = false;
  // False while the crash message stands in for the page.
  bool pageShown_ = true;
};

}  // namespace vok_comp
