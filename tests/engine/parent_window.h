#pragma once

// A visible top-level window of the calling thread, to hold browsers' child windows.

#include <windows.h>

namespace engine_test {

class ParentWindow {
 public:
  explicit ParentWindow(int clientWidth = 900, int clientHeight = 700) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EngineTestParent";
    RegisterClassW(&wc);
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              wc.hInstance, nullptr);
  }
  ~ParentWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
  }
  ParentWindow(const ParentWindow&) = delete;
  ParentWindow& operator=(const ParentWindow&) = delete;

  HWND Get() const { return window_; }
  void Destroy() {
    DestroyWindow(window_);
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
};

}  // namespace engine_test
