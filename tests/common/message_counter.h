#pragma once

#include <windows.h>

namespace test_windows {

// Counts how often one message reaches a window, by subclassing the window for as long as
// the counter lives.
class MessageCounter {
 public:
  MessageCounter(HWND window, UINT message) : window_(window), message_(message) {
    SetPropW(window_, kProp, this);
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }
  ~MessageCounter() {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    RemovePropW(window_, kProp);
  }
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;

  int count() const { return count_; }

 private:
  static constexpr wchar_t kProp[] = L"TarnwickMessageCounter";

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = static_cast<MessageCounter*>(GetPropW(window, kProp));
    if (message == self->message_) ++self->count_;
    return CallWindowProcW(self->previous_, window, message, wparam, lparam);
  }

  HWND window_;
  UINT message_;
  WNDPROC previous_ = nullptr;
  int count_ = 0;
};

}  // namespace test_windows
