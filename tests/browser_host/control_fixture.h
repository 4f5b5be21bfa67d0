#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "browser_host/cef_native_control.h"
#include "browser_host/ui_thread.h"
#include "ui/core/skin/window_impl_base.h"

namespace browser_host_test {

// A skinned window whose layout (tests/data/browser_host/skins/browser/browser.xml) holds a
// browser control "page" below a bar of 40, in a 400 x 300 window without a shadow.
class BrowserWindow : public ui::WindowImplBase {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickBrowserTest"; }
  std::wstring GetSkinFolder() override { return L"browser"; }
  std::wstring GetSkinFile() override { return L"browser.xml"; }
  ui::Control* CreateControl(const std::wstring& className) override {
    return className == L"CefControl" ? new vok_comp::CefNativeControl() : nullptr;
  }
  void OnInitWindow() override {
    page = static_cast<vok_comp::CefNativeControl*>(FindControlByName(L"page"));
    if (onInit) onInit(*this);
  }

  vok_comp::CefNativeControl* page = nullptr;
  std::function<void(BrowserWindow&)> onInit;
};

// Where a child window is in its parent's client area.
inline RECT ChildRect(HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// What the screen shows at a point of a window's client area.
inline COLORREF OnScreen(HWND window, int x, int y) {
  POINT point{x, y};
  ::ClientToScreen(window, &point);
  HDC dc = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(dc, point.x, point.y);
  ::ReleaseDC(nullptr, dc);
  return c;
}

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Starts the UI framework on the tests' browser skins, opens browser windows on the UI
// thread and closes what is left at the end.
class WindowHost {
 public:
  explicit WindowHost(UiThread& ui) : ui_(ui) {}

  void Start();
  void Stop();
  // A window at (100, 100) whose init hook runs `onInit`, shown unless told otherwise;
  // none when it cannot be made.
  BrowserWindow* Open(std::function<void(BrowserWindow&)> onInit = nullptr, bool show = true);
  // Runs work with the window's browser control on the UI thread.
  bool WithPage(BrowserWindow* window,
                const std::function<void(vok_comp::CefNativeControl&)>& work);

 private:
  UiThread& ui_;
};

}  // namespace browser_host_test
