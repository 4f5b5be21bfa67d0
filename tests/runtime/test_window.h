#pragma once

#include <windows.h>

#include <functional>

// A hidden top-level window of the calling thread whose messages go to a handler, so that
// tests can run code from native message handling rather than from a task.
class TestWindow {
 public:
  using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)>;

  explicit TestWindow(Handler handler) : handler_(std::move(handler)) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TarnwickRuntimeTestWindow";
    RegisterClassExW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TestWindow() { DestroyWindow(window_); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND handle() const { return window_; }
  void Post(UINT message, WPARAM wParam = 0) { PostMessageW(window_, message, wParam, 0); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->handler_ && self->handler_(message, wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  Handler handler_;
  HWND window_ = nullptr;
};

// Removes what a test left in the thread's queue (a reposted quit message, for example)
// and answers whether a quit message was among it, with its code.
inline bool DrainQueue(int* quitCode = nullptr) {
  bool sawQuit = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      sawQuit = true;
      if (quitCode) *quitCode = static_cast<int>(message.wParam);
    }
  }
  return sawQuit;
}
